#include "platform/d3d/soft/DepthBuffer.h"

namespace d3d::soft {

void DepthBuffer::Bind(const DepthTarget& target) {
  FRows = {target.pixels, target.pitch, target.bits == 16 ? 2 : 4, nullptr};
  switch (target.bits) {
    case 16: FScale = Splat(65535.0f), FFar = 0xFFFFu; break;
    case 24: FScale = Splat(16777215.0f), FFar = 0xFFFFFFu; break;
    // The largest float below 2^31, so that the conversion through int32 cannot overflow.
    default: FScale = Splat(2147483520.0f), FFar = 0xFFFFFFFFu; break;
  }
}

}  // namespace d3d::soft
