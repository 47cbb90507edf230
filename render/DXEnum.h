#pragma once

// The engine: the display, 3D and retained-mode root objects of the renderer, the drivers (3D
// devices) and display modes they offer, and the render mode the show ends up with.

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>

#include "core3d/Arrlist.h"
#include "platform/dd/Direct3D.h"
#include "platform/dd/DirectDraw.h"
#include "platform/rm/Direct3DRM.h"

class TVideoMode : public rtl::TObject {
 public:
  int Width = 0;
  int Height = 0;
  int BitsPerPixel = 0;
  int Pitch = 0;
  std::string Text;  // "640X480X16"; the desktop entry's is "Window mode"
};

// Display modes keyed by their text; the list owns the modes.
class TVideoModeList : public TArrayStrings {
 public:
  // "VideoModeList error: index out of range" outside 0..Count()-1.
  TVideoMode& GetMode(int index) const;
  TVideoMode& AddMode(int width, int height, int bitsPerPixel, int pitch);
  // A copy of a mode with all its fields, its text included.
  TVideoMode& AddCopy(const TVideoMode& mode);
  void SetModeText(int index, const std::string& text);
  // The framework's case-insensitive order of the texts.
  void SortByText();
  void Move(int from, int to);

 protected:
  ~TVideoModeList() override = default;
};

using TVideoModeListPtr = std::unique_ptr<TVideoModeList, TArrayStrings::Deleter>;

class TDriver3D : public rtl::TObject {
 public:
  TDriver3D();

  bool Hardware = false;  // drawn by a graphics processor
  bool HasModes = false;  // renders into at least one display mode
  std::array<std::uint8_t, 16> Guid{};
  std::string Text;       // name + " (" + description + ")"
  bool RGBModel = false;  // not a ramp (intensity-only) device
  std::bitset<40> RenderDepths;
  int ZBufferDepth = 0;  // 16, 24, 32 or 0
  TVideoModeListPtr VideoModes;
};

class TDriver3DList : public TArrayStrings {
 public:
  // "Driver3DList error: index out of range" outside 0..Count()-1.
  TDriver3D& GetDriver(int index) const;

 protected:
  ~TDriver3DList() override = default;
};

using TDriver3DListPtr = std::unique_ptr<TDriver3DList, TArrayStrings::Deleter>;

enum TRenderMode : std::uint8_t {
  rmSoftware = 0,
  rmMMX = 1,
  rmHardware = 2,
  rmSecondAccelerator = 3,
};

class TEngine3D {
 public:
  TEngine3D();
  ~TEngine3D();
  TEngine3D(const TEngine3D&) = delete;
  TEngine3D& operator=(const TEngine3D&) = delete;

  // Everything for the current RenderMode, which may be lowered: drivers, modes and the root objects.
  void Initialize();

  dd::DirectDraw& DirectDraw() const;
  dd::Direct3D& Direct3D() const;
  rm::Direct3DRM& Direct3DRM() const;
  std::string SearchPath() const;
  void SetSearchPath(const std::string& path);

  TDriver3DList& Drivers() const { return *FDrivers; }
  int DriverCount() const { return FDrivers->Count(); }
  TVideoModeList& VideoModes() const { return *FVideoModes; }
  std::uint8_t RenderMode() const { return FRenderMode; }
  void SetRenderMode(std::uint8_t mode) { FRenderMode = mode; }

 private:
  void CreateDirectDraw();
  bool TryDisplayDevice(const dd::DeviceIdentity& device, bool primary);
  void CreateRoots();
  void EnumerateModes();
  void EnumerateDrivers();
  void AddDriver(const dd::DeviceInfo& info);
  void LowerRenderMode();
  void MatchModes();
  void ReleaseRoots();

  rtl::Ref<dd::DirectDraw> FDirectDraw;
  rtl::Ref<dd::Direct3D> FDirect3D;
  rtl::Ref<rm::Direct3DRM> FDirect3DRM;
  TDriver3DListPtr FDrivers;
  TVideoModeListPtr FVideoModes;
  std::uint8_t FRenderMode = rmHardware;
  int FDeviceCount = 0;  // display devices seen while the display object was made
};

// The engine of the process: made on first use, freed at the end. The video test puts a fresh one
// in its place for a while; the previous one is handed back.
TEngine3D& Engine3D();
std::unique_ptr<TEngine3D> ReplaceEngine3D(std::unique_ptr<TEngine3D> engine);
