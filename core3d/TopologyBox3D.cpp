#include "core3d/TopologyBox3D.h"

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

void TTopologyBox3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TTopologyBox3D>(source);
  TListBox3D::Assign(other);
  TopologyFlag = other.TopologyFlag;
}

void TTopologyBox3D::LoadFromStream(rtl::TStream& stream) {
  TListBox3D::LoadFromStream(stream);
  TopologyFlag = ReadByte(stream);
}

void TTopologyBox3D::SaveToStream(rtl::TStream& stream) {
  TListBox3D::SaveToStream(stream);
  WriteByte(stream, TopologyFlag);
}
