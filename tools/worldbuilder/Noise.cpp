#include "tools/worldbuilder/Noise.h"

#include <cmath>

namespace worldbuilder {

namespace {

std::uint32_t Hash(std::int32_t x, std::int32_t y, std::uint32_t seed) {
  std::uint32_t h =
      static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

float Lattice(std::int32_t x, std::int32_t y, std::uint32_t seed) {
  return static_cast<float>(Hash(x, y, seed) & 0xFFFFFF) / 8388607.5f - 1.0f;
}

float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }

float Blend(float x, float y, std::uint32_t seed, int period) {
  const float fx = std::floor(x), fy = std::floor(y);
  auto ix = static_cast<std::int32_t>(fx), iy = static_cast<std::int32_t>(fy);
  const float tx = Smooth(x - fx), ty = Smooth(y - fy);
  auto wrap = [period](std::int32_t v) { return period > 0 ? ((v % period) + period) % period : v; };
  const float a = Lattice(wrap(ix), wrap(iy), seed), b = Lattice(wrap(ix + 1), wrap(iy), seed);
  const float c = Lattice(wrap(ix), wrap(iy + 1), seed), d = Lattice(wrap(ix + 1), wrap(iy + 1), seed);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

}  // namespace

std::uint32_t TRandom::Next() {
  FState ^= FState << 13;
  FState ^= FState >> 17;
  FState ^= FState << 5;
  return FState;
}

float TRandom::Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }

float ValueNoise(float x, float y, std::uint32_t seed) { return Blend(x, y, seed, 0); }

float FractalNoise(float x, float y, int octaves, std::uint32_t seed) {
  float sum = 0.0f, amplitude = 0.5f, total = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * ValueNoise(x, y, seed + static_cast<std::uint32_t>(i) * 101u);
    total += amplitude;
    x *= 2.0f, y *= 2.0f, amplitude *= 0.5f;
  }
  return sum / total;
}

float TiledNoise(float x, float y, int period, int octaves, std::uint32_t seed) {
  float sum = 0.0f, amplitude = 0.5f, total = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * Blend(x, y, seed + static_cast<std::uint32_t>(i) * 101u, period);
    total += amplitude;
    x *= 2.0f, y *= 2.0f, period *= 2, amplitude *= 0.5f;
  }
  return sum / total;
}

}  // namespace worldbuilder
