#include "resources/Surface3D.h"

#include <algorithm>
#include <bit>

#include "core3d/CheckResult.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "resources/Material3D.h"
#include "resources/Mesh3D.h"
#include "resources/Texture3D.h"

// The blocks cross the stream as they lie in memory, which is the stream's little-endian layout.
static_assert(std::endian::native == std::endian::little, "vertex and face blocks are streamed as held in memory");

namespace {

constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFFu;
// A textured group takes white with the material's alpha, so the texture shows unchanged.
constexpr std::uint32_t kWhiteRGB = 0x00FFFFFFu;
constexpr std::int64_t kVertexBytes = sizeof(rm::MeshVertex);
constexpr std::int64_t kFaceBytes = 3 * sizeof(std::uint32_t);

std::uint32_t ShadeBits(std::uint8_t shade) {
  switch (shade) {
    case 0: return rm::D3DRMSHADE_FLAT;
    case 2: return rm::D3DRMSHADE_PHONG;
    default: return rm::D3DRMSHADE_GOURAUD;
  }
}

std::uint32_t FillBits(std::uint8_t fill) {
  switch (fill) {
    case 0: return rm::D3DRMFILL_POINTS;
    case 1: return rm::D3DRMFILL_WIREFRAME;
    default: return rm::D3DRMFILL_SOLID;
  }
}

}  // namespace

TSurface3D::TSurface3D(TMesh3D& mesh) : FMesh(&mesh) {
  MaterialRef.OnChange = TNotifyEvent::Bind<&TSurface3D::ApplyMaterial>(this);
  LinkMaterial();
  Mapping.OnChange = TNotifyEvent::Bind<&TSurface3D::ApplyMapping>(this);
  CurrentVertex.OnChange = TNotifyEvent::Bind<&TSurface3D::StoreVertex>(this);
}

TSurface3D::~TSurface3D() {
  // Detaching from the material must not reach back into a surface that is going away.
  MaterialRef.OnChange.Clear();
  Mapping.OnChange.Clear();
  CurrentVertex.OnChange.Clear();
}

rm::Mesh& TSurface3D::DXMesh() const { return FMesh->GetDXMesh(); }

void TSurface3D::NewBlocks(std::int32_t vertexCount, std::int32_t faceCount) {
  if (vertexCount <= 0) throw rtl::Exception("Surface3D: vertex count <= 0");
  if (faceCount <= 0) throw rtl::Exception("Surface3D: face count <= 0");
  FVertices = std::make_unique_for_overwrite<rm::MeshVertex[]>(static_cast<std::size_t>(vertexCount));
  FVertexCount = vertexCount;
  FCurrentIndex = -1;
  FFaces = std::make_unique_for_overwrite<std::uint32_t[]>(static_cast<std::size_t>(faceCount) * kVerticesPerFace);
  FFaceCount = faceCount;
}

std::span<std::uint32_t> TSurface3D::Allocate(std::int32_t vertexCount, std::int32_t faceCount) {
  NewBlocks(vertexCount, faceCount);
  rm::MeshVertex blank{};
  blank.color = kOpaqueWhite;
  std::fill_n(FVertices.get(), FVertexCount, blank);
  std::fill_n(FFaces.get(), FaceIndexCount(), 0u);
  return {FFaces.get(), FaceIndexCount()};
}

// The platform checks every index against the vertex count and refuses the group otherwise.
void TSurface3D::AddGroup() {
  CheckResult(DXMesh().AddGroup(VertexCount(), FaceCount(), kVerticesPerFace, Faces(), &FGroup),
              "Mesh3D error: Add group failed");
}

// The platform takes the block from its start, as many vertices as asked, placed from `first` on.
void TSurface3D::SendVertices(std::int32_t first, std::int32_t count) {
  const auto block = Vertices().first(static_cast<std::size_t>(std::clamp(count, 0, VertexCount())));
  CheckResult(DXMesh().SetVertices(FGroup, first, block), "Mesh3D error: Set vertices failed");
}

void TSurface3D::SendQuality(std::uint8_t shade, std::uint8_t lighting, std::uint8_t fill) {
  const std::uint32_t quality =
      ShadeBits(shade) | (lighting != 0 ? rm::D3DRMLIGHT_ON : rm::D3DRMLIGHT_OFF) | FillBits(fill);
  CheckResult(DXMesh().SetGroupQuality(FGroup, quality), "Mesh3D error: Set group quality failed");
}

void TSurface3D::SetShade(std::uint8_t shade) {
  if (shade == FShade) return;
  SendQuality(shade, FLighting, FFill);
  FShade = shade;
  Changed();
  FMesh->NotifyReferences();
}

void TSurface3D::SetLighting(bool lighting) {
  const std::uint8_t value = lighting ? 1 : 0;
  SendQuality(FShade, value, FFill);
  FLighting = value;
  Changed();
  SendVertices(0, VertexCount());
  FMesh->NotifyReferences();
}

void TSurface3D::LinkMaterial() {
  // A mesh outside any collection has no materials to resolve against: the name waits.
  const auto* meshes = rtl::CheckedCast<TCollectionMesh3D>(FMesh->Collection());
  MaterialRef.SetCollection(meshes != nullptr ? meshes->Materials() : nullptr);
}

TMaterial3D* TSurface3D::GetMaterial() const { return rtl::CheckedCast<TMaterial3D>(MaterialRef.Item()); }

void TSurface3D::SetMaterialName(const std::string& name) {
  if (name == GetMaterialName()) return;
  MaterialRef.SetItemName(name);
  Changed();
}

void TSurface3D::SendGroupColor(std::uint32_t color) {
  CheckResult(DXMesh().SetGroupColor(FGroup, color), "Mesh3D error: Set group color failed");
}

void TSurface3D::SendGroupTexture(rm::Texture* texture) {
  CheckResult(DXMesh().SetGroupTexture(FGroup, texture), "Mesh3D error: Set group texture failed");
}

// The group's texture is cleared also when the material has none, so that a texture taken off the
// material leaves the group as well.
void TSurface3D::ApplyMaterial(TElement3D*) {
  TMaterial3D* material = GetMaterial();
  if (material == nullptr) return;
  CheckResult(DXMesh().SetGroupMaterial(FGroup, material->GetDXMaterial()), "Mesh3D error: Set group material failed");
  TTexture3D* texture = material->GetTexture();
  const std::uint32_t color = material->Color.GetColor();
  SendGroupColor(texture != nullptr ? color | kWhiteRGB : color);
  SendGroupTexture(nullptr);
  if (texture != nullptr) SendGroupTexture(texture->GetDXTexture());
}

void TSurface3D::ApplyMapping(TElement3D*) {
  CheckResult(DXMesh().SetGroupMapping(FGroup, Mapping.Mapping()), "Mesh3D error: Set group mapping failed");
}

void TSurface3D::StoreVertex(TElement3D*) {
  if (FCurrentIndex < 0 || FCurrentIndex >= VertexCount()) return;
  rm::MeshVertex& v = FVertices[static_cast<std::size_t>(FCurrentIndex)];
  v.position = CurrentVertex.Position.GetVector();
  v.normal = CurrentVertex.Normal.GetVector();
  v.tu = CurrentVertex.MapCoordinate.U();
  v.tv = CurrentVertex.MapCoordinate.V();
  v.color = CurrentVertex.Color.GetColor();
}

void TSurface3D::SetCurrentIndex(std::int32_t index) {
  // Filling the editing view must not write it back half-filled.
  FCurrentIndex = -1;
  if (index < 0 || index >= VertexCount()) return;
  const rm::MeshVertex& v = FVertices[static_cast<std::size_t>(index)];
  CurrentVertex.Position.SetRaw(v.position.x, v.position.y, v.position.z);
  CurrentVertex.Normal.SetRaw(v.normal.x, v.normal.y, v.normal.z);
  CurrentVertex.MapCoordinate.SetUV(v.tu, v.tv);
  CurrentVertex.Color.SetColor(v.color);
  FCurrentIndex = index;
}

void TSurface3D::Assign(const TElement3D& source) {
  TStructure3D::Assign(source);
  const auto& other = rtl::CheckedCast<const TSurface3D>(source);
  if (&other == this) return;  // new blocks would replace the ones to copy
  NewBlocks(other.FVertexCount, other.FFaceCount);
  std::copy_n(other.FVertices.get(), FVertexCount, FVertices.get());
  std::copy_n(other.FFaces.get(), FaceIndexCount(), FFaces.get());
  AddGroup();
  SendQuality(other.FShade, other.FLighting, other.FFill);
  FShade = other.FShade;
  FLighting = other.FLighting;
  FFill = other.FFill;
  SetMaterialName(other.GetMaterialName());
  Mapping.Assign(other.Mapping);
  SendVertices(0, VertexCount());
}

void TSurface3D::LoadFromStream(rtl::TStream& stream) {
  TStructure3D::LoadFromStream(stream);
  const std::int32_t vertexCount = ReadInteger(stream);
  const std::int32_t faceCount = ReadInteger(stream);
  // Damaged counts end in a read error before anything of their size is allocated.
  if (vertexCount > 0 && faceCount > 0) CheckRemaining(stream, vertexCount * kVertexBytes + faceCount * kFaceBytes);
  NewBlocks(vertexCount, faceCount);
  stream.ReadBuffer(FVertices.get(), vertexCount * kVertexBytes);
  stream.ReadBuffer(FFaces.get(), faceCount * kFaceBytes);
  AddGroup();
  FShade = ReadByte(stream);
  FLighting = ReadByte(stream);
  FFill = ReadByte(stream);
  SendQuality();
  LinkMaterial();
  MaterialRef.LoadFromStream(stream);
  Mapping.LoadFromStream(stream);
  SendVertices(0, VertexCount());
}

void TSurface3D::SaveToStream(rtl::TStream& stream) {
  TStructure3D::SaveToStream(stream);
  WriteInteger(stream, VertexCount());
  WriteInteger(stream, FaceCount());
  stream.WriteBuffer(FVertices.get(), FVertexCount * kVertexBytes);
  stream.WriteBuffer(FFaces.get(), FFaceCount * kFaceBytes);
  WriteByte(stream, FShade);
  WriteByte(stream, FLighting);
  WriteByte(stream, FFill);
  MaterialRef.SaveToStream(stream);
  Mapping.SaveToStream(stream);
}
