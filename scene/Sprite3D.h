#pragma once

#include "scene/VisualItem3D.h"

// A visual item showing a texture, looked up in the textures behind its collection's meshes.
class TSprite3D : public TVisualItem3D {
 public:
  const char* ClassName() const override { return "TSprite3D"; }

  void Link() override;
};
