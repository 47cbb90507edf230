#include "platform/rm/Viewport.h"

#include "platform/rm/Renderer.h"
#include "platform/rtl/Faults.h"

namespace rm {

Viewport::Viewport(Device* device, Frame* camera, int x, int y, int width, int height)
    : FDevice(device),
      FCamera(camera),
      FX(x),
      FY(y),
      FWidth(width),
      FHeight(height),
      FRenderer(std::make_unique<Renderer>()) {}

Viewport::~Viewport() = default;

std::int32_t Viewport::Configure(int x, int y, int width, int height) {
  if (const auto code = rtl::faults::Check("rm.Viewport.Configure")) return code;
  if (width <= 0 || height <= 0 || x < 0 || y < 0 || x + width > FDevice->GetWidth() ||
      y + height > FDevice->GetHeight()) {
    return D3DRMERR_BADVALUE;
  }
  FX = x, FY = y, FWidth = width, FHeight = height;
  return D3DRM_OK;
}

std::int32_t Viewport::SetFront(float front) {
  if (const auto code = rtl::faults::Check("rm.Viewport.SetFront")) return code;
  if (!(front > 0.0f) || !(front < FBack)) return D3DRMERR_BADVALUE;
  FFront = front;
  return D3DRM_OK;
}

std::int32_t Viewport::SetBack(float back) {
  if (const auto code = rtl::faults::Check("rm.Viewport.SetBack")) return code;
  if (!(back > FFront)) return D3DRMERR_BADVALUE;
  FBack = back;
  return D3DRM_OK;
}

std::int32_t Viewport::SetField(float field) {
  if (const auto code = rtl::faults::Check("rm.Viewport.SetField")) return code;
  if (!(field > 0.0f)) return D3DRMERR_BADVALUE;
  FField = field;
  return D3DRM_OK;
}

std::int32_t Viewport::SetProjection(Projection projection) {
  return StoreSetting("rm.Viewport.SetProjection", FProjection, projection);
}

std::int32_t Viewport::SetCamera(Frame* camera) {
  if (const auto code = rtl::faults::Check("rm.Viewport.SetCamera")) return code;
  if (camera == nullptr) return D3DRMERR_BADOBJECT;
  FCamera = rtl::Ref<Frame>(camera);
  return D3DRM_OK;
}

std::int32_t Viewport::GetCamera(rtl::Ref<Frame>* camera) const {
  if (const auto code = rtl::faults::Check("rm.Viewport.GetCamera")) return code;
  *camera = FCamera;
  return D3DRM_OK;
}

std::int32_t Viewport::Clear() {
  if (const auto code = rtl::faults::Check("rm.Viewport.Clear")) return code;
  d3d::Device& device = *FDevice->GetDirect3DDevice();
  bool hasDepth = false;
  if (const auto code = FDevice->Bind(&hasDepth)) return code;
  device.Clear(FX, FY, FX + FWidth, FY + FHeight, FCamera->GetScene()->GetSceneBackground(), hasDepth);
  return FDevice->Unbind();
}

std::int32_t Viewport::Render(Frame* frame) {
  if (const auto code = rtl::faults::Check("rm.Viewport.Render")) return code;
  if (frame == nullptr) return D3DRMERR_BADOBJECT;
  d3d::Device& device = *FDevice->GetDirect3DDevice();
  bool hasDepth = false;
  if (const auto code = FDevice->Bind(&hasDepth)) return code;
  if (const auto code = device.BeginScene()) {
    FDevice->Unbind();
    return code;
  }
  const View view{FCamera->World(), FFront,  FBack,   FField, FProjection == Projection::Orthographic, FX, FY,
                  FWidth,           FHeight, hasDepth};
  // Every step runs whatever failed before it; the first failure is the answer.
  const std::int32_t rendered = FRenderer->Render(view, *FDevice, *frame);
  const std::int32_t ended = device.EndScene();
  const std::int32_t unbound = FDevice->Unbind();
  for (const std::int32_t result : {rendered, ended, unbound})
    if (result != D3DRM_OK) return result;
  return D3DRM_OK;
}

std::int32_t Viewport::ForceUpdate(int left, int top, int right, int bottom) {
  if (const auto code = rtl::faults::Check("rm.Viewport.ForceUpdate")) return code;
  return left <= right && top <= bottom ? D3DRM_OK : D3DRMERR_BADVALUE;
}

}  // namespace rm
