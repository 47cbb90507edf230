#pragma once

// Wireframe edges and points. A line steps one pixel at a time along its major axis from the pixel
// holding its first end to the pixel holding its second, both drawn; its interpolants change
// linearly in screen space, like a triangle's. A point is the one pixel holding it.

#include "platform/d3d/soft/ClipRect.h"
#include "platform/d3d/soft/Interpolants.h"
#include "platform/d3d/soft/SpanShader.h"

namespace d3d::soft {

void RasterizeLine(const SetupVertex& from, const SetupVertex& to, const ClipRect& clip, SpanShader& shader);
void RasterizePoint(const SetupVertex& vertex, const ClipRect& clip, SpanShader& shader);

}  // namespace d3d::soft
