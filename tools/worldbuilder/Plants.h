#pragma once

// The still life of the valley: tree ferns, cycads and conifers as meshes, boulders under the
// cliffs, and colour-keyed decals of ferns and horsetails for the undergrowth. Each kind is one
// object holding one item per plant; nothing grows where a creature walks.

#include <vector>

#include "platform/rm/Math.h"
#include "scene/World3D.h"

namespace worldbuilder {

// A plant or rock as the tour avoids it: a standing cylinder, in metres.
struct TObstacle {
  float x, z, radius, top;
};

void AddPlantMeshes(TWorld3D& world);
// Places every plant and rock in `scene`; returns where they stand.
std::vector<TObstacle> PlacePlants(TWorld3D& world, TScene3D& scene);
// Swaps far meshes in for plants the tour's camera is not near; `eyes` is the camera's path,
// `eyesPerSecond` points a second over the tour's loop.
void BakePlantDetail(TWorld3D& world, TScene3D& scene, const std::vector<rm::Vector>& eyes, float eyesPerSecond);

}  // namespace worldbuilder
