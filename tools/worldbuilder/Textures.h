#pragma once

// The world's pictures, painted from noise: ground by kind, water ripples as a flip-book, clouds,
// mountain rock, bark and leaves, the creatures' skins, and the colour-keyed decals of the
// undergrowth. Each texture gets a material of the same name.

#include "scene/World3D.h"

namespace worldbuilder {

// Ground kinds, by height and slope; the land's surfaces are named after them.
inline constexpr const char* kGroundMaterials[] = {"Moss", "Earth", "Rock", "Sand", "Mud"};
enum class TGround { Moss, Earth, Rock, Sand, Mud };
// Each ground kind comes in shades, by how squarely a triangle faces the sun: the software show
// draws the land unlit, and these keep its relief readable. Material = kind name + shade suffix.
inline constexpr const char* kGroundShades[] = {"Shade", "", "Lit"};
inline constexpr float kGroundShadeLevels[] = {0.7f, 0.86f, 1.02f};
inline constexpr int kGroundShadeCount = 3;

// Adds every texture and material; the water texture carries its flip-book.
void AddTexturesAndMaterials(TWorld3D& world);

}  // namespace worldbuilder
