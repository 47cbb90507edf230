#pragma once

// Meshes made of simple solids: the builder collects the triangles of one surface in metres, then
// writes them into a mesh group in world units. Every triangle is turned so that its front (which
// the renderer draws; fronts run clockwise as seen) faces the side it is given.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rm/Math.h"
#include "resources/Mesh3D.h"

namespace worldbuilder {

using rm::Vector;

class TGeometry {
 public:
  std::uint32_t AddVertex(const Vector& position, float u, float v);
  // The triangle with its front toward `outward`.
  void AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c, const Vector& outward);
  // Normals for the vertices that have none yet, from the faces around each.
  void SmoothNormals();
  void SetNormal(std::uint32_t vertex, const Vector& normal) { FVertices[vertex].normal = normal; }
  bool Empty() const { return FIndices.empty(); }

  // Solids. A segment is a six-sided frustum from a (radius ra) to b (radius rb): legs, necks,
  // tails, trunks and horns; its texture wraps around it and runs along it.
  void AddSegment(const Vector& a, const Vector& b, float ra, float rb, int sides = 6);
  // An ellipsoid; v runs from 0 at its top to 1 at its bottom (dark backs, pale bellies).
  void AddEllipsoid(const Vector& centre, const Vector& radii, int slices = 8, int stacks = 5);
  // A flat triangle seen from both sides (plates, wings, fins, fronds).
  void AddSheet(const Vector& a, const Vector& b, const Vector& c);

  // Writes the surface into `mesh` with the named material, in world units.
  void Emit(TMesh3D& mesh, const std::string& material, bool lit = true, bool perspective = true) const;

 private:
  std::vector<rm::MeshVertex> FVertices;
  std::vector<std::uint32_t> FIndices;
};

}  // namespace worldbuilder
