#pragma once

// The 3D parameter blocks of a source and of the listener, mapped onto OpenAL:
// - positions, velocities and directions flip z (OpenAL is right-handed);
// - the inverse-distance-clamped model: reference distance = minimum distance, max distance =
//   maximum distance, and the listener's rolloff factor on every 3D source;
// - the distance factor (metres per unit) sets the speed of sound to 343.3 / factor units per
//   second; the Doppler factor is OpenAL's as it is;
// - cone outside volume in hundredths of a decibel becomes the cone's outer gain;
// - modes: normal = world-relative, head-relative = listener-relative, disable = at the listener.
// Deferred parameters take effect at once, like immediate ones.
//
// Both are views: a 3D buffer must be released before its buffer, a listener before its sound.

#include <memory>

#include "platform/ds/Types.h"

namespace ds {

class Buffer;
class Sound;

class Buffer3D {
 public:
  Result GetAllParameters(Buffer3DParams& params) const;
  Result SetAllParameters(const Buffer3DParams& params, std::uint32_t apply);
  Result GetMaxDistance(float& distance) const;
  Result GetMinDistance(float& distance) const;
  Result GetConeAngles(std::uint32_t& inside, std::uint32_t& outside) const;
  Result GetConeOutsideVolume(std::int32_t& volume) const;

 private:
  friend class Buffer;
  explicit Buffer3D(Buffer* buffer) : FBuffer(buffer) {}

  Buffer* FBuffer;
};

class Listener {
 public:
  Result GetAllParameters(ListenerParams& params) const;
  Result SetAllParameters(const ListenerParams& params, std::uint32_t apply);

 private:
  friend class Buffer;
  explicit Listener(Sound* sound) : FSound(sound) {}

  Sound* FSound;
};

}  // namespace ds
