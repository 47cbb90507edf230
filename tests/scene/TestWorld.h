#pragma once

// A small world built in code through the object model, as a world builder would build one: a
// textured ground, a model with shape, sprite, light, camera and sound items and a looping motion,
// two scenes with own and linked objects, a hidden object, and a background mesh with fog.

#include <string>

#include "scene/World3D.h"

namespace testing_support {

// Colours the pictures are checked for.
constexpr std::uint32_t kGhostColor = 0xFFFF00FFu;  // the hidden object: magenta, never drawn
constexpr std::uint32_t kSkyColor = 0xFF5080C0u;    // background and fog colour

// Fills an empty world. Textures keep their stored pictures, so the world can be saved.
void BuildTestWorld(TWorld3D& world);

}  // namespace testing_support
