#pragma once

// An item that owns one platform light attached to its own frame. The fields mirror what the
// light was told; every setter reaches the platform only when the value changes, so a field left at
// 0 means the platform keeps its own default.

#include <cstdint>

#include "core3d/Color3D.h"
#include "platform/rm/Light.h"
#include "platform/rtl/RefCounted.h"
#include "scene/Item3D.h"

class TLight3D : public TItem3D {
 public:
  static constexpr std::uint8_t kLightOn = 1;       // the colour is applied; off is black
  static constexpr std::uint8_t kPositional = 2;    // point rather than parallel point, spot rather than directional
  static constexpr std::uint8_t kOwnSceneOnly = 4;  // lights only the scene that holds it

  TLight3D();

  const char* ClassName() const override { return "TLight3D"; }

  void Assign(const TElement3D& source) override;
  // The item record (its structure part holds the colour), then flags, intensity, kind, the three
  // attenuations, range, falloff and hotspot.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;
  // Takes the light out of its frame and puts it back.
  void Refresh() override;

  void SetLightFlags(std::uint8_t flags);
  void SetIntensity(float intensity);
  // 0 ambient, 1 point, 2 spot; anything else is directional.
  void SetLightKind(std::uint8_t kind);
  void SetConstantAttenuation(float value);
  void SetLinearAttenuation(float value);
  void SetQuadraticAttenuation(float value);
  void SetRange(float range);
  // Full cone angles in degrees; the platform takes radians.
  void SetFalloff(float degrees);
  void SetHotspot(float degrees);
  // The light lights only the subtree of `frame`; null lights everything in its scene.
  void SetEnableFrame(const TFrame3D* frame);
  // Re-types the platform light after the kind or the positional flag changed.
  void UpdateType();

  std::uint8_t LightFlags() const { return FLightFlags; }
  float Intensity() const { return FIntensity; }
  rm::Light* DXLight() const { return FDXLight.Get(); }
  std::uint8_t LightKind() const { return FLightKind; }
  TColor3D& Color() { return FColor; }
  float ConstantAttenuation() const { return FConstantAttenuation; }
  float LinearAttenuation() const { return FLinearAttenuation; }
  float QuadraticAttenuation() const { return FQuadraticAttenuation; }
  float Range() const { return FRange; }
  float Falloff() const { return FFalloff; }
  float Hotspot() const { return FHotspot; }

 private:
  void ColorChanged(TElement3D* sender);
  // Takes the light out of its frame when the frame holds it.
  void Detach();
  rm::LightType PlatformType() const;
  void LightPlacedObject();
  rm::ColorRGB ScaledColor() const;
  // Calls the platform with `value` when it differs from `field`, then stores it and notifies.
  void SetPlatformValue(float& field, float value, float platformValue, std::int32_t (rm::Light::*set)(float),
                        const char* message);

  std::uint8_t FLightFlags = kLightOn;
  float FIntensity = 1.0f;
  rtl::Ref<rm::Light> FDXLight;
  std::uint8_t FLightKind = 0;
  TColor3D FColor;
  float FConstantAttenuation = 0.0f;
  float FLinearAttenuation = 0.0f;
  float FQuadraticAttenuation = 0.0f;
  float FRange = 0.0f;
  float FFalloff = 0.0f;
  float FHotspot = 0.0f;
};
