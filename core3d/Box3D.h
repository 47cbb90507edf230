#pragma once

#include "core3d/Structure3D.h"
#include "core3d/Vector3D.h"
#include "platform/rm/Types.h"

// An axis-aligned box: minimum and maximum corners.
class TBox3D : public TStructure3D {
 public:
  TBox3D() { AddElements(&Min, &Max); }

  const char* ClassName() const override { return "TBox3D"; }

  void SetBox(const rm::Box& box);
  rm::Box GetBox() const { return {Min.GetVector(), Max.GetVector()}; }
  void Subtract(float dx, float dy, float dz);
  // The empty box: a minimum of 2^31 and a maximum of -2^31 on every axis, so that including any
  // box into it yields that box.
  static constexpr float kEmptyExtent = 2147483648.0f;
  static constexpr rm::Box kEmpty{{kEmptyExtent, kEmptyExtent, kEmptyExtent},
                                  {-kEmptyExtent, -kEmptyExtent, -kEmptyExtent}};
  void MakeEmpty();
  // Grows this box to hold `other`; writes the corners directly, without snapping or notifying.
  void Include(const TBox3D& other);
  // The same growth for a plain box.
  static void Include(rm::Box& box, const rm::Box& other);

  TVector3D Min;
  TVector3D Max;
};
