#pragma once

// The first OpenGL driver the display's 3D object offers, for the benchmarks that set it beside
// the software driver; none when OpenGL cannot be had.

#include <array>
#include <cstdint>
#include <optional>

#include "platform/dd/Direct3D.h"
#include "platform/dd/DirectDraw.h"

inline std::optional<std::array<std::uint8_t, 16>> OpenGLDriver() {
  rtl::Ref<dd::DirectDraw> directDraw;
  rtl::Ref<dd::Direct3D> direct3D;
  if (dd::DirectDrawCreate(nullptr, &directDraw) != dd::DD_OK || directDraw->QueryDirect3D(&direct3D) != dd::DD_OK)
    return std::nullopt;
  std::optional<std::array<std::uint8_t, 16>> found;
  direct3D->EnumDevices([&](const dd::DeviceInfo& info) {
    if (info.hardware.colorModel != dd::D3DCOLOR_NONE) found = info.guid;
    return !found;
  });
  return found;
}
