#include "platform/rm/Mesh.h"

#include <algorithm>

#include "platform/rtl/Faults.h"

namespace rm {

namespace {

// Triangles are taken as they are, copied and checked in one pass.
bool CopyTriangles(int vertexCount, int faceCount, std::span<const std::uint32_t> data,
                   std::vector<std::uint32_t>* indices) {
  const std::size_t count = static_cast<std::size_t>(faceCount) * 3;
  if (data.size() < count) return false;
  indices->resize(count);
  std::uint32_t* out = indices->data();
  std::uint32_t largest = 0;
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = data[i];
    largest = std::max(largest, data[i]);
  }
  return largest < static_cast<std::uint32_t>(vertexCount);
}

// Appends the faces as triangle fans; false when the data is short or names a missing vertex.
bool Triangulate(int vertexCount, int faceCount, int verticesPerFace, std::span<const std::uint32_t> data,
                 std::vector<std::uint32_t>* indices) {
  if (verticesPerFace == 3) return CopyTriangles(vertexCount, faceCount, data, indices);
  indices->reserve(static_cast<std::size_t>(faceCount) * 3);
  std::size_t at = 0;
  for (int face = 0; face < faceCount; ++face) {
    std::size_t count = static_cast<std::size_t>(verticesPerFace);
    if (verticesPerFace == 0) {
      if (at >= data.size()) return false;
      count = data[at++];
    }
    if (count < 3 || count > data.size() - std::min(at, data.size())) return false;
    for (std::size_t i = 0; i < count; ++i) {
      if (data[at + i] >= static_cast<std::uint32_t>(vertexCount)) return false;
    }
    for (std::size_t i = 1; i + 1 < count; ++i) {
      indices->insert(indices->end(), {data[at], data[at + i], data[at + i + 1]});
    }
    at += count;
  }
  return true;
}

}  // namespace

MeshGroup* Mesh::Find(GroupIndex group) {
  return group >= 0 && group < GroupCount() ? &FGroups[static_cast<std::size_t>(group)] : nullptr;
}

template <class Change>
std::int32_t Mesh::ChangeGroup(const char* call, GroupIndex group, Change change) {
  if (const auto code = rtl::faults::Check(call)) return code;
  MeshGroup* g = Find(group);
  if (g == nullptr) return D3DRMERR_BADVALUE;
  change(*g);
  return D3DRM_OK;
}

std::int32_t Mesh::AddGroup(int vertexCount, int faceCount, int verticesPerFace,
                            std::span<const std::uint32_t> faceData, GroupIndex* group) {
  if (const auto code = rtl::faults::Check("rm.Mesh.AddGroup")) return code;
  if (vertexCount <= 0 || faceCount <= 0 || verticesPerFace < 0 || group == nullptr) return D3DRMERR_BADVALUE;
  MeshGroup added;
  if (!Triangulate(vertexCount, faceCount, verticesPerFace, faceData, &added.indices)) return D3DRMERR_BADVALUE;
  added.vertices.resize(static_cast<std::size_t>(vertexCount), MeshVertex{});
  FGroups.push_back(std::move(added));
  FBounds.reset();
  *group = GroupCount() - 1;
  return D3DRM_OK;
}

std::int32_t Mesh::SetVertices(GroupIndex group, int index, std::span<const MeshVertex> vertices) {
  if (const auto code = rtl::faults::Check("rm.Mesh.SetVertices")) return code;
  MeshGroup* g = Find(group);
  if (g == nullptr || index < 0 || static_cast<std::size_t>(index) + vertices.size() > g->vertices.size()) {
    return D3DRMERR_BADVALUE;
  }
  std::copy(vertices.begin(), vertices.end(), g->vertices.begin() + index);
  FBounds.reset();
  return D3DRM_OK;
}

std::int32_t Mesh::SetGroupColor(GroupIndex group, std::uint32_t color) {
  return ChangeGroup("rm.Mesh.SetGroupColor", group, [&](MeshGroup& g) { g.color = color; });
}

std::int32_t Mesh::SetGroupQuality(GroupIndex group, std::uint32_t quality) {
  return ChangeGroup("rm.Mesh.SetGroupQuality", group, [&](MeshGroup& g) { g.quality = quality; });
}

std::int32_t Mesh::SetGroupMaterial(GroupIndex group, Material* material) {
  return ChangeGroup("rm.Mesh.SetGroupMaterial", group,
                     [&](MeshGroup& g) { g.material = rtl::Ref<Material>(material); });
}

std::int32_t Mesh::SetGroupTexture(GroupIndex group, Texture* texture) {
  return ChangeGroup("rm.Mesh.SetGroupTexture", group, [&](MeshGroup& g) { g.texture = rtl::Ref<Texture>(texture); });
}

std::int32_t Mesh::SetGroupMapping(GroupIndex group, std::uint32_t mapping) {
  return ChangeGroup("rm.Mesh.SetGroupMapping", group, [&](MeshGroup& g) { g.mapping = mapping; });
}

std::int32_t Mesh::GetBox(Box* box) const {
  if (const auto code = rtl::faults::Check("rm.Mesh.GetBox")) return code;
  if (box == nullptr) return D3DRMERR_BADVALUE;
  *box = Bounds();
  return D3DRM_OK;
}

const Box& Mesh::Bounds() const {
  if (FBounds) return *FBounds;
  bool any = false;
  Box result{};
  for (const MeshGroup& group : FGroups) {
    for (const MeshVertex& v : group.vertices) {
      const Vector& p = v.position;
      if (!any) result = {p, p};
      result.min = {std::min(result.min.x, p.x), std::min(result.min.y, p.y), std::min(result.min.z, p.z)};
      result.max = {std::max(result.max.x, p.x), std::max(result.max.y, p.y), std::max(result.max.z, p.z)};
      any = true;
    }
  }
  FBounds = result;
  return *FBounds;
}

}  // namespace rm
