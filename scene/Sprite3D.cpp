#include "scene/Sprite3D.h"

#include "resources/Material3D.h"
#include "resources/Mesh3D.h"
#include "resources/Texture3D.h"
#include "scene/Construction3D.h"

void TSprite3D::Link() {
  TCollectionMesh3D* meshes = ConstructionMeshes(Construction());
  if (meshes == nullptr || meshes->Materials() == nullptr) return;
  VisualRef().SetCollection(meshes->Materials()->Textures());
}
