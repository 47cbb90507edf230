#pragma once

// The valley's shape: one height function, in metres, for the land, the lake, the cliffs and the
// foot of the mountains. Everything that stands or walks on the ground asks it.

#include "platform/rm/Math.h"

namespace worldbuilder {

// The land's height at a corner of its grid, where the land's meshes have their vertices.
float CornerHeight(float x, float z);
// The height of the land's surface as its meshes draw it: the corners' heights interpolated over
// the two triangles of each cell.
float GroundHeight(float x, float z);
rm::Vector GroundNormal(float x, float z);
// How far (in ellipse radii, 1 at the lake's rim) a point lies from the lake's middle.
float LakeRadius(float x, float z);

// The lake's middle and half-axes.
constexpr float kLakeX = 40.0f, kLakeZ = -220.0f, kLakeRx = 200.0f, kLakeRz = 140.0f;

}  // namespace worldbuilder
