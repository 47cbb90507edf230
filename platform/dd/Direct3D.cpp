#include "platform/dd/Direct3D.h"

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

}  // namespace

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
    if (!callback(device)) break;
  return DD_OK;
}

}  // namespace dd
