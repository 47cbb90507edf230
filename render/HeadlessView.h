#pragma once

// The world drawn without a window: memory surfaces at a chosen size and depth, the software
// device, and the retained-mode root the object model builds its platform objects through. Make
// the view first, then the world; the world must go before the view.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d/Device.h"
#include "platform/dd/Direct3D.h"
#include "platform/dd/DirectDraw.h"
#include "platform/rm/Direct3DRM.h"
#include "render/MapPainter.h"
#include "scene/Camera3D.h"

class THeadlessView {
 public:
  // The show's view (render/ShowView.h) and software settings: no texture filtering, no dither. The
  // driver is one of those the display's 3D object offers (the software RGB driver by default).
  THeadlessView(int width, int height, d3d::PixelFormat format,
                const std::array<std::uint8_t, 16>& driver = dd::kRGBDeviceGuid);
  ~THeadlessView();
  THeadlessView(const THeadlessView&) = delete;
  THeadlessView& operator=(const THeadlessView&) = delete;

  // Puts the camera where the map's camera item stands; false when the map has none.
  bool PlaceCamera(TMap3D& map);
  void Render(TMap3D& map);
  // The frame as 0xAARRGGBB words, rows from the top.
  std::vector<std::uint32_t> Picture() const;
  void SavePng(const std::string& fileName) const;

  TFrame3D& Scene() { return *FScene; }
  TFrame3D& Camera() { return *FCamera; }
  TMapPainter& Painter() { return *FPainter; }
  rm::Viewport& Viewport() { return *FViewport; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

 private:
  void CreateSurfaces(d3d::PixelFormat format);
  void CreateDevice(const std::array<std::uint8_t, 16>& driver);

  int FWidth, FHeight;
  rtl::Ref<dd::DirectDraw> FDirectDraw;
  rtl::Ref<dd::Surface> FTarget;
  rtl::Ref<dd::Surface> FDepth;
  rtl::Ref<dd::Palette> FPalette;
  rtl::Ref<rm::Direct3DRM> FRoot;
  rtl::Ref<rm::Device> FDevice;
  std::unique_ptr<TFrame3D> FScene;
  std::unique_ptr<TFrame3D> FCamera;
  rtl::Ref<rm::Viewport> FViewport;
  std::unique_ptr<TMapPainter> FPainter;
};

// The camera the show looks through: of every object of every scene, in order, the first camera
// item it holds; a later find replaces an earlier one. None when no object holds one.
TCamera3D* FindCamera(TMap3D& map);
