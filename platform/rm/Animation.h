#pragma once

// Key-framed motion of one frame: rotation, scale and position keys; SetTime writes the frame's
// parent-relative matrix S · R · T from the keys around the time.

#include <cstdint>
#include <vector>

#include "platform/rm/Frame.h"
#include "platform/rm/Object.h"

namespace rm {

enum AnimationOptions : std::uint32_t {
  D3DRMANIMATION_OPEN = 0x01,            // plays once: the time is held between the first and last key
  D3DRMANIMATION_CLOSED = 0x02,          // loops over the key span
  D3DRMANIMATION_LINEARPOSITION = 0x04,  // straight lines between position keys
  D3DRMANIMATION_SPLINEPOSITION = 0x08,  // a Catmull-Rom spline through the position keys
  D3DRMANIMATION_SCALEANDROTATION = 0x10,
  D3DRMANIMATION_POSITION = 0x20,
};

class Animation : public Object {
 public:
  std::int32_t SetOptions(std::uint32_t options);
  std::uint32_t GetOptions() const { return FOptions; }
  std::int32_t SetFrame(Frame* frame);
  Frame* GetFrame() const { return FFrame.Get(); }
  std::int32_t AddRotateKey(float time, const Quaternion& rotation);
  std::int32_t AddScaleKey(float time, float x, float y, float z);
  std::int32_t AddPositionKey(float time, float x, float y, float z);
  std::int32_t SetTime(float time);

  template <class T>
  struct Key {
    float time;
    T value;
  };

 private:
  float KeyTime(float time) const;
  Vector PositionAt(float time) const;
  Vector ScaleAt(float time) const;
  Quaternion RotationAt(float time) const;

  std::uint32_t FOptions = D3DRMANIMATION_CLOSED | D3DRMANIMATION_LINEARPOSITION | D3DRMANIMATION_POSITION;
  rtl::Ref<Frame> FFrame;
  std::vector<Key<Quaternion>> FRotations;
  std::vector<Key<Vector>> FScales;
  std::vector<Key<Vector>> FPositions;
};

}  // namespace rm
