#pragma once

#include <cstdint>

#include "core3d/Element3D.h"

// A 32-bit colour as the platform takes it: byte 0 blue, 1 green, 2 red, 3 alpha.
class TColor3D : public TElement3D {
 public:
  // The colour's bytes, as GetComponent and SetComponent index them.
  static constexpr int kBlue = 0;
  static constexpr int kGreen = 1;
  static constexpr int kRed = 2;
  static constexpr int kAlpha = 3;

  const char* ClassName() const override { return "TColor3D"; }

  // Byte i of the colour (kBlue, kGreen, kRed, kAlpha).
  std::uint8_t GetComponent(int index) const;
  void SetComponent(int index, std::uint8_t value);
  std::uint32_t GetColor() const { return FColor; }
  void SetColor(std::uint32_t color);
  void SetRGBA(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

 private:
  std::uint32_t FColor = 0;
};
