#include "platform/rm/Device.h"

#include "platform/rtl/Faults.h"

namespace rm {

Device::Device(std::unique_ptr<d3d::Device> device, dd::Surface* target, bool mono)
    : FDevice(std::move(device)), FTarget(target), FMono(mono) {}

std::int32_t Device::SetQuality(std::uint32_t quality) {
  return StoreSetting("rm.Device.SetQuality", FQuality, quality);
}

std::int32_t Device::SetTextureQuality(std::uint32_t quality) {
  if (const auto code = rtl::faults::Check("rm.Device.SetTextureQuality")) return code;
  if (quality > D3DRMTEXTURE_LINEARMIPLINEAR) return D3DRMERR_BADVALUE;
  FTextureQuality = quality;
  return D3DRM_OK;
}

std::int32_t Device::SetDither(bool dither) { return StoreSetting("rm.Device.SetDither", FDither, dither); }

std::int32_t Device::SetShades(int shades) {
  if (const auto code = rtl::faults::Check("rm.Device.SetShades")) return code;
  if (shades < 1) return D3DRMERR_BADVALUE;
  FShades = shades;
  return D3DRM_OK;
}

std::int32_t Device::SetRenderMode(std::uint32_t mode) {
  return StoreSetting("rm.Device.SetRenderMode", FRenderMode, mode);
}

std::int32_t Device::SetBufferCount(int count) {
  if (const auto code = rtl::faults::Check("rm.Device.SetBufferCount")) return code;
  if (count < 1) return D3DRMERR_BADVALUE;
  FBufferCount = count;
  return D3DRM_OK;
}

std::int32_t Device::Update() { return rtl::faults::Check("rm.Device.Update"); }

std::int32_t Device::Bind(bool* hasDepth) {
  dd::SurfaceDesc desc;
  std::uint8_t* pixels = nullptr;
  if (const auto code = FTarget->Lock(nullptr, &desc, &pixels)) return code;
  d3d::ColorTarget color{pixels, desc.pitch, desc.width, desc.height, desc.format, nullptr};
  rtl::Ref<dd::Palette> palette;
  if (FTarget->GetPalette(&palette) == dd::DD_OK) color.palette = palette->Colors().data();
  d3d::DepthTarget depth;
  FDepth.Reset();
  if (FTarget->GetAttachedSurface(dd::DDSCAPS_ZBUFFER, &FDepth) == dd::DD_OK) {
    dd::SurfaceDesc depthDesc;
    if (const auto code = FDepth->Lock(nullptr, &depthDesc, &depth.pixels)) {
      FTarget->Unlock();
      FDepth.Reset();
      return code;
    }
    depth.pitch = depthDesc.pitch;
    depth.bits = depthDesc.zBufferBitDepth;
  }
  FDevice->SetTargets(color, depth);
  *hasDepth = depth.pixels != nullptr;
  return D3DRM_OK;
}

std::int32_t Device::Unbind() {
  FDevice->Flush();
  const std::int32_t depth = FDepth ? FDepth->Unlock() : D3DRM_OK;
  FDepth.Reset();
  const std::int32_t color = FTarget->Unlock();
  return depth != D3DRM_OK ? depth : color;
}

}  // namespace rm
