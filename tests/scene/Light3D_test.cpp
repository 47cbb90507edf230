#include "scene/Light3D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "tests/scene/FrameTest.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using namespace testing_support;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

void ExpectColor(const rm::Light& light, float r, float g, float b) {
  EXPECT_NEAR(light.Color().r, r, 1e-6f);
  EXPECT_NEAR(light.Color().g, g, 1e-6f);
  EXPECT_NEAR(light.Color().b, b, 1e-6f);
}

// How many times the light hangs in its own frame: always exactly once.
long Attached(const TLight3D& light) {
  const auto& lights = light.DXFrame()->Lights();
  return std::count(lights.begin(), lights.end(), rtl::Ref<rm::Light>(light.DXLight()));
}

// The light's own part of the record, after the item record.
std::vector<std::uint8_t> LightPart(TLight3D& light) {
  const std::vector<std::uint8_t> bytes = Saved(light);
  return {bytes.end() - 30, bytes.end()};
}

using LightTest = FrameTest;

}  // namespace

TEST_F(LightTest, NewLightIsAWhiteAmbientLightInItsOwnFrameLightingItsScene) {
  TLight3D light;
  EXPECT_EQ(light.LightFlags(), TLight3D::kLightOn);
  EXPECT_EQ(light.Intensity(), 1.0f);
  EXPECT_EQ(light.Color().GetColor(), 0xFFFFFFFFu);
  ASSERT_NE(light.DXLight(), nullptr);
  EXPECT_EQ(light.DXLight()->Type(), rm::LightType::Ambient);
  ExpectColor(*light.DXLight(), 1, 1, 1);
  EXPECT_EQ(Attached(light), 1);
  EXPECT_EQ(light.DXLight()->EnableFrame(), light.GetScene());
  // The colour is the structure's first sub-element.
  ASSERT_FALSE(light.Elements().empty());
  EXPECT_EQ(light.Elements()[0], &light.Color());
}

TEST_F(LightTest, ConstructionReportsEachPlatformFailure) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"rm.Direct3DRM.CreateLightRGB", "Light3D error: Create light failed"},
      {"rm.Frame.AddLight", "Light3D error: Add light failed"},
      {"rm.Light.SetEnableFrame", "Light3D error: Set enable frame failed"},
  };
  for (const auto& [fault, message] : cases) {
    rtl::faults::Arm(fault, kFault);
    ExpectRaises([] { TLight3D light; }, std::string(message) + kFaultSuffix);
    rtl::faults::Reset();
  }
}

TEST_F(LightTest, KindAndPositionalFlagPickThePlatformTypeAndKeepTheLightAttached) {
  struct Case {
    std::uint8_t kind, flags;
    rm::LightType type;
  };
  const Case cases[] = {
      {1, 1, rm::LightType::ParallelPoint}, {1, 3, rm::LightType::Point},       {2, 3, rm::LightType::Spot},
      {2, 1, rm::LightType::Directional},   {7, 3, rm::LightType::Directional}, {0, 3, rm::LightType::Ambient},
  };
  TLight3D light;
  for (const Case& c : cases) {
    light.SetLightKind(c.kind);
    light.SetLightFlags(c.flags);
    EXPECT_EQ(light.DXLight()->Type(), c.type) << int(c.kind) << "/" << int(c.flags);
    EXPECT_EQ(Attached(light), 1);
  }
}

TEST_F(LightTest, SwitchingOffBlacksOutThePlatformColourAndSwitchingOnScalesTheColourByIntensity) {
  TLight3D light;
  light.Color().SetRGBA(204, 102, 51, 255);
  ExpectColor(*light.DXLight(), 0.8f, 0.4f, 0.2f);
  light.SetIntensity(0.5f);
  ExpectColor(*light.DXLight(), 0.4f, 0.2f, 0.1f);

  light.SetLightFlags(0);
  ExpectColor(*light.DXLight(), 0, 0, 0);
  EXPECT_EQ(light.Color().GetColor(), 0xFFCC6633u);
  ChangeCounter changes;
  changes.Listen(light);
  light.SetIntensity(1.0f);
  EXPECT_EQ(changes.Count(), 1);  // a dark light's intensity is still a change worth saving
  light.Color().SetRGBA(255, 0, 0, 255);
  ExpectColor(*light.DXLight(), 0, 0, 0);

  light.SetLightFlags(TLight3D::kLightOn);
  ExpectColor(*light.DXLight(), 1, 0, 0);
}

TEST_F(LightTest, ConeAnglesReachThePlatformInRadiansAndOtherValuesAsGiven) {
  TLight3D light;
  // 0 equals the field: the platform keeps its own defaults.
  light.SetConstantAttenuation(0);
  light.SetRange(0);
  EXPECT_EQ(light.DXLight()->ConstantAttenuation(), 1.0f);
  EXPECT_EQ(light.DXLight()->Range(), std::numeric_limits<float>::infinity());

  light.SetFalloff(90);
  light.SetHotspot(45);
  light.SetConstantAttenuation(2);
  light.SetLinearAttenuation(0.25f);
  light.SetQuadraticAttenuation(0.125f);
  light.SetRange(30);
  EXPECT_FLOAT_EQ(light.DXLight()->Penumbra(), kPi / 2);
  EXPECT_FLOAT_EQ(light.DXLight()->Umbra(), kPi / 4);
  EXPECT_EQ(light.Falloff(), 90.0f);
  EXPECT_EQ(light.Hotspot(), 45.0f);
  EXPECT_EQ(light.DXLight()->ConstantAttenuation(), 2.0f);
  EXPECT_EQ(light.DXLight()->LinearAttenuation(), 0.25f);
  EXPECT_EQ(light.DXLight()->QuadraticAttenuation(), 0.125f);
  EXPECT_EQ(light.DXLight()->Range(), 30.0f);
  EXPECT_EQ(LightPart(light), Hex("01 0000803F 00 00000040 0000803E 0000003E 0000F041 0000B442 00003442"));
}

TEST_F(LightTest, ValueSettersNotifyOnlyOnChangeAndKeepTheFieldWhenThePlatformRefuses) {
  struct Case {
    const char* fault;
    const char* message;
    void (TLight3D::*set)(float);
    float (TLight3D::*get)() const;
  };
  const Case cases[] = {
      {"rm.Light.SetConstantAttenuation", "Light3D error: Set constant attenuation failed",
       &TLight3D::SetConstantAttenuation, &TLight3D::ConstantAttenuation},
      {"rm.Light.SetLinearAttenuation", "Light3D error: Set linear attenuation failed", &TLight3D::SetLinearAttenuation,
       &TLight3D::LinearAttenuation},
      {"rm.Light.SetQuadraticAttenuation", "Light3D error: Set quadratic attenuation failed",
       &TLight3D::SetQuadraticAttenuation, &TLight3D::QuadraticAttenuation},
      {"rm.Light.SetRange", "Light3D error: Set range failed", &TLight3D::SetRange, &TLight3D::Range},
      {"rm.Light.SetPenumbra", "Light3D error: Set falloff failed", &TLight3D::SetFalloff, &TLight3D::Falloff},
      {"rm.Light.SetUmbra", "Light3D error: Set hotspot failed", &TLight3D::SetHotspot, &TLight3D::Hotspot},
  };
  for (const Case& c : cases) {
    TLight3D light;
    ChangeCounter changes;
    changes.Listen(light);
    (light.*c.set)(3);
    (light.*c.set)(3);
    EXPECT_EQ(changes.Count(), 1) << c.fault;
    rtl::faults::Arm(c.fault, kFault);
    ExpectRaises([&] { (light.*c.set)(5); }, std::string(c.message) + kFaultSuffix);
    EXPECT_EQ((light.*c.get)(), 3.0f) << c.fault;
    EXPECT_EQ(changes.Count(), 1) << c.fault;
    rtl::faults::Reset();
  }
  TLight3D light;
  ExpectRaises([&] { light.SetRange(-1); }, std::string("Light3D error: Set range failed") + kFaultSuffix);
  EXPECT_EQ(light.Range(), 0.0f);
}

TEST_F(LightTest, FailedRetypingOrColouringIsReportedAndTheLightStaysInItsFrame) {
  TLight3D light;
  rtl::faults::Arm("rm.Light.SetType", kFault);
  ExpectRaises([&] { light.SetLightKind(1); }, std::string("Light3D error: Set light type failed") + kFaultSuffix);
  EXPECT_EQ(Attached(light), 1);
  EXPECT_EQ(light.LightKind(), 1);  // the kind is stored before the platform is told

  rtl::faults::Arm("rm.Frame.DeleteLight", kFault);
  ExpectRaises([&] { light.SetLightKind(2); }, std::string("Light3D error: Delete light failed") + kFaultSuffix);
  rtl::faults::Arm("rm.Frame.DeleteLight", kFault);
  ExpectRaises([&] { light.Refresh(); }, std::string("Light3D error: Delete light failed") + kFaultSuffix);
  // A refused attach leaves the light out; the next refresh or retyping brings it back.
  rtl::faults::Arm("rm.Frame.AddLight", kFault);
  ExpectRaises([&] { light.Refresh(); }, std::string("Light3D error: Add light failed") + kFaultSuffix);
  EXPECT_EQ(Attached(light), 0);
  light.Refresh();
  EXPECT_EQ(Attached(light), 1);
  rtl::faults::Arm("rm.Frame.AddLight", kFault);
  ExpectRaises([&] { light.SetLightKind(3); }, std::string("Light3D error: Add light failed") + kFaultSuffix);
  light.SetLightKind(4);
  EXPECT_EQ(Attached(light), 1);

  rtl::faults::Arm("rm.Light.SetColor", kFault);
  ExpectRaises([&] { light.Color().SetRGBA(1, 2, 3, 4); },
               std::string("Light3D error: Set light color failed") + kFaultSuffix);
  rtl::faults::Arm("rm.Light.SetColor", kFault);
  ExpectRaises([&] { light.SetLightFlags(0); }, std::string("Light3D error: Set light color failed") + kFaultSuffix);
  EXPECT_EQ(light.LightFlags(), 0);  // the flags too are stored before the platform is told
}

TEST_F(LightTest, EnableFrameIsTheGivenFramesPlatformFrameOrNone) {
  TLight3D light;
  light.SetEnableFrame(&Scene);
  EXPECT_EQ(light.DXLight()->EnableFrame(), Scene.DXFrame());
  light.SetEnableFrame(nullptr);
  EXPECT_EQ(light.DXLight()->EnableFrame(), nullptr);
  rtl::faults::Arm("rm.Light.SetEnableFrame", kFault);
  ExpectRaises([&] { light.SetEnableFrame(&Scene); },
               std::string("Light3D error: Set enable frame failed") + kFaultSuffix);
}

TEST_F(LightTest, SavedLightLoadsBackIntoTheSameBytesAndTheSamePlatformLight) {
  TLight3D light;
  light.SetComment("lamp");
  light.Color().SetRGBA(255, 0, 51, 255);
  light.SetLightKind(2);
  light.SetLightFlags(TLight3D::kLightOn | TLight3D::kPositional | TLight3D::kOwnSceneOnly);
  light.SetIntensity(0.5f);
  light.SetLinearAttenuation(1.5f);
  light.SetRange(12);
  light.SetFalloff(60);
  light.SetHotspot(30);
  const std::vector<std::uint8_t> bytes = Saved(light);

  TLight3D copy;
  copy.SetParent(&Scene);
  ChangeCounter changes;
  changes.Listen(copy);
  auto stream = StreamOf(bytes);
  copy.LoadFromStream(stream);
  EXPECT_EQ(changes.Count(), 1);  // one notice for the whole record
  EXPECT_EQ(Saved(copy), bytes);
  EXPECT_EQ(copy.Comment(), "lamp");
  EXPECT_EQ(copy.DXLight()->Type(), rm::LightType::Spot);
  ExpectColor(*copy.DXLight(), 0.5f, 0, 0.1f);
  EXPECT_EQ(copy.DXLight()->LinearAttenuation(), 1.5f);
  EXPECT_EQ(copy.DXLight()->Range(), 12.0f);
  EXPECT_FLOAT_EQ(copy.DXLight()->Penumbra(), kPi / 3);
  EXPECT_FLOAT_EQ(copy.DXLight()->Umbra(), kPi / 6);
  EXPECT_EQ(Attached(copy), 1);
  EXPECT_EQ(copy.Parent(), &Scene);
}

TEST_F(LightTest, ShortRecordRaisesBeforeAnyLightValueChanges) {
  TLight3D light;
  light.SetLightKind(1);
  light.SetFalloff(20);
  std::vector<std::uint8_t> bytes = Saved(light);
  TLight3D target;
  target.SetRange(4);
  bytes.pop_back();
  auto stream = StreamOf(bytes);
  ExpectRaises([&] { target.LoadFromStream(stream); }, "Stream read error");
  EXPECT_EQ(target.LightKind(), 0);
  EXPECT_EQ(target.Falloff(), 0.0f);
  EXPECT_EQ(target.Range(), 4.0f);
}

TEST_F(LightTest, AssignCopiesEveryValueToThePlatformAndRefusesOtherClasses) {
  TLight3D source;
  source.Color().SetRGBA(0, 255, 0, 255);
  source.SetLightFlags(0);
  source.SetLightKind(1);
  source.SetQuadraticAttenuation(2);
  source.SetHotspot(10);
  TLight3D target;
  ChangeCounter changes;
  changes.Listen(target);
  target.Assign(source);
  EXPECT_EQ(changes.Count(), 1);
  EXPECT_EQ(Saved(target), Saved(source));
  EXPECT_EQ(target.DXLight()->Type(), rm::LightType::ParallelPoint);
  ExpectColor(*target.DXLight(), 0, 0, 0);
  EXPECT_EQ(target.DXLight()->QuadraticAttenuation(), 2.0f);
  EXPECT_FLOAT_EQ(target.DXLight()->Umbra(), kPi / 18);
  target.SetLightFlags(TLight3D::kLightOn);
  ExpectColor(*target.DXLight(), 0, 1, 0);

  TItem3D plain;
  ExpectRaises([&] { target.Assign(plain); }, "Invalid class typecast");
}
