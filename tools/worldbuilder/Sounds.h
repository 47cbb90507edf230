#pragma once

// The world's sounds, synthesised at the show's sample rate: a call for each species (each call
// followed by silence and looped, so it comes back every few seconds), lapping water, insects and
// wind. Sound items carry them: on a creature, started by its motion; at still places, alone.

#include "scene/World3D.h"

namespace worldbuilder {

// The sound templates, with their samples.
void AddSounds(TWorld3D& world);
// The calls on the first creature of each herd, and the water, insects and wind in `scene`.
void PlaceSounds(TWorld3D& world, TScene3D& scene);

}  // namespace worldbuilder
