#pragma once

#include <cstdint>

#include "core3d/ListBox3D.h"

// A box list with one extra flag that is stored, copied and streamed.
class TTopologyBox3D : public TListBox3D {
 public:
  const char* ClassName() const override { return "TTopologyBox3D"; }

  std::uint8_t TopologyFlag = 1;

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;
};
