#include "render/View3D.h"

#include <QEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <bit>

#include "core3d/CheckResult.h"
#include "render/MapPainter.h"

namespace {

constexpr const char* kWindowMode = "Window mode";
constexpr int kMarginParts = 40;
constexpr int kMaxMargin = 16;
constexpr std::uint32_t kFullScreenLevel =
    dd::DDSCL_FULLSCREEN | dd::DDSCL_ALLOWREBOOT | dd::DDSCL_NOWINDOWCHANGES | dd::DDSCL_EXCLUSIVE;
constexpr std::uint32_t kFlippingPrimary = dd::DDSCAPS_PRIMARYSURFACE | dd::DDSCAPS_FLIP | dd::DDSCAPS_COMPLEX |
                                           dd::DDSCAPS_3DDEVICE | dd::DDSCAPS_VIDEOMEMORY;
constexpr std::uint8_t kReadOnlyEntry = 0x40;  // the platform's own colours: never changed
constexpr std::uint8_t kReservedEntry = 0x01;  // ours to animate
constexpr std::uint32_t kQualities[] = {rm::D3DRMRENDER_WIREFRAME, rm::D3DRMRENDER_UNLITFLAT, rm::D3DRMRENDER_FLAT,
                                        rm::D3DRMRENDER_GOURAUD, rm::D3DRMRENDER_PHONG};
// The window's words for the steps of the device set-up it shares; it makes its own surfaces and palette.
constexpr rm::SetUpMessages kSetUpMessages{
    .createZBuffer = "Window3D error: create zbuffer surface failed",
    .attachZBuffer = "Window3D error: add zbuffer surface failed",
    .createRasterizer = "Window3D error: create d3ddevice2 failed",
    .createDevice = "Window3D error: create d3drm device from d3d device failed",
};

template <class T>
T& Assigned(const rtl::Ref<T>& member, const char* message) {
  if (!member) throw rtl::Exception(message);
  return *member;
}

bool FitsRenderMode(const TDriver3D& driver, int mode) {
  switch (mode) {
    case rmSoftware:
      return driver.HasModes && !driver.Hardware && !driver.RGBModel;
    case rmMMX: {
      std::string text = driver.Text;
      std::ranges::transform(text, text.begin(), [](unsigned char c) { return std::toupper(c); });
      return text.find("MMX") != std::string::npos;
    }
    default:
      return driver.Hardware;
  }
}

// The palette of an 8-bit mode: the platform's colours at both ends stay as they are (two in full
// screen, twenty beside other windows), the rest are the world's.
std::array<dd::PaletteEntry, 256> ModePalette(bool fullScreen) {
  std::array<dd::PaletteEntry, 256> entries = dd::EvenPalette();
  const int fixed = fullScreen ? 1 : 10;
  for (int i = 0; i < 256; ++i)
    entries[static_cast<std::size_t>(i)].flags = i < fixed || i >= 256 - fixed ? kReadOnlyEntry : kReservedEntry;
  return entries;
}

}  // namespace

TWindow3D::TWindow3D(QWidget* owner) : SurfaceWidget(owner) {
  if (owner != nullptr) {
    QLayout* layout = owner->layout() != nullptr ? owner->layout() : new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(this);
  }
  setEnabled(false);
  FWindowHandle = WindowId();
  FViewport = std::make_unique<TViewport3D>();
  FViewport->OnChange = TNotifyEvent::Bind<&TWindow3D::ViewportChanged>(this);
  FScene = std::make_unique<TFrame3D>();
  FCamera = std::make_unique<TFrame3D>();
  FCamera->SetParent(FScene.get());
  FFrameTimer.Start();
}

TWindow3D::~TWindow3D() {
  ReleaseDevice();
  FCanvas.reset();
  FViewport.reset();
  FCamera.reset();
  FScene.reset();
}

// ---- Settings and pending changes

void TWindow3D::SetVideoMode(int index) {
  if (index < 0 || index >= CurrentDriver().VideoModes->Count())
    throw rtl::Exception("Window3D error: video mode index out of range");
  if (index == FVideoModeIndex) return;
  FVideoModeIndex = index;
  FChanges |= chDevice | chMode;
}

void TWindow3D::SetViewportMargin(int margin) {
  FViewportMargin = std::clamp(margin, 0, kMaxMargin);
  FChanges |= chViewport | chClear;
}

void TWindow3D::SetQuality(std::uint8_t quality) {
  if (quality == FQuality) return;
  FQuality = quality;
  FChanges |= chQuality;
}

void TWindow3D::SetTextureQuality(std::uint8_t quality) {
  if (quality == FTextureQuality) return;
  FTextureQuality = quality;
  FChanges |= chTextureQuality;
}

void TWindow3D::SetDither(bool dither) {
  if (dither == FDither) return;
  FDither = dither;
  FChanges |= chDither;
}

int TWindow3D::DriverIndex() {
  if (FDriverIndex == -1) {
    FDriverIndex = DefaultDriverIndex();
    FVideoModeIndex = 0;
  }
  return FDriverIndex;
}

TDriver3D& TWindow3D::CurrentDriver() { return Engine3D().Drivers().GetDriver(DriverIndex()); }

TVideoMode& TWindow3D::CurrentVideoMode() { return CurrentDriver().VideoModes->GetMode(FVideoModeIndex); }

// The first driver that fits the render mode; a mode that none fits steps down towards software.
int TWindow3D::DefaultDriverIndex() const {
  const TDriver3DList& drivers = Engine3D().Drivers();
  for (int mode = Engine3D().RenderMode();; --mode) {
    for (int i = 0; i < drivers.Count(); ++i)
      if (FitsRenderMode(drivers.GetDriver(i), mode)) return i;
    if (mode <= rmSoftware) throw rtl::Exception("Window3D error: Default driver not found");
  }
}

void TWindow3D::ApplyChanges() {
  if ((FChanges & chMode) != 0 && (FChanges & chDevice) == 0) FChanges &= ~chMode;
  if ((FChanges & chDevice) != 0) {
    FChanges &= ~(chDevice | chMode);
    Rebuild();
    FChanges |= chViewport | chQuality | chTextureQuality | chDither;
  }
  if ((FChanges & chPalette) != 0) {
    FChanges &= ~chPalette;
    UpdatePalette();
  }
  if ((FChanges & chViewport) != 0) {
    FChanges &= ~chViewport;
    ConfigureViewport();
  }
  ApplyQuality();
  if ((FChanges & chClear) != 0) {
    FChanges &= ~chClear;
    ClearSurfaces();
  }
}

void TWindow3D::ApplyQuality() {
  if ((FChanges & chQuality) != 0) {
    FChanges &= ~chQuality;
    const std::uint32_t quality = FQuality < std::size(kQualities) ? kQualities[FQuality] : rm::D3DRMRENDER_WIREFRAME;
    CheckResult(D3DRMDevice().SetQuality(quality), "Window3D error: Can't set quality on device");
  }
  if ((FChanges & chTextureQuality) != 0) {
    FChanges &= ~chTextureQuality;
    const std::uint32_t filter = FTextureQuality <= rm::D3DRMTEXTURE_LINEARMIPLINEAR ? FTextureQuality : 0;
    CheckResult(D3DRMDevice().SetTextureQuality(filter), "Window3D error: Can't set texture quality on device");
  }
  if ((FChanges & chDither) != 0) {
    FChanges &= ~chDither;
    CheckResult(D3DRMDevice().SetDither(FDither), "Window3D error: Can't set dither on device");
  }
}

void TWindow3D::RestoreDisplay() {
  if (!FFullScreen) return;
  CheckResult(Engine3D().DirectDraw().RestoreDisplayMode(), "Window3D error: restore display mode failed");
  CheckResult(Engine3D().DirectDraw().SetCooperativeLevel(OwnerWindow(), dd::DDSCL_NORMAL),
              "Window3D error: set window cooperative level failed");
}

void TWindow3D::resizeEvent(QResizeEvent* event) {
  FChanges |= chDevice;
  SurfaceWidget::resizeEvent(event);
}

void TWindow3D::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange) FChanges |= chPalette;
  SurfaceWidget::changeEvent(event);
}

// ---- Platform members

std::uintptr_t TWindow3D::WindowHandle() const {
  if (FWindowHandle == 0) throw rtl::Exception("Window3D error: hwindow not assigned");
  return FWindowHandle;
}

dd::Palette& TWindow3D::Palette() const { return Assigned(FPalette, "Window3D error: palette not assigned"); }

rm::Device& TWindow3D::D3DRMDevice() const {
  return Assigned(FD3DRMDevice, "Window3D error: d3drm device not assigned");
}

rm::Viewport& TWindow3D::D3DRMViewport() const {
  return Assigned(FD3DRMViewport, "Window3D error: viewport not assigned");
}

dd::Surface& TWindow3D::FrontSurface() const {
  return Assigned(FFrontSurface, "Window3D error: front surface not assigned");
}

dd::Surface& TWindow3D::BackSurface() const {
  return Assigned(FBackSurface, "Window3D error: back surface not assigned");
}

dd::Surface& TWindow3D::ZBufferSurface() const {
  return Assigned(FZBufferSurface, "Window3D error: zbuffer surface not assigned");
}

std::uintptr_t TWindow3D::OwnerWindow() const {
  const QWidget* owner = parentWidget();
  return owner != nullptr ? static_cast<std::uintptr_t>(owner->window()->winId()) : WindowHandle();
}

// ---- Building the device

void TWindow3D::ReleaseDevice() {
  FPalette.Reset();
  FD3DRMViewport.Reset();
  FD3DRMDevice.Reset();
  FZBufferSurface.Reset();
  FClipper.Reset();
  FBackSurface.Reset();
  FFrontSurface.Reset();
}

void TWindow3D::Rebuild() {
  ReleaseDevice();
  if (CurrentVideoMode().Text == kWindowMode) {
    SetUpWindow();
  } else {
    SetUpFullScreen();
  }
  FDeviceWidth = D3DRMDevice().GetWidth();
  FDeviceHeight = D3DRMDevice().GetHeight();
  if (HardwareDriver())
    CheckResult(D3DRMDevice().SetRenderMode(rm::D3DRMRENDERMODE_BLENDEDTRANSPARENCY),
                "TWindow3D error: set render mode failed");
  SetDeviceStates();
  CheckResult(D3DRMDevice().SetShades(CurrentVideoMode().BitsPerPixel == 1 ? 4 : 1),
              "Window3D error: Can't set shades");
  FCanvas.reset();
  FCanvas = std::make_unique<TDDCanvas>(FBackSurface.Get());
}

void TWindow3D::SetDeviceStates() {
  using enum d3d::RenderStateType;
  const TRenderState states[] = {{AlphaRef, 0},
                                 {AlphaFunc, static_cast<std::uint32_t>(d3d::Compare::Greater)},
                                 {AlphaTestEnable, 1},
                                 {MipMapLodBias, std::bit_cast<std::uint32_t>(1.0f)}};
  SetRenderStates(D3DRMDevice(), states, "TWindow3D error: get d3d device failed");
}

void TWindow3D::SetUpFullScreen() {
  dd::DirectDraw& directDraw = Engine3D().DirectDraw();
  const TVideoMode& mode = CurrentVideoMode();
  CheckResult(directDraw.SetCooperativeLevel(OwnerWindow(), kFullScreenLevel),
              "Window3D error: set full screen cooperative level failed");
  CheckResult(directDraw.SetDisplayMode(mode.Width, mode.Height, mode.BitsPerPixel),
              "Window3D error: set display mode failed");
  FFullScreen = true;
  CreateFullScreenSurfaces();
  CheckResult(FFrontSurface->GetAttachedSurface(dd::DDSCAPS_BACKBUFFER, &FBackSurface),
              "Window3D error: get back buffer surface failed");
  CreateClipper();
  UpdatePalette();
  if (CurrentDriver().ZBufferDepth > 0) CreateZBuffer(mode.Width, mode.Height);
  CreateDevices();
  D3DRMDevice().SetBufferCount(2);
  FFullScreen = true;
  FFlipping = true;
}

// A software driver may do without video memory; a hardware driver never falls back.
void TWindow3D::CreateFullScreenSurfaces() {
  dd::DirectDraw& directDraw = Engine3D().DirectDraw();
  dd::SurfaceDesc desc;
  desc.caps = kFlippingPrimary;
  desc.backBufferCount = 1;
  std::int32_t result = directDraw.CreateSurface(desc, &FFrontSurface);
  if (result != dd::DD_OK && !HardwareDriver()) {
    desc.caps &= ~dd::DDSCAPS_VIDEOMEMORY;
    result = directDraw.CreateSurface(desc, &FFrontSurface);
  }
  CheckResult(result, "Window3D error: create front surface failed");
}

void TWindow3D::SetUpWindow() {
  dd::DirectDraw& directDraw = Engine3D().DirectDraw();
  if (FFullScreen) CheckResult(directDraw.RestoreDisplayMode(), "Window3D error: restore display mode failed");
  CheckResult(directDraw.SetCooperativeLevel(OwnerWindow(), dd::DDSCL_NORMAL),
              "Window3D error: set window cooperative level failed");
  dd::SurfaceDesc front;
  front.caps = dd::DDSCAPS_PRIMARYSURFACE;
  CheckResult(directDraw.CreateSurface(front, &FFrontSurface), "Window3D error: create window front surface failed");
  CreateClipper();
  dd::SurfaceDesc back;
  back.caps = dd::DDSCAPS_OFFSCREENPLAIN | dd::DDSCAPS_3DDEVICE | MemoryCaps();
  back.width = width();
  back.height = height();
  back.format = FFrontSurface->Desc().format;
  CheckResult(directDraw.CreateSurface(back, &FBackSurface), "Window3D error: create window back surface failed");
  UpdatePalette();
  if (CurrentDriver().ZBufferDepth > 0) CreateZBuffer(back.width, back.height);
  CreateDevices();
  FFlipping = false;
  FFullScreen = false;
}

void TWindow3D::CreateClipper() {
  CheckResult(Engine3D().DirectDraw().CreateClipper(&FClipper), "Window3D error: create clipper failed");
  CheckResult(FClipper->SetHWnd(WindowHandle()), "Window3D error: set clipper hwnd failed");
  CheckResult(FFrontSurface->SetClipper(FClipper.Get()), "Window3D error: set clipper on front surface failed");
}

void TWindow3D::CreateZBuffer(int width, int height) {
  FZBufferSurface = SetUp().AttachZBuffer(*FBackSurface, width, height, CurrentDriver().ZBufferDepth, MemoryCaps());
}

void TWindow3D::CreateDevices() {
  const TDriver3D& driver = CurrentDriver();
  FD3DRMDevice = SetUp().CreateDevice(Engine3D().Direct3D(), Engine3D().Direct3DRM(), driver.Guid, *FBackSurface,
                                      !driver.RGBModel);
}

rm::DeviceSetUp TWindow3D::SetUp() const { return {Engine3D().DirectDraw(), CheckResult, kSetUpMessages}; }

void TWindow3D::UpdatePalette() {
  if (CurrentVideoMode().BitsPerPixel > 8) return;
  const auto entries = ModePalette(FFullScreen && CurrentVideoMode().Text != kWindowMode);
  if (FPalette) {
    CheckResult(FPalette->SetEntries(0, entries), "Window3D error: set palette entries failed");
    return;
  }
  CheckResult(Engine3D().DirectDraw().CreatePalette(entries, &FPalette), "Window3D error: create palette failed");
  CheckResult(FrontSurface().SetPalette(FPalette.Get()), "Window3D error: set palette on front surface failed");
  CheckResult(BackSurface().SetPalette(FPalette.Get()), "Window3D error: set palette on back surface failed");
}

void TWindow3D::ConfigureViewport() {
  if (FD3DRMViewport) {
    rtl::Ref<rm::Frame> camera;
    CheckResult(FD3DRMViewport->GetCamera(&camera), "Window3D error: get camera failed");
    if (camera.Get() != FCamera->DXFrame()) FD3DRMViewport.Reset();
  }
  const int w = FDeviceWidth, h = FDeviceHeight;
  if (!FD3DRMViewport)
    CheckResult(
        Engine3D().Direct3DRM().CreateViewport(FD3DRMDevice.Get(), FCamera->DXFrame(), 0, 0, w, h, &FD3DRMViewport),
        "Window3D error: Can't create viewport");
  const int x = w * FViewportMargin / kMarginParts, y = h * FViewportMargin / kMarginParts;
  rm::Viewport& viewport = *FD3DRMViewport;
  CheckResult(viewport.Configure(x, y, w - 2 * x, h - 2 * y), "Window3D error: Can't create viewport");
  CheckResult(viewport.SetFront(FViewport->Front()), "Window3D error: Can't set front plane");
  CheckResult(viewport.SetBack(FViewport->Back()), "Window3D error: Can't set back plane");
  CheckResult(viewport.SetField(FViewport->Field()), "Window3D error: Can't set field of view");
  if (FViewport->Projection() == TViewport3D::kPerspective)
    CheckResult(viewport.SetProjection(rm::Projection::Perspective),
                "Window3D error: Can't set perspective projection");
  else if (FViewport->Projection() == TViewport3D::kOrthographic)
    CheckResult(viewport.SetProjection(rm::Projection::Orthographic),
                "Window3D error: Can't set orthographic projection");
}

// ---- The frame

void TWindow3D::Render(TMap3D* map) {
  if ((FChanges & chReady) == 0 || !RestoreSurfaces()) return;
  FChanges &= ~chReady;
  if (FChanges != 0) ApplyChanges();
  if (map != nullptr) {
    if (OnCreateScene && !FSceneCreated) {
      FSceneCreated = true;
      OnCreateScene(this);
    }
    DrawMap(*map);
  }
  if (OnDrawOverlay) {
    try {
      OnDrawOverlay(this, FCanvas.get());
    } catch (...) {
      FCanvas->ReleaseHandle();
      throw;
    }
    FCanvas->ReleaseHandle();
  }
  Present();
  FChanges |= chReady;
  CountFrame();
}

void TWindow3D::CountFrame() {
  ++FFrameCount;
  if (FFrameTimer.Time().Seconds() == 0) return;
  FFramesPerSecond = FFrameCount;
  FFrameCount = 0;
  FFrameTimer.Pause();
  FFrameTimer.Start();
}

void TWindow3D::DrawMap(TMap3D& map) {
  TMapPainter painter(D3DRMViewport(), D3DRMDevice(), *FScene, *FCamera);
  TMapPainter::TOptions& options = painter.Options();
  options.Back = FViewport->Back();
  options.TransparentItems = TransparentItems;
  options.DecalItems = DecalItems;
  options.DeviceFog = Engine3D().RenderMode() == rmSecondAccelerator;
  painter.DrawMap(map);
}

void TWindow3D::FlipToGDI() {
  if (FFullScreen) Engine3D().DirectDraw().FlipToGDISurface();
}

bool TWindow3D::RestoreSurfaces() {
  if (!FFullScreen) return true;
  if (!RestoreLost(FFrontSurface.Get(), true) || !RestoreLost(FBackSurface.Get(), true) ||
      !RestoreLost(FZBufferSurface.Get(), false))
    return false;
  while (FForceUpdateCount > 0) {
    --FForceUpdateCount;
    CheckResult(D3DRMViewport().ForceUpdate(0, 0, width(), height()), "Window3D error: force update failed");
  }
  return true;
}

// A restored surface holds nothing: the next two frames are drawn whole, and colour surfaces black.
bool TWindow3D::RestoreLost(dd::Surface* surface, bool clears) {
  if (surface == nullptr || surface->IsLost() == dd::DD_OK) return true;
  if (surface->Restore() != dd::DD_OK) return false;
  FForceUpdateCount = 2;
  if (clears) FChanges |= chClear;
  return true;
}

void TWindow3D::Present() {
  if (FFullScreen && FFlipping) {
    if (WaitHardware) {
      CheckResult(FrontSurface().Flip(dd::DDFLIP_WAIT), "Window3D error: flip front surface failed");
    } else {
      FrontSurface().Flip(0);
    }
    return;
  }
  const dd::Rect source{0, 0, width(), height()};
  const QPoint origin = mapToGlobal(QPoint(0, 0));
  const dd::Rect destination{origin.x(), origin.y(), origin.x() + width(), origin.y() + height()};
  FrontSurface().Blt(&destination, &BackSurface(), &source);
}

void TWindow3D::ClearSurfaces() {
  if (FFrontSurface) ClearSurface(*FFrontSurface);
  if (FBackSurface) ClearSurface(*FBackSurface);
}

void TWindow3D::ClearSurface(dd::Surface& surface) {
  rtl::Ref<dd::Clipper> clipper;
  const bool detach = FFlipping && surface.GetClipper(&clipper) == dd::DD_OK;
  if (detach) CheckResult(surface.SetClipper(nullptr), "deattach clipper failed");
  dd::SurfaceDesc desc;
  CheckResult(surface.GetSurfaceDesc(&desc), "get surface description failed");
  const dd::Rect all{0, 0, desc.width, desc.height};
  CheckResult(surface.BltColorFill(&all, 0), "color fill bliting failed");
  if (detach) CheckResult(surface.SetClipper(clipper.Get()), "aftach clipper failed");
}

void TWindow3D::SetDeviceFog(float start, float end) { ::SetDeviceFog(D3DRMDevice(), start, end); }
