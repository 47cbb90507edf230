#include "core3d/Structure3D.h"

#include <exception>

#include "platform/rtl/Cast.h"

TUpdateBracket::TUpdateBracket(TStructure3D& structure)
    : FStructure(structure), FErrorsInFlight(std::uncaught_exceptions()) {
  FStructure.BeginUpdate();
}

TUpdateBracket::~TUpdateBracket() noexcept(false) {
  if (std::uncaught_exceptions() == FErrorsInFlight) {
    FStructure.EndUpdate();
    return;
  }
  try {
    FStructure.EndUpdate();
  } catch (...) {  // NOLINT(bugprone-empty-catch): the error already in flight is the one to report
  }
}

int TStructure3D::AddElement(TElement3D* element) {
  if (FElementCount < kInlineElements) {
    FInlineElements[FElementCount] = element;
  } else {
    if (FElementCount == kInlineElements) FMoreElements.assign(FInlineElements.begin(), FInlineElements.end());
    FMoreElements.push_back(element);
  }
  element->OnChange = TNotifyEvent::Bind<&TStructure3D::ElementChanged>(this);
  return static_cast<int>(FElementCount++);
}

std::span<TElement3D* const> TStructure3D::Elements() const {
  if (FElementCount <= kInlineElements) return {FInlineElements.data(), FElementCount};
  return FMoreElements;
}

void TStructure3D::ElementChanged(TElement3D*) {
  if (FUpdateCount == 0) Changed();
  FModified = true;
}

void TStructure3D::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount == 0 && FModified) {
    Changed();
    FModified = false;
  }
}

void TStructure3D::Assign(const TElement3D& source) {
  TElement3D::Assign(source);
  const auto& other = rtl::CheckedCast<const TStructure3D>(source);
  if (other.FElementCount != FElementCount) {
    throw rtl::Exception("Structure3D error: Differece elements assign failed");
  }
  TUpdateBracket bracket(*this);
  const auto mine = Elements();
  const auto theirs = other.Elements();
  for (std::size_t i = 0; i < mine.size(); ++i) mine[i]->Assign(*theirs[i]);
}

void TStructure3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  for (TElement3D* element : Elements()) element->LoadFromStream(stream);
}

void TStructure3D::SaveToStream(rtl::TStream& stream) {
  for (TElement3D* element : Elements()) element->SaveToStream(stream);
}
