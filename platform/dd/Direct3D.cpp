#include "platform/dd/Direct3D.h"

#include <vector>

#include "platform/d3d/gl/Adapters.h"
#include "platform/rtl/Faults.h"

namespace dd {

namespace {

constexpr std::uint32_t kZDepths = DDBD_16 | DDBD_24 | DDBD_32;

// A software device: drawn by the CPU, so only its emulation description says what it does.
DeviceInfo SoftwareDevice(const std::array<std::uint8_t, 16>& guid, const char* name, const char* description,
                          std::uint32_t colorModel, std::uint32_t renderDepths) {
  DeviceInfo info;
  info.guid = guid;
  info.name = name;
  info.description = description;
  info.emulation = DeviceDesc{colorModel, renderDepths, kZDepths};
  return info;
}

// An OpenGL device: drawn by a graphics processor (or Mesa's rasterizer), described as hardware. It
// never draws palettised targets.
DeviceInfo HardwareDevice(std::uint32_t index, const d3d::gl::Adapter& adapter) {
  DeviceInfo info;
  info.guid = HardwareDeviceGuid(index);
  info.name = adapter.name;
  info.description = "OpenGL 3.3 rasterizer";
  info.hardware = DeviceDesc{D3DCOLOR_RGB, DDBD_16 | DDBD_24 | DDBD_32, kZDepths};
  return info;
}

}  // namespace

std::array<std::uint8_t, 16> HardwareDeviceGuid(std::uint32_t adapter) {
  std::array<std::uint8_t, 16> guid{0x51, 0x33, 0x44, 0x47, 0x4C, 0x00, 0x00, 0x00, 0x6F, 0x67, 0x6C, 0x00};
  for (std::size_t i = 0; i < 4; ++i) guid[12 + i] = static_cast<std::uint8_t>(adapter >> (24 - 8 * i));
  return guid;
}

std::int32_t Direct3D::EnumDevices(const std::function<bool(const DeviceInfo&)>& callback) const {
  if (const auto code = rtl::faults::Check("dd.Direct3D.EnumDevices")) return code;
  if (!callback) return DDERR_INVALIDPARAMS;
  constexpr std::uint32_t kAllDepths = DDBD_8 | DDBD_16 | DDBD_24 | DDBD_32;
  // The MMX-class driver has no palettised path: its SIMD spans work on direct colour only.
  const DeviceInfo devices[] = {
      SoftwareDevice(kRampDeviceGuid, "Ramp Emulation", "Software ramp rasterizer", D3DCOLOR_MONO, kAllDepths),
      SoftwareDevice(kRGBDeviceGuid, "RGB Emulation", "Software RGB rasterizer", D3DCOLOR_RGB, kAllDepths),
      SoftwareDevice(kMMXDeviceGuid, "MMX Emulation", "Software RGB rasterizer with MMX-class SIMD", D3DCOLOR_RGB,
                     DDBD_16 | DDBD_24 | DDBD_32),
  };
  for (const DeviceInfo& device : devices)
    if (!callback(device)) return DD_OK;
  const std::vector<d3d::gl::Adapter>& adapters = d3d::gl::Adapters();
  for (std::size_t i = 0; i < adapters.size(); ++i)
    if (!callback(HardwareDevice(static_cast<std::uint32_t>(i), adapters[i]))) break;
  return DD_OK;
}

}  // namespace dd
