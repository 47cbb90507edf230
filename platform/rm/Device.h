#pragma once

// The retained-mode device: a rasterizer device bound to the surface it draws into (with the
// depth buffer attached to that surface, if any), and the render settings that apply to everything
// a viewport draws with it.

#include <cstdint>
#include <memory>

#include "platform/d3d/Device.h"
#include "platform/dd/Surface.h"
#include "platform/rm/Mesh.h"
#include "platform/rm/Object.h"

namespace rm {

enum TextureQuality : std::uint32_t {
  D3DRMTEXTURE_NEAREST = 0,
  D3DRMTEXTURE_LINEAR = 1,
  D3DRMTEXTURE_MIPNEAREST = 2,
  D3DRMTEXTURE_MIPLINEAR = 3,
  D3DRMTEXTURE_LINEARMIPNEAREST = 4,
  D3DRMTEXTURE_LINEARMIPLINEAR = 5,
};

enum RenderModeFlags : std::uint32_t {
  D3DRMRENDERMODE_BLENDEDTRANSPARENCY = 1,
  D3DRMRENDERMODE_SORTEDTRANSPARENCY = 2,
};

class Device : public Object {
 public:
  // mono: a ramp device, whose lights count by intensity only.
  Device(std::unique_ptr<d3d::Device> device, dd::Surface* target, bool mono);

  std::int32_t SetQuality(std::uint32_t quality);
  std::uint32_t GetQuality() const { return FQuality; }
  std::int32_t SetTextureQuality(std::uint32_t quality);
  std::uint32_t GetTextureQuality() const { return FTextureQuality; }
  std::int32_t SetDither(bool dither);
  bool GetDither() const { return FDither; }
  std::int32_t SetShades(int shades);
  int GetShades() const { return FShades; }
  std::int32_t SetRenderMode(std::uint32_t mode);
  std::uint32_t GetRenderMode() const { return FRenderMode; }
  std::int32_t SetBufferCount(int count);
  int GetBufferCount() const { return FBufferCount; }
  int GetWidth() const { return FTarget->Width(); }
  int GetHeight() const { return FTarget->Height(); }
  // Drawing is done when Render returns; nothing is left to push to memory surfaces.
  std::int32_t Update();
  bool Mono() const { return FMono; }

  d3d::Device* GetDirect3DDevice() const { return FDevice.get(); }
  dd::Surface* Target() const { return FTarget.Get(); }

  // Locks the target (and its depth buffer) and points the rasterizer at them; Unbind unlocks both
  // and gives the first failure.
  std::int32_t Bind(bool* hasDepth);
  std::int32_t Unbind();

 private:
  std::unique_ptr<d3d::Device> FDevice;
  rtl::Ref<dd::Surface> FTarget;
  rtl::Ref<dd::Surface> FDepth;
  bool FMono;
  std::uint32_t FQuality = D3DRMRENDER_FLAT;
  std::uint32_t FTextureQuality = D3DRMTEXTURE_NEAREST;
  bool FDither = true;
  int FShades = 32;
  std::uint32_t FRenderMode = 0;
  int FBufferCount = 1;
};

}  // namespace rm
