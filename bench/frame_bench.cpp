// Whole frames of the test world drawn headless, in frames per second: the software RGB driver and
// the OpenGL driver side by side, at 640X480X16 and 1920X1080X32. Mesa's OpenGL is kept on the
// calling thread (LP_NUM_THREADS=0) so that both use one core.
//   bench_frame [seconds per figure, default 2]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "anim/Motion3D.h"
#include "bench/OpenGLDriver.h"
#include "platform/rtl/Cast.h"
#include "render/HeadlessView.h"
#include "sound/Sound.h"
#include "tests/scene/TestWorld.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Mode {
  const char* text;
  int width, height;
  d3d::PixelFormat format;
};

// Frames per second of the walking world through its camera, the motions moving on 1/60 s a frame.
double FramesPerSecond(const Mode& mode, const std::array<std::uint8_t, 16>& driver, double seconds) {
  THeadlessView view(mode.width, mode.height, mode.format, driver);
  TSoundDevice sounds(1);
  TWorld3D world(&sounds);
  testing_support::BuildTestWorld(world);
  TCollectionMotion3D& motions = world.Map().FindObject("Dino1")->Motions();
  motions.Play(rtl::CheckedCast<TMotion3D>(*motions.GetItem(0)));
  view.PlaceCamera(world.Map());
  float now = 1.0f;
  view.Render(world.Map());  // textures reach the device once, outside the timing
  int frames = 0;
  const Clock::time_point start = Clock::now();
  double elapsed = 0.0;
  while (elapsed < seconds) {
    now += 1.0f / 60.0f;
    AdvanceMotions(now);
    view.Render(world.Map());
    ++frames;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  }
  return frames / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("LP_NUM_THREADS", "0", 1);
  setenv("ALSOFT_DRIVERS", "null", 0);
  const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  const Mode modes[] = {{"640X480X16", 640, 480, d3d::PixelFormat::RGB565},
                        {"1920X1080X32", 1920, 1080, d3d::PixelFormat::XRGB8888}};
  const auto gl = OpenGLDriver();
  std::printf("%-14s %14s %14s\n", "mode", "software fps", "opengl fps");
  for (const Mode& mode : modes) {
    const double soft = FramesPerSecond(mode, dd::kRGBDeviceGuid, seconds);
    if (gl) {
      std::printf("%-14s %14.1f %14.1f\n", mode.text, soft, FramesPerSecond(mode, *gl, seconds));
    } else {
      std::printf("%-14s %14.1f %14s\n", mode.text, soft, "no driver");
    }
    std::fflush(stdout);
  }
  return 0;
}
