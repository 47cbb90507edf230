// A day of show time, headless and faster than real time: the default world (the test world when
// the default one was not built) drawn by the software driver, the multimedia clock driven by hand
// and wrapping past 2^32 ms early on. Prints the resident memory after warm-up and at the end, and
// the allocations per frame after warm-up.
//   bench_soak [milliseconds between frames, default 250] [hours of show time, default 24]

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "platform/os/Clock.h"
#include "tests/scene/TestWorld.h"
#include "tests/support/AllocationCount.h"
#include "tests/support/HeadlessShow.h"
#include "tools/worldbuilder/WorldBuilder.h"

namespace {

constexpr int kWarmUpFrames = 1000;
constexpr std::uint32_t kBeforeWrapMs = 60000;

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void LoadWorld(TWorld3D& world) {
  const std::string file = std::string(Q3D_DATA_DIR) + "/" + worldbuilder::kWorldFileName;
  if (!std::ifstream(file)) {
    std::printf("world: the test world (%s not built)\n", file.c_str());
    testing_support::BuildTestWorld(world);
    return;
  }
  std::printf("world: %s\n", file.c_str());
  testing_support::LoadShowWorld(world, file);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("ALSOFT_DRIVERS", "null", 0);
  const auto step = static_cast<std::uint32_t>(argc > 1 ? std::atoi(argv[1]) : 250);
  const double hours = argc > 2 ? std::atof(argv[2]) : 24.0;
  const auto frames = static_cast<long>(hours * 3600.0 * 1000.0 / step);
  os::SetManualTime(0xFFFFFFFFu - kBeforeWrapMs + 1);
  testing_support::THeadlessShow show(320, 240, LoadWorld);
  for (int i = 0; i < kWarmUpFrames; ++i) show.Step(step);
  const long startKiB = ResidentKiB();
  long allocations = 0;
  for (long i = 0; i < frames; ++i) {
    testing_support::CountAllocations(true);
    show.Step(step);
    testing_support::CountAllocations(false);
    allocations += testing_support::CountedAllocations();
    if ((i + 1) % (frames / 8) == 0)
      std::printf("show time %8.1f h: resident %ld KiB\n", show.Seconds() / 3600.0, ResidentKiB()), std::fflush(stdout);
  }
  std::printf("frames %ld, %u ms apart, show time %.2f h\n", frames, step, show.Seconds() / 3600.0);
  std::printf("resident after warm-up %ld KiB, at the end %ld KiB\n", startKiB, ResidentKiB());
  std::printf("allocations per frame after warm-up %.6f (%ld in all)\n",
              static_cast<double>(allocations) / static_cast<double>(frames), allocations);
  return 0;
}
