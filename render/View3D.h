#pragma once

// The render window: the control the world is drawn into. It owns everything between the engine and
// the picture (surfaces, clipper, palette, the 3D and retained-mode devices, the viewport, the root
// scene frame and the camera), builds the device for the chosen driver and video mode, applies
// render settings lazily through pending changes, and draws one frame per Render.
//
// Sections: pending changes and settings; device building (Rebuild, full screen, window, palette,
// viewport); the frame (Render, DrawMap, RestoreSurfaces, Present, ClearSurfaces, device fog).

#include <cstdint>
#include <memory>

#include "app/Timeserv.h"
#include "platform/dd/qt/SurfaceWidget.h"
#include "platform/rm/Device.h"
#include "platform/rm/DeviceSetUp.h"
#include "platform/rm/Viewport.h"
#include "render/DDCanvas.h"
#include "render/DXEnum.h"
#include "scene/Camera3D.h"
#include "scene/Frame3D.h"
#include "scene/Map3D.h"

class TWindow3D;

using TWindowEvent = rtl::TEvent<TWindow3D*>;
using TOverlayEvent = rtl::TEvent<TWindow3D*, TDDCanvas*>;

class TWindow3D : public dd::qt::SurfaceWidget {
 public:
  // Pending changes.
  static constexpr std::uint16_t chReady = 0x001;  // no frame is being drawn
  static constexpr std::uint16_t chPalette = 0x002;
  static constexpr std::uint16_t chDevice = 0x004;
  static constexpr std::uint16_t chMode = 0x008;
  static constexpr std::uint16_t chViewport = 0x010;
  static constexpr std::uint16_t chQuality = 0x020;
  static constexpr std::uint16_t chClear = 0x040;
  static constexpr std::uint16_t chTextureQuality = 0x080;
  static constexpr std::uint16_t chDither = 0x100;
  // A new window is ready and has everything to build and apply: all but a mode change, which the
  // device build covers, and a clear.
  static constexpr std::uint16_t kCreationChanges =
      chReady | chPalette | chDevice | chViewport | chQuality | chTextureQuality | chDither;

  // Fills `owner`; no platform object is made before the first ApplyChanges.
  explicit TWindow3D(QWidget* owner);
  ~TWindow3D() override;

  // Settings: a changed value is stored and marked for the next frame.
  void SetVideoMode(int index);
  int VideoModeIndex() const { return FVideoModeIndex; }
  void SetViewportMargin(int margin);
  int ViewportMargin() const { return FViewportMargin; }
  void SetQuality(std::uint8_t quality);
  std::uint8_t Quality() const { return FQuality; }
  void SetTextureQuality(std::uint8_t quality);
  std::uint8_t TextureQuality() const { return FTextureQuality; }
  void SetDither(bool dither);
  bool Dither() const { return FDither; }

  // The driver, chosen by the engine's render mode the first time it is asked for.
  int DriverIndex();
  void SetDriverIndex(int index) { FDriverIndex = index; }
  TDriver3D& CurrentDriver();
  TVideoMode& CurrentVideoMode();
  int DefaultDriverIndex() const;

  void ApplyChanges();
  void RestoreDisplay();

  // One frame of the map (or, without one, only the clear and the overlay).
  void Render(TMap3D* map);
  void FlipToGDI();
  void RequestClear() { FChanges |= chClear; }
  bool RestoreSurfaces();
  void Present();
  void ClearSurfaces();
  void SetDeviceFog(float start, float end);

  // Platform members; each raises its "not assigned" message while empty.
  std::uintptr_t WindowHandle() const;
  dd::Palette& Palette() const;
  rm::Device& D3DRMDevice() const;
  rm::Viewport& D3DRMViewport() const;
  dd::Surface& FrontSurface() const;
  dd::Surface& BackSurface() const;
  dd::Surface& ZBufferSurface() const;
  bool HasPalette() const { return static_cast<bool>(FPalette); }
  TDDCanvas* Canvas() const { return FCanvas.get(); }

  std::uint16_t Changes() const { return FChanges; }
  TViewport3D& Viewport() { return *FViewport; }
  TFrame3D& Scene() { return *FScene; }
  TFrame3D& Camera() { return *FCamera; }
  int DeviceWidth() const { return FDeviceWidth; }
  int DeviceHeight() const { return FDeviceHeight; }
  int FramesPerSecond() const { return FFramesPerSecond; }
  int FrameCount() const { return FFrameCount; }
  int ForceUpdateCount() const { return FForceUpdateCount; }
  bool FullScreen() const { return FFullScreen; }
  bool Flipping() const { return FFlipping; }

  bool WaitHardware = false;
  bool TransparentItems = false;
  bool DecalItems = false;
  TWindowEvent OnCreateScene;
  TOverlayEvent OnDrawOverlay;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ViewportChanged(TElement3D*) { FChanges |= chViewport; }
  std::uintptr_t OwnerWindow() const;
  bool HardwareDriver() { return CurrentDriver().Hardware; }
  std::uint32_t MemoryCaps() { return HardwareDriver() ? dd::DDSCAPS_VIDEOMEMORY : dd::DDSCAPS_SYSTEMMEMORY; }

  void ReleaseDevice();
  void Rebuild();
  void SetUpFullScreen();
  void SetUpWindow();
  void CreateFullScreenSurfaces();
  void CreateClipper();
  void CreateZBuffer(int width, int height);
  void CreateDevices();
  rm::DeviceSetUp SetUp() const;
  void SetDeviceStates();
  void UpdatePalette();
  void ConfigureViewport();
  void ApplyQuality();
  bool RestoreLost(dd::Surface* surface, bool clears);
  void ClearSurface(dd::Surface& surface);
  void DrawMap(TMap3D& map);
  void CountFrame();

  rtl::Ref<dd::Surface> FFrontSurface, FBackSurface, FZBufferSurface;
  rtl::Ref<dd::Clipper> FClipper;
  rtl::Ref<dd::Palette> FPalette;
  rtl::Ref<rm::Device> FD3DRMDevice;
  rtl::Ref<rm::Viewport> FD3DRMViewport;
  std::uintptr_t FWindowHandle = 0;
  std::uint16_t FChanges = kCreationChanges;
  std::uint8_t FQuality = 3;
  std::uint8_t FTextureQuality = 0;
  bool FDither = false;
  std::unique_ptr<TDDCanvas> FCanvas;
  TTimer FFrameTimer;
  int FFramesPerSecond = 0;
  int FFrameCount = 0;
  int FDeviceWidth = 0;
  int FDeviceHeight = 0;
  int FDriverIndex = -1;
  int FVideoModeIndex = 0;
  int FForceUpdateCount = 0;
  bool FFullScreen = false;
  bool FFlipping = false;
  bool FSceneCreated = false;
  int FViewportMargin = 0;
  std::unique_ptr<TViewport3D> FViewport;
  std::unique_ptr<TFrame3D> FScene;
  std::unique_ptr<TFrame3D> FCamera;
};
