#pragma once

// Small steps of putting a world together through the object model: meshes and models by name,
// items hung in a construction's tree, objects placed in a scene.

#include <string>

#include "scene/Shape3D.h"
#include "scene/World3D.h"

namespace worldbuilder {

TMesh3D& AddMesh(TWorld3D& world, const std::string& name);
TModel3D& AddModel(TWorld3D& world, const std::string& name);
// A shape showing the named mesh, hung under `parent` (the construction's root when null).
TShape3D& AddShape(TWorld3D& world, TConstruction3D& construction, const std::string& mesh, TFrame3D* parent = nullptr);
// An item of the class named, hung under `parent` (the root when null).
template <class T>
T& AddItem(TConstruction3D& construction, const char* className, TFrame3D* parent = nullptr);
// An object of the scene showing a copy of the model. It lies in the scene from the start, so
// its items can be placed in scene coordinates at once.
TObject3D& AddObject(TWorld3D& world, TScene3D& scene, const std::string& name, const std::string& model);

// Places a frame in scene coordinates (metres) facing `direction` (horizontal is enough).
void Place(TFrame3D& frame, float x, float y, float z, float dx = 0.0f, float dz = 1.0f);

}  // namespace worldbuilder

#include "tools/worldbuilder/Assembly.inl"
