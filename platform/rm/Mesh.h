#pragma once

// A mesh: groups of faces, each group with its own vertices, colour, quality, material, texture and
// texture mapping flags.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/rm/Material.h"
#include "platform/rm/Object.h"
#include "platform/rm/Texture.h"

namespace rm {

// Render quality: shade, lighting and fill bits, as the original layer packs them.
enum Quality : std::uint32_t {
  D3DRMSHADE_FLAT = 0,
  D3DRMSHADE_GOURAUD = 1,
  D3DRMSHADE_PHONG = 2,
  D3DRMSHADE_MASK = 7,
  D3DRMLIGHT_OFF = 0,
  D3DRMLIGHT_ON = 8,
  D3DRMLIGHT_MASK = 56,
  D3DRMFILL_POINTS = 0,
  D3DRMFILL_WIREFRAME = 64,
  D3DRMFILL_SOLID = 128,
  D3DRMFILL_MASK = 448,
  D3DRMRENDER_WIREFRAME = D3DRMSHADE_FLAT | D3DRMLIGHT_OFF | D3DRMFILL_WIREFRAME,
  D3DRMRENDER_UNLITFLAT = D3DRMSHADE_FLAT | D3DRMLIGHT_OFF | D3DRMFILL_SOLID,
  D3DRMRENDER_FLAT = D3DRMSHADE_FLAT | D3DRMLIGHT_ON | D3DRMFILL_SOLID,
  D3DRMRENDER_GOURAUD = D3DRMSHADE_GOURAUD | D3DRMLIGHT_ON | D3DRMFILL_SOLID,
  D3DRMRENDER_PHONG = D3DRMSHADE_PHONG | D3DRMLIGHT_ON | D3DRMFILL_SOLID,
};

enum MappingFlags : std::uint32_t {
  D3DRMMAP_WRAPU = 1,
  D3DRMMAP_WRAPV = 2,
  D3DRMMAP_PERSPCORRECT = 4,
};

using GroupIndex = int;

struct MeshGroup {
  std::vector<MeshVertex> vertices;
  std::vector<std::uint32_t> indices;  // triangles: faces of more than three vertices become fans
  std::uint32_t color = 0xFFFFFFFFu;   // 0xAARRGGBB
  std::uint32_t quality = D3DRMRENDER_GOURAUD;
  std::uint32_t mapping = D3DRMMAP_PERSPCORRECT;
  rtl::Ref<Material> material;
  rtl::Ref<Texture> texture;
};

class Mesh : public Visual {
 public:
  // faceData: for each face, `verticesPerFace` vertex indices; with verticesPerFace 0, each face's
  // count comes first. Indices must lie below vertexCount.
  std::int32_t AddGroup(int vertexCount, int faceCount, int verticesPerFace, std::span<const std::uint32_t> faceData,
                        GroupIndex* group);
  std::int32_t SetVertices(GroupIndex group, int index, std::span<const MeshVertex> vertices);
  std::int32_t SetGroupColor(GroupIndex group, std::uint32_t color);
  std::int32_t SetGroupQuality(GroupIndex group, std::uint32_t quality);
  std::int32_t SetGroupMaterial(GroupIndex group, Material* material);
  std::int32_t SetGroupTexture(GroupIndex group, Texture* texture);
  std::int32_t SetGroupMapping(GroupIndex group, std::uint32_t mapping);
  // The box around every vertex of every group (all zeros for an empty mesh).
  std::int32_t GetBox(Box* box) const;
  // The same box, kept until the vertices change: the renderer tests it every frame.
  const Box& Bounds() const;

  int GroupCount() const { return static_cast<int>(FGroups.size()); }
  const MeshGroup& Group(GroupIndex group) const { return FGroups[static_cast<std::size_t>(group)]; }

 private:
  MeshGroup* Find(GroupIndex group);
  // Runs a group setter: the fault check, the index check, then the change.
  template <class Change>
  std::int32_t ChangeGroup(const char* call, GroupIndex group, Change change);

  std::vector<MeshGroup> FGroups;
  mutable std::optional<Box> FBounds;  // empty while stale
};

}  // namespace rm
