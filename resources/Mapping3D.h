#pragma once

// The texture-mapping flags of one mesh group, as the platform takes them. The group that owns the
// value hooks its change to send the flags on.

#include <cstdint>

#include "core3d/Element3D.h"

class TMapping3D : public TElement3D {
 public:
  const char* ClassName() const override { return "TMapping3D"; }

  // Stores and notifies only when the flags differ.
  void SetMapping(std::uint32_t mapping);
  std::uint32_t Mapping() const { return FMapping; }

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

 private:
  std::uint32_t FMapping = 0;  // rm::D3DRMMAP_WRAPU | D3DRMMAP_WRAPV | D3DRMMAP_PERSPCORRECT
};
