#include "platform/rm/DeviceSetUp.h"

#include <memory>

#include "platform/dd/Palette.h"

namespace rm {

DeviceSetUp::DeviceSetUp(dd::DirectDraw& directDraw, CheckFunction check, const SetUpMessages& messages)
    : FDirectDraw(directDraw), FCheck(check), FMessages(messages) {}

rtl::Ref<dd::Surface> DeviceSetUp::CreateMemoryTarget(int width, int height, d3d::PixelFormat format) const {
  dd::SurfaceDesc desc;
  desc.caps = dd::DDSCAPS_OFFSCREENPLAIN | dd::DDSCAPS_3DDEVICE | dd::DDSCAPS_SYSTEMMEMORY;
  desc.width = width;
  desc.height = height;
  desc.format = format;
  rtl::Ref<dd::Surface> target;
  FCheck(FDirectDraw.CreateSurface(desc, &target), FMessages.createTarget);
  return target;
}

rtl::Ref<dd::Surface> DeviceSetUp::AttachZBuffer(dd::Surface& target, int width, int height, int bits,
                                                 std::uint32_t memoryCaps) const {
  dd::SurfaceDesc desc;
  desc.caps = dd::DDSCAPS_ZBUFFER | memoryCaps;
  desc.width = width;
  desc.height = height;
  desc.zBufferBitDepth = bits;
  rtl::Ref<dd::Surface> depth;
  FCheck(FDirectDraw.CreateSurface(desc, &depth), FMessages.createZBuffer);
  FCheck(target.AddAttachedSurface(depth.Get()), FMessages.attachZBuffer);
  return depth;
}

rtl::Ref<dd::Palette> DeviceSetUp::AttachEvenPalette(dd::Surface& target) const {
  rtl::Ref<dd::Palette> palette;
  if (target.Desc().format != d3d::PixelFormat::Palette8) return palette;
  const auto entries = dd::EvenPalette();
  FCheck(FDirectDraw.CreatePalette(entries, &palette), FMessages.createPalette);
  FCheck(target.SetPalette(palette.Get()), FMessages.setPalette);
  return palette;
}

rtl::Ref<Device> DeviceSetUp::CreateDevice(dd::Direct3D& direct3D, Direct3DRM& root,
                                           const std::array<std::uint8_t, 16>& driver, dd::Surface& target,
                                           bool mono) const {
  std::unique_ptr<d3d::Device> rasterizer;
  FCheck(direct3D.CreateDevice(driver, &target, &rasterizer), FMessages.createRasterizer);
  rtl::Ref<Device> device;
  FCheck(root.CreateDeviceFromD3D(std::move(rasterizer), &target, mono, &device), FMessages.createDevice);
  return device;
}

}  // namespace rm
