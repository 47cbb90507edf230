#include "tools/worldbuilder/WorldBuilder.h"

#include "platform/rtl/Cast.h"
#include "render/ShowView.h"
#include "tools/worldbuilder/Config.h"
#include "tools/worldbuilder/Creatures.h"
#include "tools/worldbuilder/Plants.h"
#include "tools/worldbuilder/Scenery.h"
#include "tools/worldbuilder/Sounds.h"
#include "tools/worldbuilder/Textures.h"
#include "tools/worldbuilder/Tour.h"

namespace worldbuilder {

void BuildDefaultWorld(TWorld3D& world) {
  TCollectionTexture3D& textures = world.Textures();
  textures.MinSize = kShowTextureMinSize;
  textures.MaxSize = kShowTextureMaxSize;
  textures.Depth = kShowTextureDepth;
  textures.Shift = kShowTextureShift;
  // The stored pictures are the painted ones, so that any texture setting can convert them.
  textures.KeepSource = true;
  AddSounds(world);
  AddTexturesAndMaterials(world);
  AddSceneryModels(world);
  AddPlantMeshes(world);
  AddSpeciesModels(world);
  AddTourModel(world);
  auto& valley = rtl::CheckedCast<TScene3D>(*world.Map().Scenes().Add("Valley"));
  PlaceScenery(world, valley);
  const std::vector<TObstacle> obstacles = PlacePlants(world, valley);
  PlaceCreatures(world, valley);
  PlaceSounds(world, valley);
  const std::vector<rm::Vector> eyes = PlaceTour(world, valley, obstacles);
  BakePlantDetail(world, valley, eyes, kTourKeysPerSecond);
}

}  // namespace worldbuilder
