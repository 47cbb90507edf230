#pragma once

#include <cstdint>
#include <vector>

#include "core3d/Element3D.h"
#include "platform/rtl/MemoryStream.h"

namespace testing_support {

// The element's record, as SaveToStream writes it.
inline std::vector<std::uint8_t> Saved(TElement3D& element) {
  rtl::TMemoryStream stream;
  element.SaveToStream(stream);
  return stream.Bytes();
}

}  // namespace testing_support
