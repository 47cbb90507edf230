#include "resources/TextureAnimation3D.h"

#include <algorithm>
#include <cstring>

#include "core3d/CheckResult.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "platform/rtl/Math.h"
#include "resources/Texture3D.h"

namespace {

// The buffer a key's sizes ask for, or "TextureKey3D error: invalid buffer size".
std::int64_t BufferSize(std::int32_t height, std::int32_t bytesPerLine) {
  const std::int64_t size = std::int64_t{height} * bytesPerLine;
  if (size <= 0 || height <= 0) throw rtl::Exception("TextureKey3D error: invalid buffer size");
  return size;
}

}  // namespace

TTextureKey3D::TTextureKey3D(TAnimation3D* keyAnimation, std::int32_t height, std::int32_t bytesPerLine)
    : TKey3D(keyAnimation) {
  Resize(height, bytesPerLine);
}

void TTextureKey3D::Resize(std::int32_t height, std::int32_t bytesPerLine) {
  const std::int64_t size = BufferSize(height, bytesPerLine);
  FPixels.assign(static_cast<std::size_t>(size), 0);
  FHeight = height;
  FBytesPerLine = bytesPerLine;
}

void TTextureKey3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TTextureKey3D>(source);
  TKey3D::Assign(other);
  FPixels = other.FPixels;
  FHeight = other.FHeight;
  FBytesPerLine = other.FBytesPerLine;
}

void TTextureKey3D::LoadFromStream(rtl::TStream& stream) {
  TKey3D::LoadFromStream(stream);
  FPixels.clear();
  const std::int32_t height = ReadInteger(stream);
  const std::int32_t bytesPerLine = ReadInteger(stream);
  CheckRemaining(stream, BufferSize(height, bytesPerLine));
  Resize(height, bytesPerLine);
  stream.ReadBuffer(FPixels.data(), static_cast<std::int64_t>(FPixels.size()));
}

void TTextureKey3D::SaveToStream(rtl::TStream& stream) {
  TKey3D::SaveToStream(stream);
  WriteInteger(stream, FHeight);
  WriteInteger(stream, FBytesPerLine);
  stream.WriteBuffer(FPixels.data(), static_cast<std::int64_t>(FPixels.size()));
}

std::unique_ptr<TKey3D> TTextureAnimation3D::CreateKey() {
  if (FTexture == nullptr) throw rtl::Exception("TextureAnimation3D error: Create key failed");
  const rm::Image& picture = FTexture->Image().Desc;
  return std::make_unique<TTextureKey3D>(this, picture.height, picture.bytesPerLine);
}

void TTextureAnimation3D::Update() {
  if (KeyCount() == 0 || FTexture == nullptr) return;
  const auto index = rtl::Round(Time());
  rtl::CheckListIndex(index, KeyCount());
  const auto& key = static_cast<const TTextureKey3D&>(*GetKey(static_cast<int>(index)));
  TImage& picture = FTexture->Image();
  // A key read from a file may be smaller than the picture: copy no more than both hold.
  const std::size_t bytes =
      std::min({picture.PixelBytes(), static_cast<std::size_t>(picture.Desc.height) * picture.Desc.bytesPerLine,
                static_cast<std::size_t>(key.Height()) * key.BytesPerLine()});
  std::memcpy(picture.Pixels(), key.Pixels(), bytes);
  CheckResult(FTexture->GetDXTexture()->Changed(true, false), "Texture3D error: Changed failed");
}
