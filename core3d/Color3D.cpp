#include "core3d/Color3D.h"

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

namespace {
constexpr int kComponents = 4;
std::uint32_t ComponentShift(int index) { return static_cast<std::uint32_t>(index) * 8; }
}  // namespace

std::uint8_t TColor3D::GetComponent(int index) const {
  rtl::CheckListIndex(index, kComponents);
  return static_cast<std::uint8_t>(FColor >> ComponentShift(index));
}

void TColor3D::SetComponent(int index, std::uint8_t value) {
  rtl::CheckListIndex(index, kComponents);
  const std::uint32_t mask = 0xFFu << ComponentShift(index);
  SetColor((FColor & ~mask) | (std::uint32_t{value} << ComponentShift(index)));
}

void TColor3D::SetColor(std::uint32_t color) {
  if (color == FColor) return;
  FColor = color;
  Changed();
}

void TColor3D::SetRGBA(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  SetColor(std::uint32_t{a} << 24 | std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b);
}

void TColor3D::Assign(const TElement3D& source) {
  TElement3D::Assign(source);
  FColor = rtl::CheckedCast<const TColor3D>(source).FColor;
  Changed();
}

void TColor3D::LoadFromStream(rtl::TStream& stream) {
  const std::uint32_t c = ReadColor(stream);
  SetRGBA(static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c),
          static_cast<std::uint8_t>(c >> 24));
  Changed();
}

void TColor3D::SaveToStream(rtl::TStream& stream) { WriteColor(stream, FColor); }
