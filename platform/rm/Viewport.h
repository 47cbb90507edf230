#pragma once

// A view of a scene through a camera frame onto a rectangle of a device's surface.

#include <cstdint>
#include <memory>

#include "platform/rm/Device.h"
#include "platform/rm/Frame.h"
#include "platform/rm/Object.h"

namespace rm {

enum class Projection : std::uint8_t { Perspective, Orthographic };

class Renderer;

class Viewport : public Object {
 public:
  Viewport(Device* device, Frame* camera, int x, int y, int width, int height);
  ~Viewport() override;

  std::int32_t Configure(int x, int y, int width, int height);
  // Near and far planes of what is drawn, in camera units along its direction.
  std::int32_t SetFront(float front);
  std::int32_t SetBack(float back);
  // The half size of the view's shorter side at distance 1 from the camera (orthographic: at any
  // distance).
  std::int32_t SetField(float field);
  std::int32_t SetProjection(Projection projection);
  std::int32_t SetCamera(Frame* camera);
  std::int32_t GetCamera(rtl::Ref<Frame>* camera) const;

  // Fills the rectangle with the camera scene's background colour and resets its depth.
  std::int32_t Clear();
  // Draws a frame tree (normally the scene) as the camera sees it.
  std::int32_t Render(Frame* frame);
  // Marks a rectangle as changed; memory surfaces need nothing more.
  std::int32_t ForceUpdate(int left, int top, int right, int bottom);

  int GetX() const { return FX; }
  int GetY() const { return FY; }
  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  float GetFront() const { return FFront; }
  float GetBack() const { return FBack; }
  float GetField() const { return FField; }
  Projection GetProjection() const { return FProjection; }
  Device* GetDevice() const { return FDevice.Get(); }

 private:
  rtl::Ref<Device> FDevice;
  rtl::Ref<Frame> FCamera;
  int FX, FY, FWidth, FHeight;
  float FFront = 1.0f;
  float FBack = 100.0f;
  float FField = 0.5f;
  Projection FProjection = Projection::Perspective;
  std::unique_ptr<Renderer> FRenderer;  // keeps its scratch buffers from frame to frame
};

}  // namespace rm
