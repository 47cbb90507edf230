#include "tools/worldbuilder/Tour.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "anim/Motion3D.h"
#include "scene/Camera3D.h"
#include "tools/worldbuilder/Assembly.h"
#include "tools/worldbuilder/Config.h"
#include "tools/worldbuilder/Herds.h"
#include "tools/worldbuilder/Land.h"
#include "tools/worldbuilder/Rotations.h"

namespace worldbuilder {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
// Seconds between the authored waypoints of the tour.
constexpr float kWaypointSeconds = 4.0f;
// Margins the path keeps when it rises over things, above the clearances the tests demand, for
// the spline's sway between keys.
constexpr float kGroundMargin = 1.2f;
constexpr float kBoxMargin = 2.5f;

using rm::Vector;

struct TView {
  Vector eye, target;
};

const THerd& HerdNamed(const char* name) {
  for (const THerd& herd : Herds()) {
    if (std::string(herd.name) == name) return herd;
  }
  return Herds().front();
}

Vector Centre(const THerd& herd, float t) {
  Vector sum{0, 0, 0};
  for (int m = 0; m < static_cast<int>(herd.formation.size()); ++m) sum = sum + herd.Pose(m, t).position;
  return sum * (1.0f / static_cast<float>(herd.formation.size()));
}

Vector Above(float x, float z, float height) { return {x, std::max(GroundHeight(x, z), kWaterLevel) + height, z}; }

// A shot: a stretch of the tour and where the camera is and looks during it.
struct TShot {
  float start, end;
  std::function<TView(float t, float along)> view;  // along: 0 .. 1 through the shot
};

std::vector<TShot> Shots() {
  const THerd& giants = HerdNamed("Giant");
  const THerd& grazers = HerdNamed("Grazer");
  const THerd& plated = HerdNamed("Plated");
  const THerd& hunters = HerdNamed("Hunter");
  const THerd& swimmers = HerdNamed("Swimmer");
  const THerd& flyers = HerdNamed("LakeFlyer");
  return {
      // Low beside the giants, drifting from their flank toward their heads.
      {0.0f, 46.0f,
       [&giants](float t, float along) {
         const TPose lead = giants.Pose(2, t);
         const Vector right{lead.direction.z, 0, -lead.direction.x};
         const Vector c = Centre(giants, t);
         const Vector eye = c + right * (-38.0f) + rm::Normalize(lead.direction) * (30.0f * along - 10.0f);
         return TView{Above(eye.x, eye.z, 5.0f + 4.0f * along), c + Vector{0, 7.0f, 0}};
       }},
      // A full turn around the grazers.
      {62.0f, 100.0f,
       [&grazers](float t, float along) {
         const Vector c = Centre(grazers, t);
         const float angle = 2.0f * kPi * along + 2.2f;
         return TView{Above(c.x + 30.0f * std::cos(angle), c.z + 30.0f * std::sin(angle), 4.5f),
                      c + Vector{0, 1.5f, 0}};
       }},
      // Across the lake low over the water, passing the swimmers.
      {110.0f, 140.0f,
       [&swimmers](float t, float along) {
         const Vector c = Centre(swimmers, t);
         const Vector from{kLakeX + 150.0f, 0, kLakeZ + 60.0f}, to{kLakeX - 140.0f, 0, kLakeZ - 30.0f};
         const Vector eye = from + (to - from) * along;
         return TView{Above(eye.x, eye.z, 3.0f), c + Vector{0, 1.5f, 0}};
       }},
      // Up with the flyers over the lake.
      {146.0f, 172.0f,
       [&flyers](float t, float along) {
         const TPose lead = flyers.Pose(0, t);
         const Vector eye = lead.position - lead.direction * 32.0f + Vector{0, 3.0f + 14.0f * along, 0};
         return TView{eye, lead.position + lead.direction * (10.0f + 60.0f * along)};
       }},
      // The valley from above, northward.
      {176.0f, 190.0f,
       [](float, float along) {
         return TView{{120.0f - 60.0f * along, 140.0f, -330.0f + 40.0f * along}, {-20.0f, 10.0f, 200.0f}};
       }},
      // Behind the hunting pack.
      {208.0f, 236.0f,
       [&hunters](float t, float) {
         const TPose lead = hunters.Pose(0, t);
         const Vector c = Centre(hunters, t);
         const Vector right{lead.direction.z, 0, -lead.direction.x};
         const Vector eye = c - lead.direction * 3.0f + right * 10.0f;
         return TView{Above(eye.x, eye.z, 3.0f), c + Vector{0, 1.0f, 0}};
       }},
      // Past the plated ones.
      {252.0f, 274.0f,
       [&plated](float t, float along) {
         const Vector c = Centre(plated, t);
         const float angle = 0.8f + 1.6f * along;
         return TView{Above(c.x + 26.0f * std::cos(angle), c.z + 26.0f * std::sin(angle), 4.0f),
                      c + Vector{0, 2.0f, 0}};
       }},
      // Through the tree ferns toward the giants' valley.
      {284.0f, 304.0f,
       [&giants](float t, float along) {
         const Vector eye{-150.0f + 60.0f * along, 0, 95.0f + 50.0f * along};
         return TView{Above(eye.x, eye.z, 6.0f), Centre(giants, t) + Vector{0, 6.0f, 0}};
       }},
  };
}

// The view at time t: inside a shot, its own; between shots, a blend of the two ends.
TView ViewAt(const std::vector<TShot>& shots, float t) {
  for (std::size_t i = 0; i < shots.size(); ++i) {
    const TShot& shot = shots[i];
    if (t >= shot.start && t <= shot.end) return shot.view(t, (t - shot.start) / (shot.end - shot.start));
    const TShot& next = shots[(i + 1) % shots.size()];
    const float nextStart = next.start + (i + 1 == shots.size() ? kTourSeconds : 0.0f);
    if (t > shot.end && t < nextStart) {
      const TView a = shot.view(shot.end, 1.0f), b = next.view(nextStart, 0.0f);
      const float k = (t - shot.end) / (nextStart - shot.end), s = k * k * (3.0f - 2.0f * k);
      // The eye climbs a little on the way; the gaze turns to what comes next in the first half.
      const float lift = 10.0f * std::sin(kPi * k), turn = std::min(1.0f, 2.0f * k);
      const float look = turn * turn * (3.0f - 2.0f * turn);
      return {a.eye + (b.eye - a.eye) * s + Vector{0, lift, 0}, a.target + (b.target - a.target) * look};
    }
  }
  return shots.front().view(t, 0.0f);
}

Vector Spline(const std::vector<Vector>& points, float position) {
  const auto n = static_cast<int>(points.size());
  const int i = static_cast<int>(std::floor(position));
  auto at = [&](int k) { return points[static_cast<std::size_t>(((k % n) + n) % n)]; };
  return rm::CatmullRom(at(i - 1), at(i), at(i + 1), at(i + 2), position - static_cast<float>(i));
}

// The lowest height the camera may have at (x, z) at time t: over the ground, and over every
// plant, rock and creature it comes near.
float Floor(const Vector& eye, float t, const std::vector<TObstacle>& obstacles) {
  float floor = std::max(GroundHeight(eye.x, eye.z), kWaterLevel) + kCameraGroundClearance + kGroundMargin;
  auto over = [&](float x, float z, float radius, float top) {
    const float reach = radius + kCameraBoxClearance + kBoxMargin;
    if ((eye.x - x) * (eye.x - x) + (eye.z - z) * (eye.z - z) < reach * reach) {
      floor = std::max(floor, top + kCameraBoxClearance + kBoxMargin);
    }
  };
  for (const TObstacle& o : obstacles) over(o.x, o.z, o.radius, o.top);
  for (const THerd& herd : Herds()) {
    for (int m = 0; m < static_cast<int>(herd.formation.size()); ++m) {
      const TPose pose = herd.Pose(m, t);
      over(pose.position.x, pose.position.z, Reach(herd.species), pose.position.y + Height(herd.species));
    }
  }
  return floor;
}

}  // namespace

void AddTourModel(TWorld3D& world) {
  TModel3D& model = AddModel(world, "Tour");
  AddItem<TCamera3D>(model, "TCamera3D");
}

std::vector<Vector> PlaceTour(TWorld3D& world, TScene3D& scene, const std::vector<TObstacle>& obstacles) {
  const std::vector<TShot> shots = Shots();
  std::vector<Vector> eyes, targets;
  for (float t = 0.0f; t < kTourSeconds - 0.01f; t += kWaypointSeconds) {
    const TView view = ViewAt(shots, t);
    eyes.push_back(view.eye);
    targets.push_back(view.target);
  }
  const int keys = static_cast<int>(kTourSeconds * kTourKeysPerSecond);
  const float perKey = 1.0f / kTourKeysPerSecond;
  std::vector<Vector> path;
  std::vector<float> floors;
  for (int i = 0; i <= keys; ++i) path.push_back(Spline(eyes, static_cast<float>(i) * perKey / kWaypointSeconds));
  // Each key keeps above the floor of the moments around it, so the spline between keys does too.
  for (int i = 0; i < keys; ++i) {
    float floor = -1e9f;
    for (float dt = -1.0f; dt <= 1.0f; dt += 0.1f) {
      const float t = static_cast<float>(i) * perKey + dt;
      const Vector eye = Spline(eyes, std::fmod(t + kTourSeconds, kTourSeconds) / kWaypointSeconds);
      floor = std::max(floor, Floor(eye, std::fmod(t + kTourSeconds, kTourSeconds), obstacles));
    }
    floors.push_back(floor);
  }
  TObject3D& tour = AddObject(world, scene, "Tour", "Tour");
  tour.SetDetached(true);
  TKeyWriter writer(tour.Root().Animation());
  for (int i = 0; i <= keys; ++i) {
    Vector& eye = path[static_cast<std::size_t>(i % keys)];
    eye.y = std::max(eye.y, floors[static_cast<std::size_t>(i % keys)]);
    const Vector target = Spline(targets, static_cast<float>(i) * perKey / kWaypointSeconds);
    Vector direction = target - eye;
    if (rm::Length(direction) < 1.0f) direction = {0, 0, 1};
    writer.Add(eye * kUnit, OrientationQuaternion(direction, {0, 1, 0}));
  }
  auto& motion = rtl::CheckedCast<TMotion3D>(*tour.Motions().Add("Tour"));
  motion.SetRate(kTourKeysPerSecond);
  motion.SetLoop(true);
  path.pop_back();  // the closing key repeats the first
  return path;
}

}  // namespace worldbuilder
