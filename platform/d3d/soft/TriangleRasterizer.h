#pragma once

// Solid triangles: vertices snapped to the sub-pixel grid, rows and spans found by exact edge walking
// (the top-left rule, see EdgeWalker.h), spans handed to the span shader. Either winding is drawn.

#include "platform/d3d/soft/ClipRect.h"
#include "platform/d3d/soft/Interpolants.h"
#include "platform/d3d/soft/SpanShader.h"

namespace d3d::soft {

void RasterizeTriangle(const SetupVertex (&vertices)[3], const ClipRect& clip, SpanShader& shader);

}  // namespace d3d::soft
