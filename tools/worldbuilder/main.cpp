// Builds the default world into a data folder: the world file, and the product picture taken
// headless at a good moment of the tour.
//   worldbuilder <data folder> [picture.png ...seconds]   (extra: PNG views of the tour, for looking)

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "render/HeadlessView.h"
#include "sound/Sound.h"
#include "tools/worldbuilder/Jpeg.h"
#include "tools/worldbuilder/ShowTime.h"
#include "tools/worldbuilder/Tour.h"
#include "tools/worldbuilder/WorldBuilder.h"

namespace {

constexpr int kPictureWidth = 1920;
constexpr int kPictureHeight = 1080;

// Extra views: a file name stem and seconds, e.g. "look 10 40 80" writes look_010.png ... They
// show the world as the show draws it with the software driver: every surface flat and unlit.
void SaveViews(THeadlessView& view, TWorld3D& world, worldbuilder::TShowTime& time, int argc, char** argv) {
  const std::string stem = argv[2];
  world.Meshes().SetShadeAll(0);
  world.Meshes().SetLightingAll(false);
  for (int i = 3; i < argc; ++i) {
    const float seconds = static_cast<float>(std::atof(argv[i]));
    time.At(seconds);
    view.PlaceCamera(world.Map());
    view.Render(world.Map());
    char name[64];
    std::snprintf(name, sizeof name, "_%03d.png", static_cast<int>(seconds));
    view.SavePng(stem + name);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: worldbuilder <data folder> [view stem seconds...]\n");
    return 2;
  }
  setenv("ALSOFT_DRIVERS", "null", 0);  // the builder plays nothing
  try {
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    THeadlessView view(kPictureWidth, kPictureHeight, d3d::PixelFormat::XRGB8888);
    TSoundDevice sounds(1);
    TWorld3D world(&sounds);
    worldbuilder::BuildDefaultWorld(world);
    world.SaveToFile((folder / worldbuilder::kWorldFileName).string());
    worldbuilder::TShowTime time(world.Map());
    time.At(worldbuilder::kPictureSeconds);
    view.PlaceCamera(world.Map());
    view.Render(world.Map());  // the painter clears with the colour of the frame before: draw twice
    view.Render(world.Map());
    worldbuilder::WriteJpegFile((folder / worldbuilder::kPictureFileName).string(), view.Width(), view.Height(),
                                view.Picture());
    if (argc > 3) SaveViews(view, world, time, argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "worldbuilder: %s\n", e.what());
    return 1;
  }
  return 0;
}
