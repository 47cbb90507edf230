#include "tools/worldbuilder/Picture.h"

#include <algorithm>
#include <cmath>

namespace worldbuilder {

namespace {

std::uint8_t Byte(float v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); }

}  // namespace

TRgb Mix(const TRgb& a, const TRgb& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

TRgb Scale(const TRgb& c, float k) { return {c.r * k, c.g * k, c.b * k}; }

TRgb Rgb(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }

TPicture::TPicture(int width, int height, const TRgb& fill)
    : FWidth(width), FHeight(height), FPixels(static_cast<std::size_t>(width * height), fill) {}

void TPicture::Plot(int x, int y, const TRgb& c) {
  if (y < 0 || y >= FHeight) return;
  At(((x % FWidth) + FWidth) % FWidth, y) = c;
}

void TPicture::Line(float x0, float y0, float x1, float y1, float width, const TRgb& c) {
  const float length = std::max(std::fabs(x1 - x0), std::fabs(y1 - y0));
  const int steps = std::max(1, static_cast<int>(length * 2.0f));
  for (int i = 0; i <= steps; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(steps);
    Disc(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, width / 2.0f, c);
  }
}

void TPicture::Disc(float cx, float cy, float radius, const TRgb& c) {
  const int r = static_cast<int>(std::ceil(radius));
  for (int y = -r; y <= r; ++y) {
    for (int x = -r; x <= r; ++x) {
      if (static_cast<float>(x * x + y * y) <= radius * radius + 0.25f) {
        Plot(static_cast<int>(std::lround(cx)) + x, static_cast<int>(std::lround(cy)) + y, c);
      }
    }
  }
}

void TPicture::ScaleAll(float k) {
  for (TRgb& c : FPixels) c = Scale(c, k);
}

void TPicture::ToImage(TImage* image) const {
  image->Release();
  image->Desc = rm::Image{};
  image->Desc.width = FWidth;
  image->Desc.height = FHeight;
  image->Desc.aspectX = image->Desc.aspectY = 1;
  image->Desc.depth = 24;
  image->Desc.rgb = true;
  image->Desc.bytesPerLine = (FWidth * 3 + 3) / 4 * 4;
  image->Desc.redMask = 0xFF0000;
  image->Desc.greenMask = 0xFF00;
  image->Desc.blueMask = 0xFF;
  image->Allocate();
  std::fill(image->Pixels(), image->Pixels() + image->PixelBytes(), std::uint8_t{0});
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* row = image->Pixels() + static_cast<std::size_t>(FHeight - 1 - y) * image->Desc.bytesPerLine;
    for (int x = 0; x < FWidth; ++x) {
      const TRgb& c = At(x, y);
      row[x * 3] = Byte(c.b), row[x * 3 + 1] = Byte(c.g), row[x * 3 + 2] = Byte(c.r);
    }
  }
}

std::vector<std::uint32_t> TPicture::Words() const {
  std::vector<std::uint32_t> words;
  words.reserve(FPixels.size());
  for (const TRgb& c : FPixels) {
    words.push_back(0xFF000000u | std::uint32_t{Byte(c.r)} << 16 | std::uint32_t{Byte(c.g)} << 8 | Byte(c.b));
  }
  return words;
}

}  // namespace worldbuilder
