#pragma once

// The 3D object of a display: the rasterizer devices it offers ("drivers") with their
// descriptions, and the creation of a device that draws into a surface.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/d3d/Device.h"
#include "platform/dd/Surface.h"
#include "platform/rtl/RefCounted.h"

namespace dd {

enum ColorModel : std::uint32_t {
  D3DCOLOR_NONE = 0,  // not offered in this description (a software device's hardware description)
  D3DCOLOR_MONO = 1,  // ramp: lights by intensity only
  D3DCOLOR_RGB = 2,
};

struct DeviceDesc {
  std::uint32_t colorModel = D3DCOLOR_NONE;
  std::uint32_t renderBitDepths = 0;   // DDBD_ flags of the colour depths it draws into
  std::uint32_t zBufferBitDepths = 0;  // DDBD_ flags of its depth buffers
};

struct DeviceInfo {
  std::array<std::uint8_t, 16> guid{};
  std::string description;
  std::string name;
  DeviceDesc hardware;   // colour model set only for devices drawn by a graphics processor
  DeviceDesc emulation;  // the software devices' description
};

// The software devices' identifiers ("Q3D" and the driver's name, then "soft" and a serial number).
constexpr std::array<std::uint8_t, 16> kRampDeviceGuid{0x51, 0x33, 0x44, 0x52, 0x41, 0x4D, 0x50, 0x00,
                                                       0x73, 0x6F, 0x66, 0x74, 0x00, 0x00, 0x00, 0x01};
constexpr std::array<std::uint8_t, 16> kRGBDeviceGuid{0x51, 0x33, 0x44, 0x52, 0x47, 0x42, 0x00, 0x00,
                                                      0x73, 0x6F, 0x66, 0x74, 0x00, 0x00, 0x00, 0x02};
constexpr std::array<std::uint8_t, 16> kMMXDeviceGuid{0x51, 0x33, 0x44, 0x4D, 0x4D, 0x58, 0x00, 0x00,
                                                      0x73, 0x6F, 0x66, 0x74, 0x00, 0x00, 0x00, 0x03};

// A hardware (OpenGL) device's identifier: "Q3D", "GL", then "ogl" and the adapter's index.
std::array<std::uint8_t, 16> HardwareDeviceGuid(std::uint32_t adapter);

class Direct3D : public rtl::RefCounted {
 public:
  // The software ramp, RGB and MMX-class devices, then one per usable hardware device.
  std::int32_t EnumDevices(const std::function<bool(const DeviceInfo&)>& callback) const;
  // A device of the given kind that draws into `target` (which must be a 3D-capable colour surface
  // of a depth the device renders).
  std::int32_t CreateDevice(const std::array<std::uint8_t, 16>& guid, Surface* target,
                            std::unique_ptr<d3d::Device>* device);
};

}  // namespace dd
