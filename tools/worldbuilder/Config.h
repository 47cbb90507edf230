#pragma once

// The default world's tunables, each with its reason. Lengths are in metres here; the world file
// holds centimetres (the sound device's distance factor 0.01 makes one unit one centimetre).

#include <cstdint>

namespace worldbuilder {

// Centimetres per metre: every length leaves the builder multiplied by this.
constexpr float kUnit = 100.0f;

// The valley: a square of land 1.6 km across, the show's clear view reaching about 1 km.
constexpr float kLandHalf = 800.0f;
// Land cells of 25 m: the software rasterizer's triangle budget, with textures giving the detail.
constexpr float kLandCell = 25.0f;
// Land tiles of 8 x 8 cells, each its own mesh, so that the renderer can skip those out of view.
constexpr int kTileCells = 8;
// The lake's surface; the valley floor lies a few metres above it.
constexpr float kWaterLevel = 0.0f;
// Distant mountains close the horizon between these radii.
constexpr float kMountainInner = 780.0f;
constexpr float kMountainOuter = 4000.0f;

// The sun's direction: low in the south-west, so that its light brings out the land's relief.
constexpr float kSunX = 0.55f, kSunY = -0.5f, kSunZ = 0.67f;

// The tour: one loop of 320 s (the day cycle's length), keys every half second.
constexpr float kTourSeconds = 320.0f;
constexpr float kTourKeysPerSecond = 2.0f;
// Clearances the tour keeps (the tests check them): above the ground and outside every box.
constexpr float kCameraGroundClearance = 1.5f;
constexpr float kCameraBoxClearance = 2.0f;

// Seeds: the same world, byte for byte, every build.
constexpr std::uint32_t kTerrainSeed = 1987;
constexpr std::uint32_t kPlantSeed = 65;
constexpr std::uint32_t kPictureSeed = 1993;

}  // namespace worldbuilder
