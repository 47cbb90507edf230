#pragma once

// Where the creatures go: each herd, pack or flock follows one closed loop, its members in a fixed
// formation beside and behind each other, so that none ever walks through another. A pose at any
// show time comes from the same functions that write the motions' keys.

#include <vector>

#include "platform/rm/Math.h"

namespace worldbuilder {

enum class TSpecies { Giant, Grazer, Plated, Hunter, Flyer, Swimmer };

struct TPose {
  rm::Vector position;   // metres; the creature's ground point (its water point for swimmers)
  rm::Vector direction;  // the way it faces, with the ground's slope for walkers
  rm::Vector up;
};

struct THerd {
  TSpecies species;
  const char* name;
  float x, z, rx, rz;  // the loop: an ellipse around (x, z)
  int loops;           // laps of the loop per tour, so that the whole world repeats with the tour
  float keysPerSecond;
  std::vector<std::pair<float, float>> formation;  // per member: metres beside (right +) and behind
  float altitude = 0.0f;                           // flyers: metres above the water

  float Length() const;
  // Seconds for one loop; the motion's period.
  float Period() const;
  float Speed() const { return Length() / Period(); }
  TPose Pose(int member, float seconds) const;
  // The loop angle reached after `metres` along the ellipse.
  float AngleAt(float metres) const;

  // A cache: metres along the loop at evenly spaced angles, filled when first needed.
  mutable std::vector<float> walked = {};
};

// Every herd of the world, in the order their objects are made.
const std::vector<THerd>& Herds();

// Half the length and the height of each species, in metres (for keeping plants and the camera
// away from them).
float Reach(TSpecies species);
float Height(TSpecies species);

}  // namespace worldbuilder
