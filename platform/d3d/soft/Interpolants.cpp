#include "platform/d3d/soft/Interpolants.h"

#include <cmath>

namespace d3d::soft {

namespace {

float Channel(std::uint32_t color, int shift) { return static_cast<float>((color >> shift) & 0xFFu); }

}  // namespace

SetupVertex MakeSetupVertex(const TLVertex& vertex, const TLVertex& colors, bool perspective) {
  const float q = perspective ? vertex.rhw : 1.0f;
  SetupVertex out{vertex.sx, vertex.sy, {}};
  Interpolated& v = out.value;
  v[kZ] = vertex.sz;
  v[kQ] = q;
  v[kUQ] = vertex.tu * q;
  v[kVQ] = vertex.tv * q;
  v[kR] = Channel(colors.color, 16);
  v[kG] = Channel(colors.color, 8);
  v[kB] = Channel(colors.color, 0);
  v[kA] = Channel(colors.color, 24);
  v[kSR] = Channel(colors.specular, 16);
  v[kSG] = Channel(colors.specular, 8);
  v[kSB] = Channel(colors.specular, 0);
  v[kFog] = Channel(colors.specular, 24);
  return out;
}

Gradients PlaneGradients(const SetupVertex& v0, const SetupVertex& v1, const SetupVertex& v2, float area2) {
  Gradients g;
  g.originX = static_cast<int>(std::floor(v0.x));
  g.originY = static_cast<int>(std::floor(v0.y));
  const float x1 = v1.x - v0.x, y1 = v1.y - v0.y;
  const float x2 = v2.x - v0.x, y2 = v2.y - v0.y;
  const float inverse = 1.0f / area2;
  const float toCentreX = static_cast<float>(g.originX) + 0.5f - v0.x;
  const float toCentreY = static_cast<float>(g.originY) + 0.5f - v0.y;
  for (int i = 0; i < kInterpolantCount; ++i) {
    const float a1 = v1.value[i] - v0.value[i];
    const float a2 = v2.value[i] - v0.value[i];
    g.dx[i] = (a1 * y2 - a2 * y1) * inverse;
    g.dy[i] = (a2 * x1 - a1 * x2) * inverse;
    g.origin[i] = v0.value[i] + g.dx[i] * toCentreX + g.dy[i] * toCentreY;
  }
  return g;
}

Gradients PointGradients(int x, int y, const Interpolated& value, const Interpolated& dx) {
  Gradients g;
  g.originX = x;
  g.originY = y;
  g.origin = value;
  g.dx = dx;
  return g;
}

}  // namespace d3d::soft
