#include "tools/worldbuilder/Land.h"

#include <algorithm>
#include <cmath>

#include "tools/worldbuilder/Config.h"
#include "tools/worldbuilder/Noise.h"

namespace worldbuilder {

namespace {

float SmoothStep(float a, float b, float x) {
  const float t = std::clamp((x - a) / (b - a), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

// The valley's axis winds from south to north.
float Axis(float z) { return 70.0f * std::sin(z / 260.0f) + 25.0f * std::sin(z / 97.0f + 1.0f); }

}  // namespace

float LakeRadius(float x, float z) {
  const float dx = (x - kLakeX) / kLakeRx, dz = (z - kLakeZ) / kLakeRz;
  return std::sqrt(dx * dx + dz * dz);
}

float GroundHeight(float x, float z) {
  const float gx = (x + kLandHalf) / kLandCell, gz = (z + kLandHalf) / kLandCell;
  const float i = std::floor(gx), j = std::floor(gz), fx = gx - i, fz = gz - j;
  auto corner = [&](float di, float dj) {
    return CornerHeight(-kLandHalf + (i + di) * kLandCell, -kLandHalf + (j + dj) * kLandCell);
  };
  const float h00 = corner(0, 0), h11 = corner(1, 1);
  if (fx >= fz) return h00 + fx * (corner(1, 0) - h00) + fz * (h11 - corner(1, 0));
  return h00 + fz * (corner(0, 1) - h00) + fx * (h11 - corner(0, 1));
}

float CornerHeight(float x, float z) {
  const float d = x - Axis(z), across = std::fabs(d);
  float h = 3.0f + 2.0f * FractalNoise(x / 110.0f, z / 110.0f, 3, kTerrainSeed);
  h += 80.0f * SmoothStep(150.0f, 640.0f, across) *
       (0.75f + 0.5f * ValueNoise(x / 300.0f, z / 300.0f, kTerrainSeed + 1));
  h += 30.0f * FractalNoise(x / 170.0f, z / 170.0f, 4, kTerrainSeed + 2) * SmoothStep(90.0f, 380.0f, across);
  // East cliffs: a step of rock above the valley floor.
  if (d > 0.0f) {  // east cliffs: outcrops of rock whose line and height wander along the valley
    const float wander = 45.0f * ValueNoise(z / 140.0f, 3.0f, kTerrainSeed + 3);
    const float height = 30.0f + 26.0f * ValueNoise(z / 110.0f, 7.0f, kTerrainSeed + 4);
    h += height * SmoothStep(280.0f + wander, 330.0f + wander, d);
  }
  // The land climbs to meet the mountains at its rim.
  const float rim = std::sqrt(x * x + z * z);
  h += 0.6f * std::max(0.0f, rim - 620.0f);
  const float e = LakeRadius(x, z);
  if (e < 1.0f) h -= 16.0f * (1.0f - e * e) * (1.0f - 0.3f * e);
  return h;
}

rm::Vector GroundNormal(float x, float z) {
  constexpr float step = 2.0f;
  const float dx = CornerHeight(x + step, z) - CornerHeight(x - step, z);
  const float dz = CornerHeight(x, z + step) - CornerHeight(x, z - step);
  return rm::Normalize({-dx, 2.0f * step, -dz});
}

}  // namespace worldbuilder
