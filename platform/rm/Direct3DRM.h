#pragma once

// The retained-mode root object: it creates frames, meshes, textures, materials, lights,
// animations, viewports and devices, and keeps the search path for the files the world names.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/d3d/Device.h"
#include "platform/dd/Surface.h"
#include "platform/rm/Animation.h"
#include "platform/rm/Device.h"
#include "platform/rm/Frame.h"
#include "platform/rm/Light.h"
#include "platform/rm/Material.h"
#include "platform/rm/Mesh.h"
#include "platform/rm/Texture.h"
#include "platform/rm/Viewport.h"

namespace rm {

class Direct3DRM : public Object {
 public:
  // A frame, hung below `parent` when one is given.
  std::int32_t CreateFrame(Frame* parent, rtl::Ref<Frame>* frame);
  std::int32_t CreateMesh(rtl::Ref<Mesh>* mesh);
  // The image descriptor must be complete (Texture::IsValidImage), or D3DRMERR_BADVALUE.
  std::int32_t CreateTexture(const Image& image, rtl::Ref<Texture>* texture);
  std::int32_t CreateMaterial(float power, rtl::Ref<Material>* material);
  std::int32_t CreateLightRGB(LightType type, float red, float green, float blue, rtl::Ref<Light>* light);
  std::int32_t CreateAnimation(rtl::Ref<Animation>* animation);
  // A device drawing with `device` into `target` (and the depth buffer attached to it, if any).
  std::int32_t CreateDeviceFromD3D(std::unique_ptr<d3d::Device> device, dd::Surface* target, bool mono,
                                   rtl::Ref<Device>* result);
  std::int32_t CreateViewport(Device* device, Frame* camera, int x, int y, int width, int height,
                              rtl::Ref<Viewport>* viewport);

  // With a null buffer, *size receives the bytes the path needs (with its terminating zero);
  // otherwise up to *size bytes are copied.
  std::int32_t GetSearchPath(std::uint32_t* size, char* buffer) const;
  std::int32_t SetSearchPath(const std::string& path);
  std::int32_t AddSearchPath(const std::string& path);

 private:
  std::string FSearchPath;
};

std::int32_t Direct3DRMCreate(rtl::Ref<Direct3DRM>* root);

}  // namespace rm
