#pragma once

#include <cstdint>

#include "platform/rm/Object.h"

namespace rm {

// How a surface reflects: a specular highlight of a colour and sharpness (power), and a colour it
// emits whatever the lights.
class Material : public Object {
 public:
  explicit Material(float power) : FPower(power) {}

  std::int32_t SetPower(float power);
  std::int32_t SetSpecular(ColorRGB color);
  std::int32_t SetEmissive(ColorRGB color);

  float Power() const { return FPower; }
  ColorRGB Specular() const { return FSpecular; }
  ColorRGB Emissive() const { return FEmissive; }

 private:
  float FPower;
  ColorRGB FSpecular{0, 0, 0};
  ColorRGB FEmissive{0, 0, 0};
};

}  // namespace rm
