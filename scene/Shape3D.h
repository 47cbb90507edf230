#pragma once

// A visual item showing a mesh of its construction's collection; its shape animation can swap the
// mesh key by key.

#include "scene/ShapeAnimation3D.h"
#include "scene/VisualItem3D.h"

class TShape3D : public TVisualItem3D {
 public:
  TShape3D() : FShapeAnimation(this) {}

  const char* ClassName() const override { return "TShape3D"; }

  void Assign(const TElement3D& source) override;
  // The visual item record, then the shape animation.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;
  // The mesh reference and the animation's keys look in the meshes of the construction's collection.
  void Link() override;

  TShapeAnimation3D& ShapeAnimation() { return FShapeAnimation; }

 private:
  TShapeAnimation3D FShapeAnimation;
};
