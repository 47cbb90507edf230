#include "tools/worldbuilder/Creatures.h"

#include <cmath>
#include <numbers>
#include <sstream>

#include "anim/Motion3D.h"
#include "scene/ItemSound3D.h"
#include "tools/worldbuilder/Assembly.h"
#include "tools/worldbuilder/Config.h"
#include "tools/worldbuilder/Geometry.h"
#include "tools/worldbuilder/Rotations.h"

namespace worldbuilder {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// A part of a species: its mesh, its joint in the model (metres) and its comment.
struct TPart {
  std::string mesh;
  Vector joint;
  std::string comment;
};

TMesh3D& Mesh(TWorld3D& world, const std::string& name, const TGeometry& skin, const std::string& material,
              const TGeometry* extra = nullptr, const std::string& extraMaterial = {}) {
  TMesh3D& mesh = AddMesh(world, name);
  skin.Emit(mesh, material);
  if (extra != nullptr && !extra->Empty()) extra->Emit(mesh, extraMaterial);
  return mesh;
}

std::string LegComment(float phase, float length) {
  std::ostringstream text;
  text << "leg " << phase << ' ' << length * kUnit;
  return text.str();
}

void Model(TWorld3D& world, const std::string& name, const std::vector<TPart>& parts) {
  TModel3D& model = AddModel(world, name);
  for (const TPart& part : parts) {
    TShape3D& shape = AddShape(world, model, part.mesh);
    shape.GetPosition().SetXYZ(part.joint.x * kUnit, part.joint.y * kUnit, part.joint.z * kUnit);
    shape.SetComment(part.comment);
  }
}

TGeometry Leg(float length, float top, float bottom) {
  TGeometry leg;
  leg.AddSegment({0, 0, 0}, {0, -length, 0}, top, bottom);
  return leg;
}

void Giant(TWorld3D& world) {
  TGeometry body, neck, tail;
  body.AddEllipsoid({0, 5.0f, 0}, {1.8f, 1.9f, 4.6f}, 10, 6);
  neck.AddSegment({0, 0, 0}, {0, 2.2f, 2.5f}, 0.9f, 0.6f);
  neck.AddSegment({0, 2.2f, 2.5f}, {0, 4.4f, 4.6f}, 0.6f, 0.45f);
  neck.AddSegment({0, 4.4f, 4.6f}, {0, 6.0f, 6.6f}, 0.45f, 0.35f);
  neck.AddEllipsoid({0, 6.2f, 7.2f}, {0.4f, 0.45f, 0.85f}, 6, 4);
  tail.AddSegment({0, 0, 0}, {0, -0.5f, -3.0f}, 0.9f, 0.6f);
  tail.AddSegment({0, -0.5f, -3.0f}, {0, -1.3f, -6.5f}, 0.6f, 0.32f);
  tail.AddSegment({0, -1.3f, -6.5f}, {0, -2.3f, -10.0f}, 0.32f, 0.06f);
  Mesh(world, "GiantBody", body, "SkinGiant");
  Mesh(world, "GiantNeck", neck, "SkinGiant");
  Mesh(world, "GiantTail", tail, "SkinGiant");
  Mesh(world, "GiantLeg", Leg(4.6f, 0.62f, 0.5f), "SkinGiant");
  Model(world, "Giant",
        {{"GiantBody", {0, 0, 0}, "body"},
         {"GiantLeg", {-1.3f, 4.6f, 2.8f}, LegComment(0.25f, 4.6f)},
         {"GiantLeg", {1.3f, 4.6f, 2.8f}, LegComment(0.75f, 4.6f)},
         {"GiantLeg", {-1.4f, 4.6f, -2.6f}, LegComment(0.0f, 4.6f)},
         {"GiantLeg", {1.4f, 4.6f, -2.6f}, LegComment(0.5f, 4.6f)},
         {"GiantNeck", {0, 5.8f, 4.0f}, "neck"},
         {"GiantTail", {0, 5.2f, -4.0f}, "tail"}});
}

void Grazer(TWorld3D& world) {
  TGeometry body, head, frill, horns, tail;
  body.AddEllipsoid({0, 1.9f, 0}, {1.1f, 1.0f, 2.4f}, 10, 6);
  head.AddEllipsoid({0, -0.1f, 0.9f}, {0.55f, 0.55f, 0.9f}, 8, 5);
  frill.AddEllipsoid({0, 0.55f, 0.35f}, {1.05f, 0.95f, 0.14f}, 10, 5);
  horns.AddSegment({-0.3f, 0.3f, 1.0f}, {-0.38f, 0.75f, 1.85f}, 0.1f, 0.0f, 4);
  horns.AddSegment({0.3f, 0.3f, 1.0f}, {0.38f, 0.75f, 1.85f}, 0.1f, 0.0f, 4);
  horns.AddSegment({0, 0.05f, 1.6f}, {0, 0.4f, 1.95f}, 0.08f, 0.0f, 4);
  tail.AddSegment({0, 0, 0}, {0, -0.5f, -2.2f}, 0.45f, 0.08f);
  Mesh(world, "GrazerBody", body, "SkinGrazer");
  TMesh3D& mesh = Mesh(world, "GrazerHead", head, "SkinGrazer", &frill, "Frill");
  horns.Emit(mesh, "Horn");
  Mesh(world, "GrazerTail", tail, "SkinGrazer");
  Mesh(world, "GrazerLeg", Leg(1.55f, 0.3f, 0.24f), "SkinGrazer");
  Model(world, "Grazer",
        {{"GrazerBody", {0, 0, 0}, "body"},
         {"GrazerLeg", {-0.8f, 1.55f, 1.4f}, LegComment(0.25f, 1.55f)},
         {"GrazerLeg", {0.8f, 1.55f, 1.4f}, LegComment(0.75f, 1.55f)},
         {"GrazerLeg", {-0.85f, 1.55f, -1.3f}, LegComment(0.0f, 1.55f)},
         {"GrazerLeg", {0.85f, 1.55f, -1.3f}, LegComment(0.5f, 1.55f)},
         {"GrazerHead", {0, 1.9f, 2.2f}, "head"},
         {"GrazerTail", {0, 1.8f, -2.2f}, "tail"}});
}

void Plated(TWorld3D& world) {
  TGeometry body, plates, head, tail, spikes;
  body.AddEllipsoid({0, 2.2f, -0.2f}, {1.0f, 1.1f, 2.6f}, 10, 6);
  for (int k = 0; k < 9; ++k) {
    const float z = 1.6f - 0.55f * static_cast<float>(k), rise = 0.6f + 0.5f * std::sin(kPi * (k + 1) / 10.0f);
    const float top = 2.2f + 1.1f * std::sqrt(std::max(0.0f, 1.0f - (z + 0.2f) * (z + 0.2f) / 6.76f));
    const float side = k % 2 == 0 ? 0.15f : -0.15f;
    plates.AddSheet({side, top - 0.1f, z + 0.35f}, {side, top - 0.1f, z - 0.35f}, {side * 2.0f, top + rise, z});
  }
  head.AddSegment({0, 0, 0}, {0, -0.5f, 1.3f}, 0.35f, 0.25f);
  head.AddEllipsoid({0, -0.6f, 1.6f}, {0.25f, 0.25f, 0.5f}, 6, 4);
  tail.AddSegment({0, 0, 0}, {0, -0.6f, -3.2f}, 0.5f, 0.1f);
  for (float side : {-1.0f, 1.0f}) {
    spikes.AddSegment({side * 0.1f, -0.45f, -2.6f}, {side * 0.8f, -0.05f, -3.0f}, 0.06f, 0.0f, 4);
    spikes.AddSegment({side * 0.1f, -0.55f, -3.0f}, {side * 0.75f, -0.2f, -3.5f}, 0.06f, 0.0f, 4);
  }
  Mesh(world, "PlatedBody", body, "SkinPlated", &plates, "Plates");
  Mesh(world, "PlatedHead", head, "SkinPlated");
  Mesh(world, "PlatedTail", tail, "SkinPlated", &spikes, "Horn");
  Mesh(world, "PlatedFrontLeg", Leg(1.3f, 0.28f, 0.22f), "SkinPlated");
  Mesh(world, "PlatedHindLeg", Leg(2.0f, 0.36f, 0.26f), "SkinPlated");
  Model(world, "Plated",
        {{"PlatedBody", {0, 0, 0}, "body"},
         {"PlatedFrontLeg", {-0.7f, 1.3f, 1.5f}, LegComment(0.25f, 1.3f)},
         {"PlatedFrontLeg", {0.7f, 1.3f, 1.5f}, LegComment(0.75f, 1.3f)},
         {"PlatedHindLeg", {-0.8f, 2.0f, -1.2f}, LegComment(0.0f, 2.0f)},
         {"PlatedHindLeg", {0.8f, 2.0f, -1.2f}, LegComment(0.5f, 2.0f)},
         {"PlatedHead", {0, 1.7f, 2.3f}, "head"},
         {"PlatedTail", {0, 2.2f, -2.6f}, "tail"}});
}

void Hunter(TWorld3D& world) {
  TGeometry body, head, leg, tail;
  body.AddEllipsoid({0, 1.1f, 0.1f}, {0.3f, 0.35f, 0.75f}, 8, 5);
  body.AddSegment({-0.2f, 1.0f, 0.55f}, {-0.25f, 0.8f, 0.8f}, 0.05f, 0.03f, 4);
  body.AddSegment({0.2f, 1.0f, 0.55f}, {0.25f, 0.8f, 0.8f}, 0.05f, 0.03f, 4);
  head.AddSegment({0, 0, 0}, {0, 0.35f, 0.3f}, 0.14f, 0.1f);
  head.AddEllipsoid({0, 0.42f, 0.55f}, {0.13f, 0.14f, 0.32f}, 6, 4);
  leg.AddSegment({0, 0, 0}, {0, -0.45f, 0.2f}, 0.14f, 0.09f);
  leg.AddSegment({0, -0.45f, 0.2f}, {0, -0.85f, -0.1f}, 0.08f, 0.05f, 4);
  leg.AddSegment({0, -0.85f, -0.1f}, {0, -1.0f, 0.12f}, 0.05f, 0.03f, 4);
  tail.AddSegment({0, 0, 0}, {0, 0.05f, -1.8f}, 0.2f, 0.03f);
  Mesh(world, "HunterBody", body, "SkinHunter");
  Mesh(world, "HunterHead", head, "SkinHunter");
  Mesh(world, "HunterLeg", leg, "SkinHunter");
  Mesh(world, "HunterTail", tail, "SkinHunter");
  Model(world, "Hunter",
        {{"HunterBody", {0, 0, 0}, "body"},
         {"HunterLeg", {-0.2f, 1.0f, 0.0f}, LegComment(0.0f, 1.0f)},
         {"HunterLeg", {0.2f, 1.0f, 0.0f}, LegComment(0.5f, 1.0f)},
         {"HunterHead", {0, 1.3f, 0.7f}, "head"},
         {"HunterTail", {0, 1.15f, -0.6f}, "tail"}});
}

void Flyer(TWorld3D& world) {
  TGeometry body, crest, left, right;
  body.AddEllipsoid({0, 0, 0}, {0.25f, 0.25f, 0.8f}, 8, 5);
  body.AddSegment({0, 0.1f, 0.7f}, {0, 0.15f, 1.6f}, 0.12f, 0.02f, 4);
  crest.AddSheet({0, 0.15f, 0.9f}, {0, 0.2f, 0.55f}, {0, 0.75f, 0.35f});
  for (float side : {-1.0f, 1.0f}) {
    TGeometry& wing = side < 0.0f ? left : right;
    wing.AddSheet({0, 0, 0.3f}, {side * 1.6f, 0, 0.1f}, {0, 0, -0.6f});
    wing.AddSheet({side * 1.6f, 0, 0.1f}, {side * 3.2f, 0, -0.25f}, {side * 1.3f, 0, -0.55f});
    wing.AddSheet({0, 0, -0.6f}, {side * 1.6f, 0, 0.1f}, {side * 1.3f, 0, -0.55f});
  }
  Mesh(world, "FlyerBody", body, "SkinFlyer", &crest, "Frill");
  Mesh(world, "FlyerLeftWing", left, "Wing");
  Mesh(world, "FlyerRightWing", right, "Wing");
  Model(world, "Flyer",
        {{"FlyerBody", {0, 0, 0}, "body"},
         {"FlyerLeftWing", {-0.2f, 0.05f, 0.2f}, "wing -1"},
         {"FlyerRightWing", {0.2f, 0.05f, 0.2f}, "wing 1"}});
}

void Swimmer(TWorld3D& world) {
  TGeometry body, neck, flipper;
  body.AddEllipsoid({0, -0.3f, 0}, {1.4f, 0.8f, 2.8f}, 10, 6);
  body.AddSegment({0, -0.3f, -2.6f}, {0, -0.4f, -4.8f}, 0.5f, 0.05f);
  neck.AddSegment({0, 0, 0}, {0, 1.2f, 1.8f}, 0.5f, 0.35f);
  neck.AddSegment({0, 1.2f, 1.8f}, {0, 2.4f, 3.0f}, 0.35f, 0.25f);
  neck.AddSegment({0, 2.4f, 3.0f}, {0, 3.0f, 4.0f}, 0.25f, 0.2f);
  neck.AddEllipsoid({0, 3.1f, 4.4f}, {0.25f, 0.22f, 0.5f}, 6, 4);
  flipper.AddSheet({0, 0, 0.2f}, {2.0f, -0.1f, -0.4f}, {0, 0, -0.7f});
  TGeometry mirrored;
  mirrored.AddSheet({0, 0, 0.2f}, {-2.0f, -0.1f, -0.4f}, {0, 0, -0.7f});
  Mesh(world, "SwimmerBody", body, "SkinSwimmer");
  Mesh(world, "SwimmerNeck", neck, "SkinSwimmer");
  Mesh(world, "SwimmerRightFlipper", flipper, "SkinSwimmer");
  Mesh(world, "SwimmerLeftFlipper", mirrored, "SkinSwimmer");
  Model(world, "Swimmer",
        {{"SwimmerBody", {0, 0, 0}, "body"},
         {"SwimmerNeck", {0, 0.1f, 2.5f}, "neck"},
         {"SwimmerLeftFlipper", {-1.2f, -0.4f, 1.4f}, "flipper -1"},
         {"SwimmerRightFlipper", {1.2f, -0.4f, 1.4f}, "flipper 1"},
         {"SwimmerLeftFlipper", {-1.1f, -0.4f, -1.5f}, "flipper 1"},
         {"SwimmerRightFlipper", {1.1f, -0.4f, -1.5f}, "flipper -1"}});
}

const char* ModelOf(TSpecies species) {
  const char* names[] = {"Giant", "Grazer", "Plated", "Hunter", "Flyer", "Swimmer"};
  return names[static_cast<int>(species)];
}

// Metres travelled per full cycle of the legs.
float Stride(TSpecies species) {
  const float stride[] = {4.0f, 2.4f, 2.2f, 2.2f, 1.0f, 1.0f};
  return stride[static_cast<int>(species)];
}

// The angle of an item at key `i` of `n`, by the part its comment names. `strides` is the
// distance the creature has covered, in strides.
float PartAngle(const std::string& comment, TSpecies species, int i, int n, float strides, float period) {
  std::istringstream words(comment);
  std::string kind;
  float a = 0.0f, b = 0.0f;
  words >> kind >> a >> b;
  const float loop = static_cast<float>(i) / static_cast<float>(n);  // 0 .. 1 over the motion
  auto cycles = [period](float seconds) { return std::max(1.0f, std::round(period / seconds)); };
  if (kind == "leg") {
    const float swing = std::asin(std::min(0.5f, Stride(species) / (4.0f * b / kUnit)));
    return swing * std::sin(2.0f * kPi * (strides + a));
  }
  if (kind == "neck" || kind == "tail") return 0.12f * std::sin(2.0f * kPi * loop * cycles(7.0f));
  if (kind == "head") return 0.22f + 0.22f * std::sin(2.0f * kPi * loop * cycles(9.0f));
  if (kind == "wing") {  // glides broken by bursts of flapping
    const float burst = std::max(0.0f, std::sin(2.0f * kPi * loop * cycles(12.0f)));
    return a * (0.15f + 0.55f * burst * std::sin(2.0f * kPi * loop * cycles(1.0f)));
  }
  if (kind == "flipper") return a * 0.4f * std::sin(2.0f * kPi * loop * cycles(3.0f));
  return 0.0f;
}

Vector PartAxis(const std::string& comment) {
  if (comment.rfind("neck", 0) == 0 || comment.rfind("tail", 0) == 0) return {0, 1, 0};
  if (comment.rfind("wing", 0) == 0 || comment.rfind("flipper", 0) == 0) return {0, 0, 1};
  return {1, 0, 0};
}

// The keys of one creature: its path on the root, its parts' swings on their items.
void Animate(TObject3D& creature, const THerd& herd, int member) {
  const float period = herd.Period();
  const int n = std::max(8, static_cast<int>(std::lround(period * herd.keysPerSecond)));
  const float stride = herd.Length() / std::round(herd.Length() / Stride(herd.species));
  std::vector<TPose> poses;
  std::vector<float> strides;
  float walked = 0.0f;
  for (int i = 0; i <= n; ++i) {
    poses.push_back(herd.Pose(member, period * static_cast<float>(i) / static_cast<float>(n)));
    if (i > 0) walked += rm::Length(poses[i].position - poses[i - 1].position) / stride;
    strides.push_back(walked);
  }
  TKeyWriter root(creature.Root().Animation());
  for (const TPose& pose : poses) root.Add(pose.position * kUnit, OrientationQuaternion(pose.direction, pose.up));
  for (int item = 0; item < creature.ItemCount(); ++item) {
    TItem3D& part = *creature.GetItem(item);
    if (part.Comment() == "body" || part.Comment().empty()) continue;
    TKeyWriter keys(part.Animation());
    const Vector axis = PartAxis(part.Comment());
    for (int i = 0; i <= n; ++i) {
      keys.Add(rm::QuaternionFromRotation(axis, PartAngle(part.Comment(), herd.species, i, n, strides[i], period)));
    }
  }
  auto& motion = rtl::CheckedCast<TMotion3D>(*creature.Motions().Add("Roam"));
  motion.SetRate(static_cast<float>(n) / period);
  motion.SetLoop(true);
}

}  // namespace

void AddSpeciesModels(TWorld3D& world) {
  Giant(world);
  Grazer(world);
  Plated(world);
  Hunter(world);
  Flyer(world);
  Swimmer(world);
}

void PlaceCreatures(TWorld3D& world, TScene3D& scene) {
  for (const THerd& herd : Herds()) {
    for (int member = 0; member < static_cast<int>(herd.formation.size()); ++member) {
      TObject3D& creature =
          AddObject(world, scene, std::string(herd.name) + std::to_string(member + 1), ModelOf(herd.species));
      creature.SetDetached(true);
      Animate(creature, herd, member);
    }
  }
}

}  // namespace worldbuilder
