#pragma once

// The one way a drawing target is made ready for retained-mode drawing, shared by the render window,
// the headless view and the scene the tests draw: a target surface in memory, the depth buffer
// attached to a target, the even palette of an 8-bit target, and the rasterizer of a driver wrapped
// as a retained-mode device. Every caller names the steps in its own words: a failing call's result
// goes to the caller's check function with that step's message, and the check raises.

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/dd/Direct3D.h"
#include "platform/dd/DirectDraw.h"
#include "platform/rm/Direct3DRM.h"

namespace rm {

// What each step says when it fails; only the steps a caller takes need a message.
struct SetUpMessages {
  const char* createTarget = nullptr;
  const char* createZBuffer = nullptr;
  const char* attachZBuffer = nullptr;
  const char* createPalette = nullptr;
  const char* setPalette = nullptr;
  const char* createRasterizer = nullptr;
  const char* createDevice = nullptr;
};

// Raises when `result` is a failure; returns otherwise.
using CheckFunction = void (*)(std::int32_t result, std::string_view message);

class DeviceSetUp {
 public:
  DeviceSetUp(dd::DirectDraw& directDraw, CheckFunction check, const SetUpMessages& messages);

  // A 3D-capable colour surface in system memory.
  rtl::Ref<dd::Surface> CreateMemoryTarget(int width, int height, d3d::PixelFormat format) const;
  // A depth buffer of `bits` per value, in the memory `memoryCaps` names, attached to `target`.
  rtl::Ref<dd::Surface> AttachZBuffer(dd::Surface& target, int width, int height, int bits,
                                      std::uint32_t memoryCaps) const;
  // The even palette on an 8-bit target; none for deeper ones.
  rtl::Ref<dd::Palette> AttachEvenPalette(dd::Surface& target) const;
  // The driver's rasterizer drawing into `target`, wrapped by `root`; `mono` for ramp drivers.
  rtl::Ref<Device> CreateDevice(dd::Direct3D& direct3D, Direct3DRM& root, const std::array<std::uint8_t, 16>& driver,
                                dd::Surface& target, bool mono) const;

 private:
  dd::DirectDraw& FDirectDraw;
  CheckFunction FCheck;
  SetUpMessages FMessages;
};

}  // namespace rm
