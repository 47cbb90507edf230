#include "tools/worldbuilder/Assembly.h"

#include "tools/worldbuilder/Config.h"

namespace worldbuilder {

TMesh3D& AddMesh(TWorld3D& world, const std::string& name) {
  return rtl::CheckedCast<TMesh3D>(*world.Meshes().Add(name));
}

TModel3D& AddModel(TWorld3D& world, const std::string& name) {
  return rtl::CheckedCast<TModel3D>(*world.Models().Add(name));
}

TShape3D& AddShape(TWorld3D& world, TConstruction3D& construction, const std::string& mesh, TFrame3D* parent) {
  auto& shape = AddItem<TShape3D>(construction, "TShape3D", parent);
  shape.SetVisual(&rtl::CheckedCast<TMesh3D>(*world.Meshes().ItemByName(mesh)));
  return shape;
}

TObject3D& AddObject(TWorld3D& world, TScene3D& scene, const std::string& name, const std::string& model) {
  auto& object = rtl::CheckedCast<TObject3D>(*scene.Objects().Add(name));
  object.SetModel(&rtl::CheckedCast<TModel3D>(*world.Models().ItemByName(model)));
  return object;
}

void Place(TFrame3D& frame, float x, float y, float z, float dx, float dz) {
  frame.GetPosition().SetXYZ(x * kUnit, y * kUnit, z * kUnit);
  frame.GetOrientation().SetOrientation(dx, 0.0f, dz, 0.0f, 1.0f, 0.0f);
}

}  // namespace worldbuilder
