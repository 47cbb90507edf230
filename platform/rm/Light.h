#pragma once

#include <cstdint>
#include <limits>

#include "platform/rm/Object.h"

namespace rm {

class Frame;

enum class LightType : std::uint8_t { Ambient, Point, Spot, Directional, ParallelPoint };

// A light source, placed by the frames it is added to. Ambient lights everything evenly;
// directional shines along its frame's +z; parallel point shines like directional from its position
// towards the lit frame; point shines from its position in every direction; spot from its position
// along +z, full inside the umbra cone, fading to nothing at the penumbra (both full angles in radians).
class Light : public Object {
 public:
  Light(LightType type, ColorRGB color) : FType(type), FColor(color) {}
  ~Light() override;

  std::int32_t SetType(LightType type);
  std::int32_t SetColor(ColorRGB color);
  std::int32_t SetConstantAttenuation(float value);
  std::int32_t SetLinearAttenuation(float value);
  std::int32_t SetQuadraticAttenuation(float value);
  // Farther vertices get nothing from a point or spot light.
  std::int32_t SetRange(float range);
  std::int32_t SetUmbra(float angle);
  std::int32_t SetPenumbra(float angle);
  // The light lights only the visuals in this frame's subtree (null: everything in its scene).
  std::int32_t SetEnableFrame(Frame* frame);

  LightType Type() const { return FType; }
  ColorRGB Color() const { return FColor; }
  float ConstantAttenuation() const { return FConstant; }
  float LinearAttenuation() const { return FLinear; }
  float QuadraticAttenuation() const { return FQuadratic; }
  float Range() const { return FRange; }
  float Umbra() const { return FUmbra; }
  float Penumbra() const { return FPenumbra; }
  Frame* EnableFrame() const { return FEnableFrame; }

 private:
  friend class Frame;
  void ForgetEnableFrame(Frame* frame);

  LightType FType;
  ColorRGB FColor;
  float FConstant = 1.0f;
  float FLinear = 0.0f;
  float FQuadratic = 0.0f;
  float FRange = std::numeric_limits<float>::infinity();
  float FUmbra = 0.4f;
  float FPenumbra = 0.5f;
  Frame* FEnableFrame = nullptr;  // not owned: the frame forgets it when it dies
};

}  // namespace rm
