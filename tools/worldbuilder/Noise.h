#pragma once

// Deterministic randomness for the builder: a small generator whose numbers are the same on every
// compiler (the standard distributions are not), and smooth value noise for land and pictures.

#include <cstdint>

namespace worldbuilder {

class TRandom {
 public:
  explicit TRandom(std::uint32_t seed) : FState(seed * 2654435761u + 1u) {}
  std::uint32_t Next();
  // Uniform in [0, 1).
  float Unit();
  float Range(float low, float high) { return low + (high - low) * Unit(); }

 private:
  std::uint32_t FState;
};

// Smooth noise in about [-1, 1]: value noise on an integer lattice, cubic blend.
float ValueNoise(float x, float y, std::uint32_t seed);
// Sums `octaves` layers, each of twice the frequency and half the amplitude; about [-1, 1].
float FractalNoise(float x, float y, int octaves, std::uint32_t seed);
// Noise that repeats every `period` lattice cells in both directions (for tiling textures).
float TiledNoise(float x, float y, int period, int octaves, std::uint32_t seed);

}  // namespace worldbuilder
