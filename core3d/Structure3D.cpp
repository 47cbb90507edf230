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
  FElements.push_back(element);
  element->OnChange = TNotifyEvent::Bind<&TStructure3D::ElementChanged>(this);
  return static_cast<int>(FElements.size()) - 1;
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
  if (other.FElements.size() != FElements.size()) {
    throw rtl::Exception("Structure3D error: Differece elements assign failed");
  }
  TUpdateBracket bracket(*this);
  for (std::size_t i = 0; i < FElements.size(); ++i) FElements[i]->Assign(*other.FElements[i]);
}

void TStructure3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  for (TElement3D* element : FElements) element->LoadFromStream(stream);
}

void TStructure3D::SaveToStream(rtl::TStream& stream) {
  for (TElement3D* element : FElements) element->SaveToStream(stream);
}
