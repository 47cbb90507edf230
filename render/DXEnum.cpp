#include "render/DXEnum.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "core3d/CheckResult.h"
#include "core3d/RetainedMode.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Text.h"

namespace {

constexpr const char* kWindowMode = "Window mode";
constexpr int kMaxDepth = 39;

// The render depths a device description's bit-depth flags name.
std::bitset<40> DepthsOf(std::uint32_t flags) {
  constexpr std::pair<std::uint32_t, int> kDepths[] = {{dd::DDBD_1, 1},  {dd::DDBD_2, 2},   {dd::DDBD_4, 4},
                                                       {dd::DDBD_8, 8},  {dd::DDBD_16, 16}, {dd::DDBD_24, 24},
                                                       {dd::DDBD_32, 32}};
  std::bitset<40> depths;
  for (const auto& [flag, bits] : kDepths)
    if ((flags & flag) != 0) depths.set(static_cast<std::size_t>(bits));
  return depths;
}

int ZBufferDepthOf(std::uint32_t flags) {
  if ((flags & dd::DDBD_16) != 0) return 16;
  if ((flags & dd::DDBD_24) != 0) return 24;
  if ((flags & dd::DDBD_32) != 0) return 32;
  return 0;
}

std::unique_ptr<TEngine3D>& EngineInstance() {
  static std::unique_ptr<TEngine3D> engine;
  return engine;
}

}  // namespace

TVideoMode& TVideoModeList::GetMode(int index) const {
  if (index < 0 || index >= Count()) throw rtl::Exception("VideoModeList error: index out of range");
  return static_cast<TVideoMode&>(*Objects(index));
}

TVideoMode& TVideoModeList::AddMode(int width, int height, int bitsPerPixel, int pitch) {
  auto* mode = new TVideoMode;
  mode->Width = width;
  mode->Height = height;
  mode->BitsPerPixel = bitsPerPixel;
  mode->Pitch = pitch;
  mode->Text = rtl::Format("%dX%dX%d", width, height, bitsPerPixel);
  AddObject(mode->Text, mode);
  return *mode;
}

TVideoMode& TVideoModeList::AddCopy(const TVideoMode& mode) {
  AddMode(mode.Width, mode.Height, mode.BitsPerPixel, mode.Pitch);
  SetModeText(Count() - 1, mode.Text);
  return GetMode(Count() - 1);
}

void TVideoModeList::SetModeText(int index, const std::string& text) {
  GetMode(index).Text = text;
  SetString(index, text);
}

void TVideoModeList::SortByText() {
  std::vector<std::pair<std::string, rtl::TObject*>> entries;
  for (int i = 0; i < Count(); ++i) entries.emplace_back(Strings(i), Objects(i));
  std::ranges::stable_sort(entries,
                           [](const auto& a, const auto& b) { return rtl::CompareText(a.first, b.first) < 0; });
  BeginUpdate();
  Clear();
  for (const auto& [text, object] : entries) AddObject(text, object);
  EndUpdate();
}

void TVideoModeList::Move(int from, int to) {
  GetMode(from);
  const std::string text = Strings(from);
  rtl::TObject* object = Objects(from);
  BeginUpdate();
  Delete(from);
  Insert(to, text, object);
  EndUpdate();
}

TDriver3D::TDriver3D() : VideoModes(new TVideoModeList) {}

TDriver3D& TDriver3DList::GetDriver(int index) const {
  if (index < 0 || index >= Count()) throw rtl::Exception("Driver3DList error: index out of range");
  return static_cast<TDriver3D&>(*Objects(index));
}

TEngine3D::TEngine3D() : FDrivers(new TDriver3DList), FVideoModes(new TVideoModeList) {}

TEngine3D::~TEngine3D() {
  if (FDirectDraw) {
    FDirectDraw->FlipToGDISurface();
    FDirectDraw->RestoreDisplayMode();
  }
  ReleaseRoots();
}

dd::DirectDraw& TEngine3D::DirectDraw() const {
  if (!FDirectDraw) throw rtl::Exception("Engine3D error: ddraw not assigned");
  return *FDirectDraw;
}

dd::Direct3D& TEngine3D::Direct3D() const {
  if (!FDirect3D) throw rtl::Exception("Engine3D error: direct3d not assigned");
  return *FDirect3D;
}

rm::Direct3DRM& TEngine3D::Direct3DRM() const {
  if (!FDirect3DRM) throw rtl::Exception("Engine3D error: direct3drm not assigned");
  return *FDirect3DRM;
}

std::string TEngine3D::SearchPath() const {
  std::uint32_t size = 0;
  CheckResult(Direct3DRM().GetSearchPath(&size, nullptr), "Engine3D error: Can't get size search path");
  std::string path(size, '\0');
  CheckResult(Direct3DRM().GetSearchPath(&size, path.data()), "Engine3D error: Can't get search path");
  path.resize(std::strlen(path.c_str()));
  return path;
}

void TEngine3D::SetSearchPath(const std::string& path) {
  CheckResult(Direct3DRM().SetSearchPath(path), "Engine3D error: Can't set search path");
}

void TEngine3D::Initialize() {
  try {
    CreateDirectDraw();
    // The caps and the current mode are asked for only as a check that the display answers: a
    // display that cannot report them fails here, with its own message, before anything is built.
    // Their values are not needed (the modes and drivers are enumerated below).
    dd::Caps hardware, emulation;
    CheckResult(FDirectDraw->GetCaps(&hardware, &emulation), "Engine3D error: get caps directdraw object failed");
    dd::DisplayMode mode;
    CheckResult(FDirectDraw->GetDisplayMode(&mode), "Engine3D error: get display mode failed");
    CreateRoots();
    EnumerateModes();
    EnumerateDrivers();
    LowerRenderMode();
    MatchModes();
  } catch (...) {
    ReleaseRoots();
    throw;
  }
}

// The second-accelerator mode looks for a display device with 3D of its own; every other mode, and
// that one when it finds none, takes the primary display.
void TEngine3D::CreateDirectDraw() {
  FDeviceCount = 0;
  FDirectDraw.Reset();
  if (FRenderMode == rmSecondAccelerator) {
    CheckResult(dd::DirectDrawEnumerate([this](const dd::DeviceIdentity& device, bool primary) {
                  return TryDisplayDevice(device, primary);
                }),
                "Window3D error: direct draw enumerate failed");
  }
  if (FDirectDraw) return;
  CheckResult(dd::DirectDrawCreate(nullptr, &FDirectDraw), "Window3D error: create direct draw failed");
  FDeviceCount = 1;
}

// Keeps the device when it has 3D; a kept device other than the primary ends the search.
bool TEngine3D::TryDisplayDevice(const dd::DeviceIdentity& device, bool primary) {
  ++FDeviceCount;
  rtl::Ref<dd::DirectDraw> candidate;
  if (dd::DirectDrawCreate(primary ? nullptr : &device.guid, &candidate) != dd::DD_OK) return true;
  dd::Caps hardware;
  CheckResult(candidate->GetCaps(&hardware, nullptr), "Engine3D error: get caps directdraw object failed");
  if ((hardware.caps & dd::DDCAPS_3D) == 0) return true;
  FDirectDraw = std::move(candidate);
  return primary;
}

void TEngine3D::CreateRoots() {
  CheckResult(FDirectDraw->QueryDirect3D(&FDirect3D), "Engine3D error: Can't create direct3d object");
  CheckResult(rm::Direct3DRMCreate(&FDirect3DRM), "Engine3D error: Can't create direct3drm object");
  SetRetainedMode(FDirect3DRM.Get());
}

void TEngine3D::EnumerateModes() {
  FVideoModes->ClearOwned();
  CheckResult(FDirectDraw->EnumDisplayModes([this](const dd::DisplayMode& mode) {
    FVideoModes->AddMode(mode.width, mode.height, mode.bitsPerPixel, mode.pitch);
    return true;
  }),
              "Engine3D error: Enumeration of video modes failed");
  FVideoModes->SortByText();
  const dd::DisplayMode& desktop = dd::DirectDraw::Desktop();
  FVideoModes->AddMode(desktop.width, desktop.height, desktop.bitsPerPixel, desktop.width);
  FVideoModes->SetModeText(FVideoModes->Count() - 1, kWindowMode);
  FVideoModes->Move(FVideoModes->Count() - 1, 0);
}

void TEngine3D::EnumerateDrivers() {
  FDrivers->ClearOwned();
  CheckResult(FDirect3D->EnumDevices([this](const dd::DeviceInfo& info) {
    AddDriver(info);
    return true;
  }),
              "Engine3D error: Enumeration of drivers failed");
}

void TEngine3D::AddDriver(const dd::DeviceInfo& info) {
  auto* driver = new TDriver3D;
  driver->Hardware = info.hardware.colorModel != dd::D3DCOLOR_NONE;
  const dd::DeviceDesc& desc = driver->Hardware ? info.hardware : info.emulation;
  driver->Guid = info.guid;
  driver->Text = info.name + " (" + info.description + ")";
  driver->RGBModel = desc.colorModel != dd::D3DCOLOR_MONO;
  driver->RenderDepths = DepthsOf(desc.renderBitDepths);
  driver->ZBufferDepth = ZBufferDepthOf(desc.zBufferBitDepths);
  FDrivers->AddObject(driver->Text, driver);
}

// A second accelerator needs a second display device; without any hardware driver the show draws
// in software.
void TEngine3D::LowerRenderMode() {
  if (FRenderMode == rmSecondAccelerator && FDeviceCount == 1) FRenderMode = rmHardware;
  bool hardware = false;
  for (int i = 0; i < FDrivers->Count(); ++i) hardware = hardware || FDrivers->GetDriver(i).Hardware;
  if (!hardware) FRenderMode = rmSoftware;
}

void TEngine3D::MatchModes() {
  for (int d = 0; d < FDrivers->Count(); ++d) {
    TDriver3D& driver = FDrivers->GetDriver(d);
    driver.HasModes = false;
    driver.VideoModes->ClearOwned();
    for (int m = 0; m < FVideoModes->Count(); ++m) {
      const TVideoMode& mode = FVideoModes->GetMode(m);
      if (mode.BitsPerPixel < 0 || mode.BitsPerPixel > kMaxDepth) continue;
      if (!driver.RenderDepths.test(static_cast<std::size_t>(mode.BitsPerPixel))) continue;
      driver.VideoModes->AddCopy(mode);
      driver.HasModes = true;
    }
  }
}

void TEngine3D::ReleaseRoots() {
  if (FDirect3DRM && CurrentRetainedMode() == FDirect3DRM.Get()) SetRetainedMode(nullptr);
  FDirect3DRM.Reset();
  FDirect3D.Reset();
  FDirectDraw.Reset();
}

TEngine3D& Engine3D() {
  auto& engine = EngineInstance();
  if (!engine) engine = std::make_unique<TEngine3D>();
  return *engine;
}

std::unique_ptr<TEngine3D> ReplaceEngine3D(std::unique_ptr<TEngine3D> engine) {
  std::swap(EngineInstance(), engine);
  return engine;
}
