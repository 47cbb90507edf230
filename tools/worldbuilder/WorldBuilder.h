#pragma once

// The default world, built through the object model: textures and sounds, then the meshes and
// models of the land, plants, creatures and tour, then one scene holding them all.

#include "scene/World3D.h"

namespace worldbuilder {

// The world file's and the product picture's names in the data folder.
inline constexpr const char* kWorldFileName = "Quorlith 3D.q3w";
inline constexpr const char* kPictureFileName = "Quorlith 3D.jpg";

// Fills an empty world. A retained-mode root must be current (a headless view makes one).
void BuildDefaultWorld(TWorld3D& world);

}  // namespace worldbuilder
