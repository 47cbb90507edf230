#include "platform/rm/Math.h"

#include <cmath>

namespace rm {

Vector operator+(const Vector& a, const Vector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vector operator-(const Vector& a, const Vector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector operator*(const Vector& a, float k) { return {a.x * k, a.y * k, a.z * k}; }
float Dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector Cross(const Vector& a, const Vector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Length(const Vector& a) { return std::sqrt(Dot(a, a)); }
Vector Normalize(const Vector& a) {
  const float length = Length(a);
  return length > 0.0f ? a * (1.0f / length) : a;
}

Matrix Matrix::Identity() { return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}; }

Matrix Matrix::Translation(const Vector& t) {
  Matrix result = Identity();
  result.SetRow(3, t);
  return result;
}

Matrix Matrix::Scale(const Vector& s) {
  Matrix result = Identity();
  result.m[0][0] = s.x;
  result.m[1][1] = s.y;
  result.m[2][2] = s.z;
  return result;
}

// Positive rotation about an axis turns +x toward +y looking along the axis toward the origin.
Matrix Matrix::FromQuaternion(const Quaternion& q) {
  const float w = q.s, x = q.v.x, y = q.v.y, z = q.v.z;
  Matrix r = Identity();
  r.m[0][0] = 1 - 2 * (y * y + z * z);
  r.m[0][1] = 2 * (x * y + w * z);
  r.m[0][2] = 2 * (x * z - w * y);
  r.m[1][0] = 2 * (x * y - w * z);
  r.m[1][1] = 1 - 2 * (x * x + z * z);
  r.m[1][2] = 2 * (y * z + w * x);
  r.m[2][0] = 2 * (x * z + w * y);
  r.m[2][1] = 2 * (y * z - w * x);
  r.m[2][2] = 1 - 2 * (x * x + y * y);
  return r;
}

bool Matrix::FromOrientation(const Vector& direction, const Vector& up, const Vector& position, Matrix* out) {
  const Vector d = Normalize(direction);
  const Vector u = Normalize(up - d * Dot(up, d));
  if (Length(d) < 0.5f || Length(u) < 0.5f) return false;
  Matrix result = Identity();
  result.SetRow(0, Cross(u, d));
  result.SetRow(1, u);
  result.SetRow(2, d);
  result.SetRow(3, position);
  *out = result;
  return true;
}

void Matrix::SetRow(int i, const Vector& v) {
  m[i][0] = v.x;
  m[i][1] = v.y;
  m[i][2] = v.z;
}

Vector Matrix::TransformPoint(const Vector& p) const {
  return {p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0],
          p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1],
          p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2]};
}

Vector Matrix::TransformVector(const Vector& v) const {
  return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0], v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
          v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]};
}

Matrix Matrix::InverseAffine() const {
  const float a = m[0][0], b = m[0][1], c = m[0][2];
  const float d = m[1][0], e = m[1][1], f = m[1][2];
  const float g = m[2][0], h = m[2][1], i = m[2][2];
  const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
  if (std::fabs(det) < 1e-30f) return Identity();
  const float k = 1.0f / det;
  Matrix r = Identity();
  r.m[0][0] = (e * i - f * h) * k;
  r.m[0][1] = (c * h - b * i) * k;
  r.m[0][2] = (b * f - c * e) * k;
  r.m[1][0] = (f * g - d * i) * k;
  r.m[1][1] = (a * i - c * g) * k;
  r.m[1][2] = (c * d - a * f) * k;
  r.m[2][0] = (d * h - e * g) * k;
  r.m[2][1] = (b * g - a * h) * k;
  r.m[2][2] = (a * e - b * d) * k;
  r.SetRow(3, r.TransformVector(Row(3)) * -1.0f);
  return r;
}

Matrix operator*(const Matrix& a, const Matrix& b) {
  Matrix r{};
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      r.m[row][col] =
          a.m[row][0] * b.m[0][col] + a.m[row][1] * b.m[1][col] + a.m[row][2] * b.m[2][col] + a.m[row][3] * b.m[3][col];
    }
  }
  return r;
}

Quaternion QuaternionFromRotation(const Vector& axis, float angle) {
  const Vector unit = Normalize(axis);
  return {std::cos(angle / 2), unit * std::sin(angle / 2)};
}

Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b) {
  return {a.s * b.s - Dot(a.v, b.v), b.v * a.s + a.v * b.s + Cross(a.v, b.v)};
}

Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t) {
  float cosine = a.s * b.s + Dot(a.v, b.v);
  Quaternion to = b;
  if (cosine < 0) {  // the same rotation the other way round is the shorter arc
    cosine = -cosine;
    to = {-b.s, b.v * -1.0f};
  }
  float wa = 1 - t, wb = t;
  if (cosine < 0.9995f) {
    const float angle = std::acos(cosine);
    const float sine = std::sin(angle);
    wa = std::sin((1 - t) * angle) / sine;
    wb = std::sin(t * angle) / sine;
  }
  Quaternion r{a.s * wa + to.s * wb, a.v * wa + to.v * wb};
  const float length = std::sqrt(r.s * r.s + Dot(r.v, r.v));
  return {r.s / length, r.v * (1.0f / length)};
}

Vector CatmullRom(const Vector& p0, const Vector& p1, const Vector& p2, const Vector& p3, float t) {
  const float t2 = t * t, t3 = t2 * t;
  const float c0 = -0.5f * t3 + t2 - 0.5f * t;
  const float c1 = 1.5f * t3 - 2.5f * t2 + 1.0f;
  const float c2 = -1.5f * t3 + 2.0f * t2 + 0.5f * t;
  const float c3 = 0.5f * t3 - 0.5f * t2;
  return p0 * c0 + p1 * c1 + p2 * c2 + p3 * c3;
}

}  // namespace rm
