#pragma once

// The containers of one world, bound to each other as the show binds them, and the world file:
// a header text, then the texture, material, mesh, sound and model collections and the map, back
// to back. Records read later look names up in collections read earlier.

#include <string>

#include "resources/Material3D.h"
#include "resources/Mesh3D.h"
#include "resources/Texture3D.h"
#include "scene/Construction3D.h"
#include "scene/Map3D.h"
#include "sound/Sound.h"

class TWorld3D {
 public:
  // The header every world file starts with, and the message for a file that lacks it.
  static constexpr const char* kHeader = "Quorlith3D World";
  static constexpr const char* kFormatError = "World3D error: Invalid world file format";

  // The sounds play on `device`.
  explicit TWorld3D(TSoundDevice* device);
  TWorld3D(const TWorld3D&) = delete;
  TWorld3D& operator=(const TWorld3D&) = delete;

  // The six records into the existing containers; the file is closed on every path.
  void LoadFromFile(const std::string& fileName);
  // Written beside the target and renamed over it once complete, so a failed save keeps the world
  // that was there.
  void SaveToFile(const std::string& fileName);
  void LoadFromStream(rtl::TStream& stream);
  void SaveToStream(rtl::TStream& stream);

  TCollectionSound3D& Sounds() { return FSounds; }
  TCollectionTexture3D& Textures() { return FTextures; }
  TCollectionMaterial3D& Materials() { return FMaterials; }
  TCollectionMesh3D& Meshes() { return FMeshes; }
  TCollectionModel3D& Models() { return FModels; }
  TMap3D& Map() { return FMap; }

 private:
  // Destroyed from the map back to the sounds: what refers by name goes before what it names.
  TCollectionSound3D FSounds;
  TCollectionTexture3D FTextures;
  TCollectionMaterial3D FMaterials;
  TCollectionMesh3D FMeshes;
  TCollectionModel3D FModels;
  TMap3D FMap;
};
