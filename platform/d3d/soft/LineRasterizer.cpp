#include "platform/d3d/soft/LineRasterizer.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d/soft/FixedPoint.h"

namespace d3d::soft {

namespace {

// The pixel holding a position (positions clamped like triangle vertices).
int PixelOf(float position) { return static_cast<int>(std::floor(FromFixed(ToFixed(position)))); }

void ShadePixel(int x, int y, const Interpolated& value, const Interpolated& step, const ClipRect& clip,
                SpanShader& shader) {
  if (!clip.Contains(x, y)) return;
  const Gradients gradients = PointGradients(x, y, value, step);
  shader.Begin(gradients);
  shader.Shade(y, x, x + 1);
}

}  // namespace

void RasterizeLine(const SetupVertex& from, const SetupVertex& to, const ClipRect& clip, SpanShader& shader) {
  const int x0 = PixelOf(from.x), y0 = PixelOf(from.y);
  const int x1 = PixelOf(to.x), y1 = PixelOf(to.y);
  const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
  if (steps == 0) {
    RasterizePoint(from, clip, shader);
    return;
  }
  Interpolated step;
  for (int i = 0; i < kInterpolantCount; ++i) step[i] = (to.value[i] - from.value[i]) / static_cast<float>(steps);
  Interpolated value = from.value;
  for (int k = 0; k <= steps; ++k) {
    // Exact integer positions along the minor axis, rounded halves up.
    const int x = x0 + static_cast<int>(FloorDiv(static_cast<std::int64_t>(2 * k) * (x1 - x0) + steps, 2 * steps));
    const int y = y0 + static_cast<int>(FloorDiv(static_cast<std::int64_t>(2 * k) * (y1 - y0) + steps, 2 * steps));
    ShadePixel(x, y, value, step, clip, shader);
    for (int i = 0; i < kInterpolantCount; ++i) value[i] = from.value[i] + step[i] * static_cast<float>(k + 1);
  }
}

void RasterizePoint(const SetupVertex& vertex, const ClipRect& clip, SpanShader& shader) {
  ShadePixel(PixelOf(vertex.x), PixelOf(vertex.y), vertex.value, Interpolated{}, clip, shader);
}

}  // namespace d3d::soft
