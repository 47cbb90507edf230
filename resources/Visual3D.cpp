#include "resources/Visual3D.h"

#include "platform/rtl/Cast.h"

TVisual3D::TVisual3D(TCollection3D* collection, const std::string& name) : TItemCollection3D(collection, name) {}

TBox3D& TVisual3D::GetBox() const {
  if (FBoxVersion != FVersion) UpdateBox();
  return FBox;
}

void TVisual3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TVisual3D>(source);
  {
    TUpdateBracket bracket(*this);
    TItemCollection3D::Assign(other);
    GetBox().Assign(other.GetBox());
    TopologyBox.Assign(other.TopologyBox);
  }
  Touch();
}

void TVisual3D::LoadFromStream(rtl::TStream& stream) {
  {
    TUpdateBracket bracket(*this);
    TItemCollection3D::LoadFromStream(stream);
    FBox.LoadFromStream(stream);
    TopologyBox.LoadFromStream(stream);
  }
  Touch();
}

void TVisual3D::SaveToStream(rtl::TStream& stream) {
  TItemCollection3D::SaveToStream(stream);
  UpdateBox();
  FBox.SaveToStream(stream);
  TopologyBox.SaveToStream(stream);
}
