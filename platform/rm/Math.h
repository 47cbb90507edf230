#pragma once

// Vector, matrix and quaternion arithmetic of the retained-mode layer. Left-handed coordinates;
// points are row vectors, p' = p · M, so a frame's world matrix is local · parent · … · root.

#include "platform/rm/Types.h"

namespace rm {

Vector operator+(const Vector& a, const Vector& b);
Vector operator-(const Vector& a, const Vector& b);
Vector operator*(const Vector& a, float k);
float Dot(const Vector& a, const Vector& b);
Vector Cross(const Vector& a, const Vector& b);
float Length(const Vector& a);
// The unit vector along a; the zero vector stays zero.
Vector Normalize(const Vector& a);

// A 4x4 matrix for row vectors: rows 0..2 are the images of the x, y, z axes, row 3 the origin.
struct Matrix {
  float m[4][4];

  static Matrix Identity();
  static Matrix Translation(const Vector& t);
  static Matrix Scale(const Vector& s);
  static Matrix FromQuaternion(const Quaternion& q);
  // Rows [r; u'; d̂] with d̂ = norm(d), u' = norm(u − (u·d̂)d̂), r = u' × d̂, and row 3 = position.
  // Returns false (and leaves out unchanged) when d is zero or parallel to u.
  static bool FromOrientation(const Vector& direction, const Vector& up, const Vector& position, Matrix* out);

  Vector Row(int i) const { return {m[i][0], m[i][1], m[i][2]}; }
  void SetRow(int i, const Vector& v);
  Vector TransformPoint(const Vector& p) const;
  // Directions ignore the translation row.
  Vector TransformVector(const Vector& v) const;
  // The inverse of an affine matrix (last column 0, 0, 0, 1); a singular 3x3 part gives identity.
  Matrix InverseAffine() const;
};

// a · b: apply a first, then b.
Matrix operator*(const Matrix& a, const Matrix& b);

Quaternion QuaternionFromRotation(const Vector& axis, float angle);
// The Hamilton product a · b: the result rotates by b first, then by a.
Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b);
// Spherical linear interpolation along the shorter arc.
Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t);

// The Catmull-Rom point between p1 (t = 0) and p2 (t = 1), with p0 and p3 the neighbours.
Vector CatmullRom(const Vector& p0, const Vector& p1, const Vector& p2, const Vector& p3, float t);

}  // namespace rm
