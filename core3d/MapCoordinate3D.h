#pragma once

#include "core3d/Element3D.h"

// A texture coordinate.
class TMapCoordinate3D : public TElement3D {
 public:
  const char* ClassName() const override { return "TMapCoordinate3D"; }

  // Compares before snapping; stores snapped values and notifies when either differed.
  void SetUV(float u, float v);
  float U() const { return FU; }
  float V() const { return FV; }

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

 private:
  float FU = 0.0f;
  float FV = 0.0f;
};
