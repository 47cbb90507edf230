// Creating the devices Direct3D offers.

#include <new>
#include <optional>

#include "platform/d3d/gl/GLDevice.h"
#include "platform/d3d/soft/SoftDevice.h"
#include "platform/dd/Direct3D.h"
#include "platform/rtl/Faults.h"

namespace dd {

namespace {

constexpr std::int32_t DDERR_INVALIDPIXELFORMAT = rtl::MakeDXResult(145);

std::uint32_t BitDepthFlag(d3d::PixelFormat format) {
  switch (d3d::BitsPerPixel(format)) {
    case 8: return DDBD_8;
    case 16: return DDBD_16;
    case 24: return DDBD_24;
    default: return DDBD_32;
  }
}

}  // namespace

std::int32_t Direct3D::CreateDevice(const std::array<std::uint8_t, 16>& guid, Surface* target,
                                    std::unique_ptr<d3d::Device>* device) {
  if (const auto code = rtl::faults::Check("dd.Direct3D.CreateDevice")) return code;
  if (target == nullptr || device == nullptr || (target->Desc().caps & DDSCAPS_ZBUFFER) != 0) {
    return DDERR_INVALIDPARAMS;
  }
  std::optional<DeviceInfo> found;
  EnumDevices([&](const DeviceInfo& info) {
    if (info.guid == guid) found = info;
    return !found;
  });
  if (!found) return DDERR_NOTFOUND;
  const bool hardware = found->hardware.colorModel != D3DCOLOR_NONE;
  const DeviceDesc& desc = hardware ? found->hardware : found->emulation;
  if ((desc.renderBitDepths & BitDepthFlag(target->Desc().format)) == 0) return DDERR_INVALIDPIXELFORMAT;
  if (!hardware) {
    *device = std::make_unique<d3d::soft::SoftDevice>();
    return DD_OK;
  }
  // The adapter's index is the guid's last four bytes (see HardwareDeviceGuid).
  const std::size_t adapter = static_cast<std::size_t>(guid[12]) << 24 | static_cast<std::size_t>(guid[13]) << 16 |
                              static_cast<std::size_t>(guid[14]) << 8 | guid[15];
  try {
    std::unique_ptr<d3d::gl::GLDevice> created = d3d::gl::GLDevice::Create(adapter);
    if (!created) return DDERR_GENERIC;  // the context or the shader could not be made
    *device = std::move(created);
  } catch (const std::bad_alloc&) {
    return DDERR_OUTOFMEMORY;
  }
  return DD_OK;
}

}  // namespace dd
