#include "tools/worldbuilder/Geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/worldbuilder/Config.h"

namespace worldbuilder {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// Two unit vectors across `axis`.
void Across(const Vector& axis, Vector* side, Vector* up) {
  const Vector helper = std::fabs(axis.y) < 0.9f ? Vector{0, 1, 0} : Vector{1, 0, 0};
  *side = rm::Normalize(rm::Cross(helper, axis));
  *up = rm::Normalize(rm::Cross(axis, *side));
}

}  // namespace

std::uint32_t TGeometry::AddVertex(const Vector& position, float u, float v) {
  FVertices.push_back({position, {0, 0, 0}, u, v, 0xFFFFFFFFu});
  return static_cast<std::uint32_t>(FVertices.size() - 1);
}

// The renderer's front test: the cross product of the edges points toward the viewer.
void TGeometry::AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c, const Vector& outward) {
  const Vector& pa = FVertices[a].position;
  const Vector normal = rm::Cross(FVertices[b].position - pa, FVertices[c].position - pa);
  if (rm::Dot(normal, outward) < 0.0f) std::swap(b, c);
  FIndices.insert(FIndices.end(), {a, b, c});
}

void TGeometry::SmoothNormals() {
  std::vector<Vector> sums(FVertices.size(), Vector{0, 0, 0});
  for (std::size_t i = 0; i + 2 < FIndices.size(); i += 3) {
    const Vector& a = FVertices[FIndices[i]].position;
    const Vector n = rm::Cross(FVertices[FIndices[i + 1]].position - a, FVertices[FIndices[i + 2]].position - a);
    for (int k = 0; k < 3; ++k) sums[FIndices[i + k]] = sums[FIndices[i + k]] + n;
  }
  for (std::size_t i = 0; i < FVertices.size(); ++i) {
    if (rm::Length(FVertices[i].normal) == 0.0f) FVertices[i].normal = rm::Normalize(sums[i]);
  }
}

void TGeometry::AddSegment(const Vector& a, const Vector& b, float ra, float rb, int sides) {
  const Vector axis = rm::Normalize(b - a);
  Vector side, up;
  Across(axis, &side, &up);
  const auto base = static_cast<std::uint32_t>(FVertices.size());
  for (int i = 0; i <= sides; ++i) {
    const float angle = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(sides);
    const Vector out = side * std::cos(angle) + up * std::sin(angle);
    const float u = static_cast<float>(i) / static_cast<float>(sides);
    // v by height around the segment: its upper side takes the texture's dark top rows.
    const float v = 0.5f - 0.45f * out.y;
    AddVertex(a + out * ra, u, v);
    AddVertex(b + out * rb, u, v);
    FVertices[base + 2 * i].normal = out;
    FVertices[base + 2 * i + 1].normal = out;
  }
  for (int i = 0; i < sides; ++i) {
    const std::uint32_t p = base + 2 * i;
    const Vector mid = (FVertices[p].position + FVertices[p + 3].position) * 0.5f;
    const Vector out = mid - (a + b) * 0.5f;
    AddTriangle(p, p + 1, p + 3, out);
    AddTriangle(p, p + 3, p + 2, out);
  }
  // Caps, so that a segment seen end on is closed.
  const std::uint32_t ca = AddVertex(a, 0.5f, 0.5f), cb = AddVertex(b, 0.5f, 0.5f);
  FVertices[ca].normal = axis * -1.0f;
  FVertices[cb].normal = axis;
  for (int i = 0; i < sides; ++i) {
    const std::uint32_t p = base + 2 * i;
    if (ra > 0.0f) AddTriangle(ca, p, p + 2, axis * -1.0f);
    if (rb > 0.0f) AddTriangle(cb, p + 1, p + 3, axis);
  }
}

void TGeometry::AddEllipsoid(const Vector& centre, const Vector& radii, int slices, int stacks) {
  const auto base = static_cast<std::uint32_t>(FVertices.size());
  for (int j = 0; j <= stacks; ++j) {
    const float phi = kPi * static_cast<float>(j) / static_cast<float>(stacks);
    for (int i = 0; i <= slices; ++i) {
      const float theta = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(slices);
      const Vector unit{std::sin(phi) * std::cos(theta), std::cos(phi), std::sin(phi) * std::sin(theta)};
      const Vector p{centre.x + radii.x * unit.x, centre.y + radii.y * unit.y, centre.z + radii.z * unit.z};
      const std::uint32_t index = AddVertex(p, static_cast<float>(i) / static_cast<float>(slices),
                                            static_cast<float>(j) / static_cast<float>(stacks));
      FVertices[index].normal = rm::Normalize({unit.x / radii.x, unit.y / radii.y, unit.z / radii.z});
    }
  }
  const int row = slices + 1;
  for (int j = 0; j < stacks; ++j) {
    for (int i = 0; i < slices; ++i) {
      const std::uint32_t p = base + static_cast<std::uint32_t>(j * row + i);
      const std::uint32_t q = p + static_cast<std::uint32_t>(row);
      const Vector out = (FVertices[p].position + FVertices[q + 1].position) * 0.5f - centre;
      if (j > 0) AddTriangle(p, p + 1, q + 1, out);
      if (j < stacks - 1) AddTriangle(p, q + 1, q, out);
    }
  }
}

void TGeometry::AddSheet(const Vector& a, const Vector& b, const Vector& c) {
  const Vector normal = rm::Normalize(rm::Cross(b - a, c - a));
  const std::uint32_t ia = AddVertex(a, 0.0f, 0.2f), ib = AddVertex(b, 1.0f, 0.2f), ic = AddVertex(c, 0.5f, 0.9f);
  for (std::uint32_t i : {ia, ib, ic}) FVertices[i].normal = normal.y >= 0.0f ? normal : normal * -1.0f;
  FIndices.insert(FIndices.end(), {ia, ib, ic, ia, ic, ib});  // both sides
}

void TGeometry::Emit(TMesh3D& mesh, const std::string& material, bool lit, bool perspective) const {
  TSurface3D& surface = *mesh.AddSurface();
  std::span<std::uint32_t> faces =
      surface.Allocate(static_cast<std::int32_t>(FVertices.size()), static_cast<std::int32_t>(FIndices.size() / 3));
  std::copy(FIndices.begin(), FIndices.end(), faces.begin());
  std::span<rm::MeshVertex> vertices = surface.Vertices();
  for (std::size_t i = 0; i < FVertices.size(); ++i) {
    vertices[i] = FVertices[i];
    vertices[i].position = FVertices[i].position * kUnit;
  }
  surface.AddGroup();
  surface.SendVertices(0, surface.VertexCount());
  if (perspective) surface.Mapping.SetMapping(rm::D3DRMMAP_PERSPCORRECT);
  surface.SetMaterialName(material);
  if (!lit) surface.SetLighting(false);
}

}  // namespace worldbuilder
