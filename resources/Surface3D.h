#pragma once

// One group of a mesh: its vertices and triangles (held in the platform's own layout and streamed
// as single blocks), its material by name, its texture-mapping flags and its render quality.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core3d/Reference3D.h"
#include "core3d/Structure3D.h"
#include "core3d/Vertex3D.h"
#include "platform/rm/Mesh.h"
#include "resources/Mapping3D.h"

class TMaterial3D;
class TMesh3D;

class TSurface3D : public TStructure3D {
 public:
  // The group index of a surface whose group is not added yet: the platform refuses it.
  static constexpr rm::GroupIndex kNoGroup = -1;

  explicit TSurface3D(TMesh3D& mesh);
  ~TSurface3D() override;

  const char* ClassName() const override { return "TSurface3D"; }

  // Fresh blocks: zeroed vertices of opaque white colour and `faceCount` triangles (3 vertex
  // indices each) to be filled through the returned span.
  std::span<std::uint32_t> Allocate(std::int32_t vertexCount, std::int32_t faceCount);
  void AddGroup();
  void SendVertices(std::int32_t first, std::int32_t count);
  void SendQuality() { SendQuality(FShade, FLighting, FFill); }

  // 0 flat, 2 Phong, anything else Gouraud.
  void SetShade(std::uint8_t shade);
  // Always sent, also when unchanged; the vertices are sent again after it.
  void SetLighting(bool lighting);
  void LinkMaterial();
  TMaterial3D* GetMaterial() const;
  const std::string& GetMaterialName() const { return MaterialRef.GetItemName(); }
  void SetMaterialName(const std::string& name);
  // Selects the vertex that CurrentVertex edits (-1 for none) and copies it there.
  void SetCurrentIndex(std::int32_t index);

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  TMesh3D* Mesh() const { return FMesh; }
  std::span<const rm::MeshVertex> Vertices() const { return {FVertices.get(), static_cast<std::size_t>(FVertexCount)}; }
  std::span<rm::MeshVertex> Vertices() { return {FVertices.get(), static_cast<std::size_t>(FVertexCount)}; }
  std::int32_t VertexCount() const { return FVertexCount; }
  std::span<const std::uint32_t> Faces() const { return {FFaces.get(), FaceIndexCount()}; }
  std::int32_t FaceCount() const { return FFaceCount; }
  rm::GroupIndex Group() const { return FGroup; }
  std::int32_t CurrentIndex() const { return FCurrentIndex; }
  std::uint8_t Shade() const { return FShade; }
  std::uint8_t Lighting() const { return FLighting; }
  std::uint8_t Fill() const { return FFill; }

  TReference3D MaterialRef;
  TMapping3D Mapping;
  TVertex3D CurrentVertex;

 private:
  static constexpr int kVerticesPerFace = 3;

  // Blocks of the given sizes, left unfilled for a reader that overwrites them whole.
  void NewBlocks(std::int32_t vertexCount, std::int32_t faceCount);
  std::size_t FaceIndexCount() const { return static_cast<std::size_t>(FFaceCount) * kVerticesPerFace; }
  rm::Mesh& DXMesh() const;
  void SendQuality(std::uint8_t shade, std::uint8_t lighting, std::uint8_t fill);
  void SendGroupColor(std::uint32_t color);
  void SendGroupTexture(rm::Texture* texture);
  // Hooks of MaterialRef (also fired by the material's own changes), Mapping and CurrentVertex.
  void ApplyMaterial(TElement3D* sender);
  void ApplyMapping(TElement3D* sender);
  void StoreVertex(TElement3D* sender);

  TMesh3D* FMesh;
  std::unique_ptr<rm::MeshVertex[]> FVertices;
  std::int32_t FVertexCount = 0;
  std::unique_ptr<std::uint32_t[]> FFaces;  // kVerticesPerFace indices per triangle
  std::int32_t FFaceCount = 0;
  rm::GroupIndex FGroup = kNoGroup;
  std::int32_t FCurrentIndex = -1;
  std::uint8_t FShade = 3;
  std::uint8_t FLighting = 2;
  std::uint8_t FFill = 3;
};
