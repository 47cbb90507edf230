// The default world's whole tour drawn headless, frame by frame along its loop: the software RGB
// driver and the OpenGL driver (Mesa's llvmpipe kept on the calling thread, LP_NUM_THREADS=0, so
// both use one core), at 640X480X16 and 1920X1080X32. Each frame advances the motions, places the
// camera and draws, as the show does (which makes every surface flat and unlit for the software
// driver and keeps them lit and smooth for OpenGL). The tour runs three times and each frame keeps
// its fastest time, so that another program taking the core for a while does not pass for a slow
// frame. Prints mean and worst frame times side by side, then the world's load time next to the
// time to read its file.
//   bench_tour [seconds between frames, default 1]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "bench/OpenGLDriver.h"
#include "platform/rtl/MemoryStream.h"
#include "render/HeadlessView.h"
#include "sound/Sound.h"
#include "tools/worldbuilder/Config.h"
#include "tools/worldbuilder/ShowTime.h"
#include "tools/worldbuilder/WorldBuilder.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPasses = 3;

const std::string kWorldFile = std::string(Q3D_DATA_DIR) + "/" + worldbuilder::kWorldFileName;

struct Mode {
  const char* text;
  int width, height;
  d3d::PixelFormat format;
};

struct Times {
  double mean = 0.0, worst = 0.0;  // milliseconds
  double worstAt = 0.0;            // seconds into the tour
};

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void SetShowTextures(TWorld3D& world) {
  TCollectionTexture3D& textures = world.Textures();
  textures.MinSize = 8;
  textures.MaxSize = 256;
  textures.Depth = 16;
  textures.Shift = 0;
}

Times Tour(const Mode& mode, const std::array<std::uint8_t, 16>& driver, float step) {
  THeadlessView view(mode.width, mode.height, mode.format, driver);
  TSoundDevice sounds(1);
  TWorld3D world(&sounds);
  SetShowTextures(world);
  world.LoadFromFile(kWorldFile);
  if (driver == dd::kRGBDeviceGuid) {
    world.Meshes().SetShadeAll(0);
    world.Meshes().SetLightingAll(false);
  }
  worldbuilder::TShowTime time(world.Map());
  view.PlaceCamera(world.Map());
  view.Render(world.Map());  // textures reach the device once, outside the timing
  const auto frames = static_cast<std::size_t>(worldbuilder::kTourSeconds / step);
  std::vector<double> fastest(frames, 1e9);
  for (int pass = 0; pass < kPasses; ++pass) {
    for (std::size_t i = 0; i < frames; ++i) {
      const Clock::time_point start = Clock::now();
      time.At(static_cast<float>(i) * step + static_cast<float>(pass) * 1e-4f);
      view.PlaceCamera(world.Map());
      view.Render(world.Map());
      fastest[i] = std::min(fastest[i], Milliseconds(Clock::now() - start));
    }
  }
  Times times;
  for (std::size_t i = 0; i < frames; ++i) {
    times.mean += fastest[i] / static_cast<double>(frames);
    if (fastest[i] > times.worst) times.worst = fastest[i], times.worstAt = static_cast<double>(i) * step;
  }
  return times;
}

void LoadTimes() {
  const Clock::time_point start = Clock::now();
  rtl::TMemoryStream bytes;
  bytes.LoadFromFile(kWorldFile);
  const double read = Milliseconds(Clock::now() - start);
  THeadlessView view(640, 480, d3d::PixelFormat::RGB565);
  TSoundDevice sounds(1);
  TWorld3D world(&sounds);
  SetShowTextures(world);
  const Clock::time_point loading = Clock::now();
  world.LoadFromFile(kWorldFile);
  const double load = Milliseconds(Clock::now() - loading);
  std::printf("world file %.1f MB: read %.1f ms, load %.1f ms\n", static_cast<double>(bytes.Size()) / 1e6, read, load);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("LP_NUM_THREADS", "0", 1);
  setenv("ALSOFT_DRIVERS", "null", 0);
  const float step = argc > 1 ? static_cast<float>(std::atof(argv[1])) : 1.0f;
  const Mode modes[] = {{"640X480X16", 640, 480, d3d::PixelFormat::RGB565},
                        {"1920X1080X32", 1920, 1080, d3d::PixelFormat::XRGB8888}};
  const auto gl = OpenGLDriver();
  std::printf("%-14s %21s %21s %9s\n", "mode", "software mean/worst", "opengl mean/worst", "ratio");
  for (const Mode& mode : modes) {
    const Times soft = Tour(mode, dd::kRGBDeviceGuid, step);
    std::printf("%-14s %8.2f / %6.2f ms", mode.text, soft.mean, soft.worst);
    if (gl) {
      const Times opengl = Tour(mode, *gl, step);
      std::printf(" %8.2f / %6.2f ms %8.2fx", opengl.mean, opengl.worst, opengl.mean / soft.mean);
    } else {
      std::printf(" %21s", "no driver");
    }
    std::printf("   (software %.1f fps, worst at %.1f s)\n", 1000.0 / soft.mean, soft.worstAt);
    std::fflush(stdout);
  }
  LoadTimes();
  return 0;
}
