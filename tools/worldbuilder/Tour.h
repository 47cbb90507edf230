#pragma once

// The tour: one camera on a looping motion of the tour's length. It follows the giants, turns
// around the grazers, skims the lake past the swimmers, climbs with the flyers to a view over the
// valley, comes down behind the hunters, passes the plated ones and the tree ferns, and returns
// to its start. Every other motion of the world repeats within the tour, so each lap sees the
// same creatures in the same places. Where a plant, a rock or a creature would come too near,
// the path rises over it.

#include <vector>

#include "scene/World3D.h"
#include "tools/worldbuilder/Plants.h"

namespace worldbuilder {

void AddTourModel(TWorld3D& world);
// Returns the camera's path: kTourKeysPerSecond points a second, in metres.
std::vector<rm::Vector> PlaceTour(TWorld3D& world, TScene3D& scene, const std::vector<TObstacle>& obstacles);

// A moment of the tour that shows the world well: the product picture is taken there.
constexpr float kPictureSeconds = 30.0f;

}  // namespace worldbuilder
