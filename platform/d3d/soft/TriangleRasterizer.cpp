#include "platform/d3d/soft/TriangleRasterizer.h"

#include <algorithm>

#include "platform/d3d/soft/EdgeWalker.h"
#include "platform/d3d/soft/FixedPoint.h"

namespace d3d::soft {

namespace {

// The rows from `first` up to, not including, `last`, trimmed to the clip rectangle.
struct RowRange {
  int first, last;
};

RowRange ClippedRows(FixedPoint2 top, FixedPoint2 bottom, const ClipRect& clip) {
  return {std::max(FirstCentreAtOrAfter(top.y), clip.top), std::min(FirstCentreAtOrAfter(bottom.y), clip.bottom)};
}

// Walks the rows of one half of the triangle (above or below its middle vertex) between the long edge
// and a short one.
void ShadeHalf(EdgeWalker& longEdge, FixedPoint2 top, FixedPoint2 bottom, bool longEdgeLeft, const ClipRect& clip,
               SpanShader& shader) {
  const RowRange rows = ClippedRows(top, bottom, clip);
  if (rows.first >= rows.last) return;
  EdgeWalker shortEdge(top, bottom, rows.first);
  for (int y = rows.first; y < rows.last; ++y) {
    const EdgeWalker& leftEdge = longEdgeLeft ? longEdge : shortEdge;
    const EdgeWalker& rightEdge = longEdgeLeft ? shortEdge : longEdge;
    const int left = std::max(leftEdge.X(), clip.left);
    const int right = std::min(rightEdge.X(), clip.right);
    longEdge.Step();
    shortEdge.Step();
    const int nextLeft = std::max(leftEdge.X(), clip.left), nextRight = std::min(rightEdge.X(), clip.right);
    if (y + 1 < rows.last && nextLeft < nextRight) shader.Prefetch(y + 1, nextLeft, nextRight);
    if (left < right) shader.Shade(y, left, right);
  }
}

}  // namespace

void RasterizeTriangle(const SetupVertex (&vertices)[3], const ClipRect& clip, SpanShader& shader) {
  FixedPoint2 p[3];
  for (int i = 0; i < 3; ++i) p[i] = {ToFixed(vertices[i].x), ToFixed(vertices[i].y)};
  const std::int64_t area2 = static_cast<std::int64_t>(p[1].x - p[0].x) * (p[2].y - p[0].y) -
                             static_cast<std::int64_t>(p[2].x - p[0].x) * (p[1].y - p[0].y);
  if (area2 == 0) return;

  // The planes come from the snapped positions, so that they agree with the coverage.
  SetupVertex snapped[3] = {vertices[0], vertices[1], vertices[2]};
  for (int i = 0; i < 3; ++i) snapped[i].x = FromFixed(p[i].x), snapped[i].y = FromFixed(p[i].y);
  const Gradients gradients = PlaneGradients(snapped[0], snapped[1], snapped[2],
                                             static_cast<float>(area2) / (SubpixelScale * SubpixelScale));
  shader.Begin(gradients);

  // Sorted top to bottom; the long edge joins the top and bottom vertices.
  std::sort(std::begin(p), std::end(p), [](FixedPoint2 a, FixedPoint2 b) { return a.y < b.y; });
  const RowRange rows = ClippedRows(p[0], p[2], clip);
  if (rows.first >= rows.last) return;
  // The middle vertex lies right of the long edge when the turn top -> bottom -> middle is clockwise
  // on screen (y down).
  const std::int64_t turn = static_cast<std::int64_t>(p[2].x - p[0].x) * (p[1].y - p[0].y) -
                            static_cast<std::int64_t>(p[1].x - p[0].x) * (p[2].y - p[0].y);
  const bool longEdgeLeft = turn < 0;
  EdgeWalker longEdge(p[0], p[2], rows.first);
  ShadeHalf(longEdge, p[0], p[1], longEdgeLeft, clip, shader);
  ShadeHalf(longEdge, p[1], p[2], longEdgeLeft, clip, shader);
}

}  // namespace d3d::soft
