#pragma once

// The show's frame without a window, for long runs: the multimedia clock driven by hand, the time
// service, every object's first motion looping, the day-time cycle copied into the scene as the
// show copies it, the camera and the sound listener following the tour camera, and a frame drawn
// by the software driver. Make it with the clock manual (os::SetManualTime).

#include <functional>
#include <string>

#include "anim/DayAnimation.h"
#include "app/Timeserv.h"
#include "render/HeadlessView.h"
#include "scene/Light3D.h"
#include "scene/World3D.h"
#include "sound/Sound.h"

namespace testing_support {

class THeadlessShow {
 public:
  // `load` fills the empty world: the test world, or a world file read with the show's texture settings.
  THeadlessShow(int width, int height, const std::function<void(TWorld3D&)>& load);

  // Moves the clock on by `milliseconds` and runs one frame.
  void Step(std::uint32_t milliseconds);

  // The show's time at the last frame, in seconds.
  double Seconds() const { return FSeconds; }
  TWorld3D& World() { return FWorld; }
  THeadlessView& View() { return FView; }
  const TDayAnimation& Day() const { return FDay; }
  TTimer& Timer() { return FTimer; }

 private:
  void Start(TObject3D& object);
  void ApplyDayKey();

  THeadlessView FView;
  TSoundDevice FSound{1};
  TWorld3D FWorld{&FSound};
  TDayAnimation FDay;
  TTimer FTimer;
  TLight3D* FAmbient = nullptr;
  double FSeconds = 0.0;
};

// Reads a world file into an empty world as the show reads it for the software driver: its texture
// settings, every mesh flat and unlit.
void LoadShowWorld(TWorld3D& world, const std::string& fileName);

}  // namespace testing_support
