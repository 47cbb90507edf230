#pragma once

// The still parts of the world: the land in tiles textured by height and slope, the lake, the
// ring of mountains, the clouds of the background, and the light (an ambient light that the
// day-time cycle drives, then the sun).

#include "scene/World3D.h"

namespace worldbuilder {

// The meshes and models of the land, the lake, the mountains and the clouds.
void AddSceneryModels(TWorld3D& world);
// Their objects in `scene`, the background mesh and colour.
void PlaceScenery(TWorld3D& world, TScene3D& scene);

// The background colour the world keeps when no day-time cycle runs: a clear sky.
constexpr std::uint32_t kSkyColor = 0xFF7EA8D8u;

}  // namespace worldbuilder
