#include "platform/d3d/soft/SoftDevice.h"

#include "platform/d3d/soft/LineRasterizer.h"
#include "platform/d3d/soft/TriangleRasterizer.h"

namespace d3d::soft {

namespace {

ClipRect TargetRect(const ColorTarget& target) { return {0, 0, target.width, target.height}; }

}  // namespace

void SoftDevice::SetTargets(const ColorTarget& color, const DepthTarget& depth) {
  FTarget = color;
  FColor.Bind(color, &FPalette);
  FDepth.Bind(depth);
  UpdatePalette();
}

// A palettised target's palette may change between frames without new targets, so it is compared
// (1 KiB) before each use.
void SoftDevice::UpdatePalette() {
  if (FTarget.format == PixelFormat::Palette8 && FTarget.palette != nullptr) FPalette.Update(FTarget.palette);
}

// A palettised target without its palette has no colours to draw with.
bool SoftDevice::HasTarget() const {
  return FTarget.pixels != nullptr && (FTarget.format != PixelFormat::Palette8 || FTarget.palette != nullptr);
}

void SoftDevice::Clear(int left, int top, int right, int bottom, std::uint32_t color, bool depth) {
  if (!HasTarget()) return;
  const ClipRect rect = Intersect({left, top, right, bottom}, TargetRect(FTarget));
  if (rect.Empty()) return;
  FColor.Fill(rect.left, rect.top, rect.right, rect.bottom, color);
  if (depth && FDepth.Present()) FDepth.Fill(rect.left, rect.top, rect.right, rect.bottom);
}

void SoftDevice::DrawTriangles(const DrawState& state, std::span<const TLVertex> vertices,
                               std::span<const std::uint32_t> indices) {
  if (!HasTarget()) return;
  UpdatePalette();
  const ClipRect clip =
      Intersect({state.clipLeft, state.clipTop, state.clipRight, state.clipBottom}, TargetRect(FTarget));
  if (clip.Empty()) return;
  FShader.Bind(state, clip.right, FColor, FDepth);
  for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
    if (indices[i] >= vertices.size() || indices[i + 1] >= vertices.size() || indices[i + 2] >= vertices.size()) {
      continue;  // a bad index drops its face, never reads outside the vertices
    }
    const TLVertex* face[3] = {&vertices[indices[i]], &vertices[indices[i + 1]], &vertices[indices[i + 2]]};
    DrawFace(state, clip, face);
  }
}

void SoftDevice::DrawFace(const DrawState& state, const ClipRect& clip, const TLVertex* (&face)[3]) {
  SetupVertex setup[3];
  for (int i = 0; i < 3; ++i) {
    const TLVertex& colors = state.shade == Shade::Flat ? *face[0] : *face[i];
    setup[i] = MakeSetupVertex(*face[i], colors, state.perspective);
  }
  switch (state.fill) {
    case Fill::Solid: RasterizeTriangle(setup, clip, FShader); break;
    case Fill::Wireframe:
      for (int i = 0; i < 3; ++i) RasterizeLine(setup[i], setup[(i + 1) % 3], clip, FShader);
      break;
    case Fill::Points:
      for (const SetupVertex& vertex : setup) RasterizePoint(vertex, clip, FShader);
      break;
  }
}

}  // namespace d3d::soft
