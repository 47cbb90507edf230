#pragma once

// How the platform's values become OpenAL's.

#include <AL/al.h>

#include <cmath>
#include <cstdint>

#include "platform/ds/Types.h"

namespace ds::mapping {

// Hundredths of a decibel to a linear gain; kVolumeMin or less is silence.
inline float Gain(std::int32_t hundredthsOfDecibel) {
  if (hundredthsOfDecibel <= kVolumeMin) return 0.0f;
  return std::pow(10.0f, static_cast<float>(hundredthsOfDecibel) / 2000.0f);
}

// OpenAL is right-handed: the platform's +z (ahead) is OpenAL's -z.
inline void SetSourceVector(ALuint source, ALenum param, const Vector& v) {
  alSource3f(source, param, v.x, v.y, -v.z);
}

inline bool Finite(const Vector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Speed of sound in metres per second, as the distance factor (metres per unit) scales it.
constexpr float kSpeedOfSound = 343.3f;

}  // namespace ds::mapping
