#include "tools/worldbuilder/Herds.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/worldbuilder/Config.h"
#include "tools/worldbuilder/Land.h"

namespace worldbuilder {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

rm::Vector Ellipse(const THerd& h, float angle) {
  return {h.x + h.rx * std::cos(angle), 0.0f, h.z + h.rz * std::sin(angle)};
}

rm::Vector Tangent(const THerd& h, float angle) {
  return rm::Normalize({-h.rx * std::sin(angle), 0.0f, h.rz * std::cos(angle)});
}

constexpr int kLoopSteps = 4096;

TPose Walker(const THerd& h, const rm::Vector& at, const rm::Vector& ahead) {
  const float reach = Reach(h.species) * 0.6f;
  const rm::Vector front = at + ahead * reach, back = at - ahead * reach;
  const float rise = GroundHeight(front.x, front.z) - GroundHeight(back.x, back.z);
  const rm::Vector direction = rm::Normalize(ahead * (2.0f * reach) + rm::Vector{0, rise, 0});
  const float ground = 0.5f * (GroundHeight(front.x, front.z) + GroundHeight(back.x, back.z));
  return {{at.x, ground, at.z}, direction, {0, 1, 0}};
}

// Flyers rise and fall gently and lean into their turn.
TPose Flyer(const THerd& h, const rm::Vector& at, const rm::Vector& ahead, float angle, int member) {
  const float height = h.altitude + 4.0f * std::sin(2.0f * angle + static_cast<float>(member)) + 8.0f * member;
  const rm::Vector inward = rm::Normalize(rm::Vector{h.x, 0, h.z} - at);
  return {{at.x, kWaterLevel + height, at.z}, ahead, rm::Normalize(rm::Vector{0, 1, 0} + inward * 0.35f)};
}

}  // namespace

float THerd::Length() const {
  if (walked.empty()) {
    walked.push_back(0.0f);
    for (int i = 0; i < kLoopSteps; ++i) {
      const float a = 2.0f * kPi * static_cast<float>(i) / kLoopSteps;
      const float b = 2.0f * kPi * static_cast<float>(i + 1) / kLoopSteps;
      walked.push_back(walked.back() + rm::Length(Ellipse(*this, b) - Ellipse(*this, a)));
    }
  }
  return walked.back();
}

float THerd::Period() const { return kTourSeconds / static_cast<float>(loops); }

float THerd::AngleAt(float metres) const {
  const float length = Length();
  metres = std::fmod(metres, length);
  if (metres < 0.0f) metres += length;
  const auto at = std::upper_bound(walked.begin(), walked.end(), metres);
  const auto i = static_cast<int>(std::clamp<std::ptrdiff_t>(at - walked.begin() - 1, 0, kLoopSteps - 1));
  const float t = (metres - walked[i]) / std::max(1e-6f, walked[i + 1] - walked[i]);
  return 2.0f * kPi * (static_cast<float>(i) + t) / kLoopSteps;
}

TPose THerd::Pose(int member, float seconds) const {
  const auto [beside, behind] = formation[static_cast<std::size_t>(member)];
  const float angle = AngleAt(Speed() * seconds - behind);
  const rm::Vector ahead = Tangent(*this, angle);
  const rm::Vector right{ahead.z, 0.0f, -ahead.x};
  const rm::Vector at = Ellipse(*this, angle) + right * beside;
  if (species == TSpecies::Flyer) return Flyer(*this, at, ahead, angle, member);
  if (species == TSpecies::Swimmer) return {{at.x, kWaterLevel, at.z}, ahead, {0, 1, 0}};
  return Walker(*this, at, ahead);
}

const std::vector<THerd>& Herds() {
  static const std::vector<THerd> herds = {
      {TSpecies::Giant,
       "Giant",
       -20.0f,
       330.0f,
       80.0f,
       45.0f,
       1,
       2.0f,
       {{-5.0f, 0.0f}, {5.0f, 16.0f}, {-5.0f, 32.0f}, {5.0f, 48.0f}, {-5.0f, 64.0f}}},
      {TSpecies::Grazer,
       "Grazer",
       170.0f,
       -20.0f,
       60.0f,
       40.0f,
       1,
       3.0f,
       {{-3.5f, 0.0f}, {3.5f, 5.5f}, {-3.5f, 11.0f}, {3.5f, 16.5f}, {-3.5f, 22.0f}, {3.5f, 27.5f}}},
      {TSpecies::Plated,
       "Plated",
       -215.0f,
       -90.0f,
       55.0f,
       38.0f,
       1,
       3.0f,
       {{0.0f, 0.0f}, {4.0f, 10.0f}, {-4.0f, 10.0f}, {0.0f, 20.0f}, {4.0f, 30.0f}}},
      {TSpecies::Hunter,
       "Hunter",
       120.0f,
       200.0f,
       45.0f,
       32.0f,
       4,
       12.0f,
       {{0.0f, 0.0f}, {-2.5f, 4.0f}, {2.5f, 4.0f}, {-1.2f, 8.0f}, {1.8f, 9.0f}}},
      {TSpecies::Flyer,
       "LakeFlyer",
       40.0f,
       -220.0f,
       110.0f,
       95.0f,
       5,
       8.0f,
       {{0.0f, 0.0f}, {9.0f, 60.0f}, {-9.0f, 150.0f}, {18.0f, 260.0f}},
       38.0f},
      {TSpecies::Flyer,
       "CliffFlyer",
       330.0f,
       60.0f,
       70.0f,
       60.0f,
       8,
       8.0f,
       {{0.0f, 0.0f}, {9.0f, 90.0f}, {-9.0f, 200.0f}},
       70.0f},
      {TSpecies::Swimmer,
       "Swimmer",
       40.0f,
       -220.0f,
       60.0f,
       42.0f,
       1,
       2.0f,
       {{0.0f, 0.0f}, {-20.0f, 70.0f}, {20.0f, 150.0f}}},
  };
  return herds;
}

float Reach(TSpecies species) {
  const float reach[] = {11.5f, 4.2f, 4.5f, 2.0f, 3.3f, 5.5f};
  return reach[static_cast<int>(species)];
}

float Height(TSpecies species) {
  const float height[] = {13.0f, 3.2f, 4.2f, 1.9f, 1.0f, 3.6f};
  return height[static_cast<int>(species)];
}

}  // namespace worldbuilder
