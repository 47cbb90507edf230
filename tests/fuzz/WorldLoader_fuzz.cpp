// libFuzzer target: world files of any content are loaded into fresh containers. A damaged file
// must raise the format or read error; anything else (a crash, a leak, a huge allocation) is a fault.
//
// LLVMFuzzerInitialize writes the test world into $Q3D_FUZZ_SEED_DIR when set, as a seed.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "core3d/RetainedMode.h"
#include "platform/rm/Direct3DRM.h"
#include "platform/rtl/MemoryStream.h"
#include "scene/World3D.h"
#include "tests/scene/TestWorld.h"

namespace {

TSoundDevice* Device() {
  static TSoundDevice device(1);
  return &device;
}

void WriteSeed(const char* folder) {
  TWorld3D world(Device());
  testing_support::BuildTestWorld(world);
  world.SaveToFile(std::string(folder) + "/test-world.q3d");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("ALSOFT_DRIVERS", "null", 0);
  static rtl::Ref<rm::Direct3DRM> root;
  if (rm::Direct3DRMCreate(&root) != rm::D3DRM_OK) std::abort();
  SetRetainedMode(root.Get());
  if (const char* folder = std::getenv("Q3D_FUZZ_SEED_DIR")) WriteSeed(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rtl::TMemoryStream stream;
  stream.WriteBuffer(data, static_cast<std::int64_t>(size));
  stream.SetPosition(0);
  TWorld3D world(Device());
  try {
    world.LoadFromStream(stream);
  } catch (const rtl::Exception&) {
    // The format or read error: what a damaged file must give.
  }
  return 0;
}
