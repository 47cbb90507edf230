#include "scene/Light3D.h"

#include <algorithm>
#include <numbers>

#include "core3d/CheckResult.h"
#include "core3d/RetainedMode.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "scene/Map3D.h"

namespace {

constexpr const char* kAddFailed = "Light3D error: Add light failed";
constexpr const char* kDeleteFailed = "Light3D error: Delete light failed";
constexpr const char* kColorFailed = "Light3D error: Set light color failed";
constexpr const char* kEnableFrameFailed = "Light3D error: Set enable frame failed";

constexpr float Radians(float degrees) { return degrees * std::numbers::pi_v<float> / 180.0f; }

// The light's values in the order they are streamed, assigned and applied.
struct TLightValues {
  std::uint8_t Flags;
  float Intensity;
  std::uint8_t Kind;
  float Constant, Linear, Quadratic, Range, Falloff, Hotspot;
};

TLightValues ValuesOf(const TLight3D& light) {
  return {light.LightFlags(),
          light.Intensity(),
          light.LightKind(),
          light.ConstantAttenuation(),
          light.LinearAttenuation(),
          light.QuadraticAttenuation(),
          light.Range(),
          light.Falloff(),
          light.Hotspot()};
}

TLightValues ReadValues(rtl::TStream& stream) {
  TLightValues v{};
  v.Flags = ReadByte(stream);
  v.Intensity = ReadSingle(stream);
  v.Kind = ReadByte(stream);
  v.Constant = ReadSingle(stream);
  v.Linear = ReadSingle(stream);
  v.Quadratic = ReadSingle(stream);
  v.Range = ReadSingle(stream);
  v.Falloff = ReadSingle(stream);
  v.Hotspot = ReadSingle(stream);
  return v;
}

void ApplyValues(TLight3D& light, const TLightValues& v) {
  light.SetLightFlags(v.Flags);
  light.SetIntensity(v.Intensity);
  light.SetLightKind(v.Kind);
  light.SetConstantAttenuation(v.Constant);
  light.SetLinearAttenuation(v.Linear);
  light.SetQuadraticAttenuation(v.Quadratic);
  light.SetRange(v.Range);
  light.SetFalloff(v.Falloff);
  light.SetHotspot(v.Hotspot);
}

}  // namespace

// The colour is set before it is hooked: its first change must not reach a light not yet created.
TLight3D::TLight3D() {
  AddElement(&FColor);
  FColor.SetRGBA(255, 255, 255, 255);
  const rm::ColorRGB color = ScaledColor();
  CheckResult(RetainedMode().CreateLightRGB(rm::LightType::Ambient, color.r, color.g, color.b, &FDXLight),
              "Light3D error: Create light failed");
  FColor.OnChange = TNotifyEvent::Bind<&TLight3D::ColorChanged>(this);
  CheckResult(DXFrame()->AddLight(FDXLight.Get()), kAddFailed);
  CheckResult(FDXLight->SetEnableFrame(GetScene()), kEnableFrameFailed);
}

rm::ColorRGB TLight3D::ScaledColor() const {
  const float scale = FIntensity / 255.0f;
  return {FColor.GetComponent(TColor3D::kRed) * scale, FColor.GetComponent(TColor3D::kGreen) * scale,
          FColor.GetComponent(TColor3D::kBlue) * scale};
}

void TLight3D::ColorChanged(TElement3D* sender) {
  if (FLightFlags & kLightOn) CheckResult(FDXLight->SetColor(ScaledColor()), kColorFailed);
  ElementChanged(sender);
}

void TLight3D::SetLightFlags(std::uint8_t flags) {
  if (flags == FLightFlags) return;
  FLightFlags = flags;
  if (FLightFlags & kLightOn) {
    ColorChanged(&FColor);
  } else {
    CheckResult(FDXLight->SetColor({0.0f, 0.0f, 0.0f}), kColorFailed);
  }
  UpdateType();
  ElementChanged(this);
}

// A light that is off keeps its black, but the new intensity is still a change of the item.
void TLight3D::SetIntensity(float intensity) {
  if (intensity == FIntensity) return;
  FIntensity = intensity;
  if (FLightFlags & kLightOn) {
    ColorChanged(&FColor);
  } else {
    ElementChanged(this);
  }
}

void TLight3D::SetLightKind(std::uint8_t kind) {
  if (kind == FLightKind) return;
  FLightKind = kind;
  UpdateType();
  ElementChanged(this);
}

void TLight3D::SetPlatformValue(float& field, float value, float platformValue, std::int32_t (rm::Light::*set)(float),
                                const char* message) {
  if (value == field) return;
  CheckResult((FDXLight.Get()->*set)(platformValue), message);
  field = value;
  ElementChanged(this);
}

void TLight3D::SetConstantAttenuation(float value) {
  SetPlatformValue(FConstantAttenuation, value, value, &rm::Light::SetConstantAttenuation,
                   "Light3D error: Set constant attenuation failed");
}

void TLight3D::SetLinearAttenuation(float value) {
  SetPlatformValue(FLinearAttenuation, value, value, &rm::Light::SetLinearAttenuation,
                   "Light3D error: Set linear attenuation failed");
}

void TLight3D::SetQuadraticAttenuation(float value) {
  SetPlatformValue(FQuadraticAttenuation, value, value, &rm::Light::SetQuadraticAttenuation,
                   "Light3D error: Set quadratic attenuation failed");
}

void TLight3D::SetRange(float range) {
  SetPlatformValue(FRange, range, range, &rm::Light::SetRange, "Light3D error: Set range failed");
}

void TLight3D::SetFalloff(float degrees) {
  SetPlatformValue(FFalloff, degrees, Radians(degrees), &rm::Light::SetPenumbra, "Light3D error: Set falloff failed");
}

void TLight3D::SetHotspot(float degrees) {
  SetPlatformValue(FHotspot, degrees, Radians(degrees), &rm::Light::SetUmbra, "Light3D error: Set hotspot failed");
}

void TLight3D::SetEnableFrame(const TFrame3D* frame) {
  CheckResult(FDXLight->SetEnableFrame(frame != nullptr ? frame->DXFrame() : nullptr), kEnableFrameFailed);
}

rm::LightType TLight3D::PlatformType() const {
  const bool positional = (FLightFlags & kPositional) != 0;
  switch (FLightKind) {
    case 0:
      return rm::LightType::Ambient;
    case 1:
      return positional ? rm::LightType::Point : rm::LightType::ParallelPoint;
    default:
      return FLightKind == 2 && positional ? rm::LightType::Spot : rm::LightType::Directional;
  }
}

// The light goes back into its frame even when the type is refused: a failed change of kind must
// not leave the world without the light.
void TLight3D::UpdateType() {
  Detach();
  const std::int32_t typed = FDXLight->SetType(PlatformType());
  CheckResult(DXFrame()->AddLight(FDXLight.Get()), kAddFailed);
  CheckResult(typed, "Light3D error: Set light type failed");
  LightPlacedObject();
}

// A light of a placed object lights its own scene or the whole world, as its flags say; while the
// object lies in no scene its enable frame stays as it is.
void TLight3D::LightPlacedObject() {
  const auto* object = dynamic_cast<const TObject3D*>(Construction());
  if (object == nullptr || object->Scene() == nullptr) return;
  if (FLightFlags & kOwnSceneOnly) {
    SetEnableFrame(&object->Scene()->Root());
  } else {
    SetEnableFrame(&object->GetMap().Root());
  }
}

// A light that a failed attach left out of its frame is only put back: asking the frame to delete
// it would be refused every time, and the light could never return.
void TLight3D::Detach() {
  const auto& lights = DXFrame()->Lights();
  if (std::find(lights.begin(), lights.end(), FDXLight) == lights.end()) return;
  CheckResult(DXFrame()->DeleteLight(FDXLight.Get()), kDeleteFailed);
}

void TLight3D::Refresh() {
  Detach();
  CheckResult(DXFrame()->AddLight(FDXLight.Get()), kAddFailed);
}

void TLight3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TLight3D>(source);
  {
    TUpdateBracket bracket(*this);
    TItem3D::Assign(source);
    ApplyValues(*this, ValuesOf(other));
  }
  UpdateType();
}

void TLight3D::LoadFromStream(rtl::TStream& stream) {
  {
    TUpdateBracket bracket(*this);
    TItem3D::LoadFromStream(stream);
    ApplyValues(*this, ReadValues(stream));
  }
  UpdateType();
}

void TLight3D::SaveToStream(rtl::TStream& stream) {
  TItem3D::SaveToStream(stream);
  WriteByte(stream, FLightFlags);
  WriteSingle(stream, FIntensity);
  WriteByte(stream, FLightKind);
  for (float value : {FConstantAttenuation, FLinearAttenuation, FQuadraticAttenuation, FRange, FFalloff, FHotspot}) {
    WriteSingle(stream, value);
  }
}
