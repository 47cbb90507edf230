#pragma once

// Draws the world once through a viewport: the background mesh behind everything, the scene
// background colour and fog, and the map's root frame, repeated around the camera when the world
// is tiled. The render window and the headless view both paint through it.

#include <span>

#include "platform/rm/Device.h"
#include "platform/rm/Viewport.h"
#include "render/ShowView.h"
#include "scene/Frame3D.h"
#include "scene/Map3D.h"

// One render state of a device and its value (floats as their bits).
struct TRenderState {
  d3d::RenderStateType Type;
  std::uint32_t Value;
};

// Sets render states of the device's rasterizer between the begin and end of a scene; the scene is
// ended also when a state fails. `noDevice` is the message when the device has no rasterizer.
void SetRenderStates(rm::Device& device, std::span<const TRenderState> states, const char* noDevice);
// The device's linear table fog.
void SetDeviceFog(rm::Device& device, float start, float end);

class TMapPainter {
 public:
  struct TOptions {
    float Back = kShowBack;         // the viewport's back plane, put back after the background
    bool TransparentItems = false;  // either one draws the scene in two passes
    bool DecalItems = false;
    bool DeviceFog = false;  // the second-accelerator mode also sets the device's table fog
  };

  // `scene` is the root the map's root is hung under; `camera` is the viewport's camera frame.
  TMapPainter(rm::Viewport& viewport, rm::Device& device, TFrame3D& scene, TFrame3D& camera);

  void DrawMap(TMap3D& map);
  TOptions& Options() { return FOptions; }

 private:
  void DrawBackground(TBackground3D& background);
  void ApplyFog(TBackground3D& background);
  void DrawPass(TMap3D& map);
  void RenderScene();
  void RenderSceneFrom(float x, float y, float z);
  void SetBack(float back);

  rm::Viewport& FViewport;
  rm::Device& FDevice;
  TFrame3D& FScene;
  TFrame3D& FCamera;
  TOptions FOptions;
};
