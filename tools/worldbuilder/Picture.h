#pragma once

// A picture the builder paints in: rows from the top, colours as floating-point red, green, blue
// in [0, 1]. It becomes a stored texture picture (24 bits, rows bottom-up as world files keep them).

#include <vector>

#include "resources/TextureImage.h"

namespace worldbuilder {

struct TRgb {
  float r, g, b;
};

TRgb Mix(const TRgb& a, const TRgb& b, float t);
TRgb Scale(const TRgb& c, float k);
TRgb Rgb(int r, int g, int b);

class TPicture {
 public:
  TPicture(int width, int height, const TRgb& fill = {0, 0, 0});

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  TRgb& At(int x, int y) { return FPixels[static_cast<std::size_t>(y * FWidth + x)]; }
  const TRgb& At(int x, int y) const { return FPixels[static_cast<std::size_t>(y * FWidth + x)]; }
  // Paints the pixel when it lies inside; x wraps around (for tiling pictures).
  void Plot(int x, int y, const TRgb& c);
  // A line of the given width, in pixels.
  void Line(float x0, float y0, float x1, float y1, float width, const TRgb& c);
  void Disc(float cx, float cy, float radius, const TRgb& c);
  // Every pixel times k.
  void ScaleAll(float k);

  // The stored picture: 24 bits, rows bottom-up, each component rounded to a byte.
  void ToImage(TImage* image) const;
  // 0xAARRGGBB words, rows from the top.
  std::vector<std::uint32_t> Words() const;

 private:
  int FWidth, FHeight;
  std::vector<TRgb> FPixels;
};

}  // namespace worldbuilder
