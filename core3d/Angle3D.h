#pragma once

#include "core3d/Element3D.h"

// An angle in radians.
class TAngle3D : public TElement3D {
 public:
  const char* ClassName() const override { return "TAngle3D"; }

  void SetValue(float v);
  float Value() const { return FValue; }

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

 private:
  float FValue = 0.0f;
};
