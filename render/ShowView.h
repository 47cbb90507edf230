#pragma once

// The view the show looks through, in the world's units: near enough to pass close to a flank, far
// enough to see the whole valley. The field gives about 80 degrees across the view's shorter side.
// A view nobody sets keeps the platform's own values (TViewport3D's defaults).

#include <cstdint>

constexpr float kShowFront = 24.0f;
constexpr float kShowField = 20.0f;
constexpr float kShowBack = 1000000.0f;

// The texture settings the show loads a world with, and so the ones its builder converts with:
// texture animation keys hold pixels in the converted format. (The MMX-class driver takes 8 bits.)
constexpr int kShowTextureMinSize = 8;
constexpr int kShowTextureMaxSize = 256;
constexpr int kShowTextureDepth = 16;
constexpr int kShowTextureShift = 0;

// The sound format the show plays and the builder synthesises at.
constexpr std::uint32_t kShowSampleRate = 11025;
