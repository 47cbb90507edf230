#include "platform/rm/Animation.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/Faults.h"

namespace rm {

namespace {

// Keys stay in time order; a key at the time of an earlier one goes after it.
template <class T>
void Insert(std::vector<Animation::Key<T>>& keys, float time, const T& value) {
  const auto at = std::upper_bound(keys.begin(), keys.end(), time, [](float t, const auto& k) { return t < k.time; });
  keys.insert(at, {time, value});
}

// The index i of the last key at or before time (clamped to the ends) and the fraction towards i + 1.
template <class T>
std::size_t Segment(const std::vector<Animation::Key<T>>& keys, float time, float* fraction) {
  *fraction = 0.0f;
  if (time <= keys.front().time) return 0;
  if (time >= keys.back().time) return keys.size() - 1;
  const auto next = std::upper_bound(keys.begin(), keys.end(), time, [](float t, const auto& k) { return t < k.time; });
  const std::size_t i = static_cast<std::size_t>(next - keys.begin()) - 1;
  const float span = keys[i + 1].time - keys[i].time;
  *fraction = span > 0.0f ? (time - keys[i].time) / span : 0.0f;
  return i;
}

Vector Lerp(const Vector& a, const Vector& b, float t) { return a + (b - a) * t; }

template <class T>
float FirstTime(const std::vector<Animation::Key<T>>& keys, float current) {
  return keys.empty() ? current : std::min(current, keys.front().time);
}

template <class T>
float LastTime(const std::vector<Animation::Key<T>>& keys, float current) {
  return keys.empty() ? current : std::max(current, keys.back().time);
}

}  // namespace

std::int32_t Animation::SetOptions(std::uint32_t options) {
  if (const auto code = rtl::faults::Check("rm.Animation.SetOptions")) return code;
  if ((options & D3DRMANIMATION_OPEN) && (options & D3DRMANIMATION_CLOSED)) return D3DRMERR_BADVALUE;
  FOptions = options;
  return D3DRM_OK;
}

std::int32_t Animation::SetFrame(Frame* frame) {
  if (const auto code = rtl::faults::Check("rm.Animation.SetFrame")) return code;
  FFrame = rtl::Ref<Frame>(frame);
  return D3DRM_OK;
}

std::int32_t Animation::AddRotateKey(float time, const Quaternion& rotation) {
  if (const auto code = rtl::faults::Check("rm.Animation.AddRotateKey")) return code;
  Insert(FRotations, time, rotation);
  return D3DRM_OK;
}

std::int32_t Animation::AddScaleKey(float time, float x, float y, float z) {
  if (const auto code = rtl::faults::Check("rm.Animation.AddScaleKey")) return code;
  Insert(FScales, time, Vector{x, y, z});
  return D3DRM_OK;
}

std::int32_t Animation::AddPositionKey(float time, float x, float y, float z) {
  if (const auto code = rtl::faults::Check("rm.Animation.AddPositionKey")) return code;
  Insert(FPositions, time, Vector{x, y, z});
  return D3DRM_OK;
}

// Open animations hold the time inside the key span; closed ones wrap around it.
float Animation::KeyTime(float time) const {
  const float inf = INFINITY;
  const float first = FirstTime(FPositions, FirstTime(FScales, FirstTime(FRotations, inf)));
  const float last = LastTime(FPositions, LastTime(FScales, LastTime(FRotations, -inf)));
  if (FOptions & D3DRMANIMATION_OPEN) return std::clamp(time, first, last);
  const float span = last - first;
  if (!(span > 0.0f)) return first;
  const float wrapped = std::fmod(time - first, span);
  return first + (wrapped < 0.0f ? wrapped + span : wrapped);
}

Vector Animation::PositionAt(float time) const {
  float t;
  const std::size_t i = Segment(FPositions, time, &t);
  const std::size_t n = FPositions.size();
  const Vector& p1 = FPositions[i].value;
  const Vector& p2 = FPositions[std::min(i + 1, n - 1)].value;
  if (!(FOptions & D3DRMANIMATION_SPLINEPOSITION)) return Lerp(p1, p2, t);
  const Vector& p0 = FPositions[i == 0 ? 0 : i - 1].value;
  const Vector& p3 = FPositions[std::min(i + 2, n - 1)].value;
  return CatmullRom(p0, p1, p2, p3, t);
}

Vector Animation::ScaleAt(float time) const {
  float t;
  const std::size_t i = Segment(FScales, time, &t);
  return Lerp(FScales[i].value, FScales[std::min(i + 1, FScales.size() - 1)].value, t);
}

Quaternion Animation::RotationAt(float time) const {
  float t;
  const std::size_t i = Segment(FRotations, time, &t);
  return Slerp(FRotations[i].value, FRotations[std::min(i + 1, FRotations.size() - 1)].value, t);
}

std::int32_t Animation::SetTime(float time) {
  if (const auto code = rtl::faults::Check("rm.Animation.SetTime")) return code;
  if (!FFrame) return D3DRMERR_BADOBJECT;
  if (FRotations.empty() && FScales.empty() && FPositions.empty()) return D3DRM_OK;
  const float t = KeyTime(time);
  Matrix local = FFrame->Local();
  const Vector position = local.Row(3);
  if (FOptions & D3DRMANIMATION_SCALEANDROTATION) {
    if (!FRotations.empty() || !FScales.empty()) {
      Matrix rotation = Matrix::Identity();
      if (!FRotations.empty()) {
        rotation = Matrix::FromQuaternion(RotationAt(t));
      } else {
        for (int row = 0; row < 3; ++row) rotation.SetRow(row, Normalize(local.Row(row)));
      }
      const Vector scale = FScales.empty() ? Vector{1, 1, 1} : ScaleAt(t);
      local = Matrix::Scale(scale) * rotation;
    }
  }
  local.SetRow(3, (FOptions & D3DRMANIMATION_POSITION) && !FPositions.empty() ? PositionAt(t) : position);
  FFrame->SetLocal(local);
  return D3DRM_OK;
}

}  // namespace rm
