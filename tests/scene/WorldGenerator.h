#pragma once

// Adds to a world, from a seed, what makes a saved world hard to load back unchanged: models whose
// item trees hang items under items (every item class, some hidden, some keyed on position,
// rotation or scale), map objects placed, turned and keyed before or after they are linked into
// scenes whose roots are moved and turned, some linked into a second scene afterwards, objects of a
// scene's own, nested items moved once their object lies in its scene, a texture with animation
// keys and one whose transparent colour comes from its picture. It uses the world's own meshes,
// textures and sounds; the world needs a scene, a mesh, a texture and a sound.

#include "scene/World3D.h"

namespace testing_support {

void AddGeneratedObjects(TWorld3D& world, unsigned seed);

}  // namespace testing_support
