#pragma once

#include "core3d/Color3D.h"
#include "core3d/MapCoordinate3D.h"
#include "core3d/Structure3D.h"
#include "core3d/Vector3D.h"

// A mesh vertex of the element stream: position, normal, colour, texture coordinate (36 bytes).
class TVertex3D : public TStructure3D {
 public:
  TVertex3D() { AddElements(&Position, &Normal, &Color, &MapCoordinate); }

  const char* ClassName() const override { return "TVertex3D"; }

  TVector3D Position;
  TVector3D Normal;
  TColor3D Color;
  TMapCoordinate3D MapCoordinate;
};
