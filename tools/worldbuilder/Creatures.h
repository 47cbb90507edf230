#pragma once

// The six species, built from simple solids as items of a model: a body, and legs, neck, head,
// tail, wings or flippers hung at their joints, each named in its comment ("leg", "neck" ...).
// A leg's comment also gives where its foot lies: "leg <phase> <foot below the hip, in units>".
// Each creature of the world is an object copied from its species and given its own keys: its
// path, its stride and its sways, all in one looping motion.

#include "scene/World3D.h"
#include "tools/worldbuilder/Herds.h"

namespace worldbuilder {

// The meshes and the model of every species.
void AddSpeciesModels(TWorld3D& world);
// Every creature of every herd, placed in `scene` with its motion.
void PlaceCreatures(TWorld3D& world, TScene3D& scene);

}  // namespace worldbuilder
