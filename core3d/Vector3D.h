#pragma once

#include "core3d/Element3D.h"
#include "platform/rm/Types.h"

class TBox3D;

// A point or direction of the world: three single floats, also addressed by index 0..2.
class TVector3D : public TElement3D {
 public:
  const char* ClassName() const override { return "TVector3D"; }

  float GetCoord(int index) const;
  // Stores the value as given (not snapped) and notifies when it differs.
  void SetCoord(int index, float v);
  rm::Vector GetVector() const { return {FXYZ[0], FXYZ[1], FXYZ[2]}; }
  void SetVector(const rm::Vector& v) { SetXYZ(v.x, v.y, v.z); }
  // Stores snapped components without notifying.
  void SetRaw(float x, float y, float z);
  // Compares before snapping; stores snapped components and notifies once when any differed.
  void SetXYZ(float x, float y, float z);
  void Subtract(float dx, float dy, float dz) { SetXYZ(X() - dx, Y() - dy, Z() - dz); }

  float X() const { return FXYZ[0]; }
  float Y() const { return FXYZ[1]; }
  float Z() const { return FXYZ[2]; }

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

 private:
  friend class TBox3D;  // Include writes the corners directly, unsnapped and silent

  float FXYZ[3] = {0.0f, 0.0f, 0.0f};
};
