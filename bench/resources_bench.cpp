// Loading speed of a world's textures and meshes from memory, against a plain copy of the same bytes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core3d/RetainedMode.h"
#include "platform/rtl/MemoryStream.h"
#include "resources/Material3D.h"
#include "resources/Mesh3D.h"
#include "resources/Texture3D.h"

namespace {

constexpr int kMeshes = 200;
// A grid of 20 × 25 quads: 546 shared vertices, 1000 triangles, as terrain and rock meshes are built.
constexpr int kColumns = 20;
constexpr int kRows = 25;

std::uint32_t At(int column, int row) { return static_cast<std::uint32_t>(row * (kColumns + 1) + column); }

void FillGrid(TSurface3D& surface) {
  std::span<std::uint32_t> faces = surface.Allocate((kColumns + 1) * (kRows + 1), kColumns * kRows * 2);
  std::size_t f = 0;
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      for (std::uint32_t index : {At(column, row), At(column + 1, row), At(column, row + 1), At(column + 1, row),
                                  At(column + 1, row + 1), At(column, row + 1)}) {
        faces[f++] = index;
      }
    }
  }
  for (int row = 0; row <= kRows; ++row) {
    for (int column = 0; column <= kColumns; ++column) {
      rm::MeshVertex& v = surface.Vertices()[At(column, row)];
      v.position = {static_cast<float>(column), static_cast<float>((column * row) % 7), static_cast<float>(row)};
      v.normal = {0, 1, 0};
      v.tu = static_cast<float>(column) / kColumns;
      v.tv = static_cast<float>(row) / kRows;
    }
  }
  surface.AddGroup();
  surface.SendVertices(0, surface.VertexCount());
  surface.SetMaterialName("Stone");
}

// The world's resources as the show holds them: materials, and meshes bound to them.
struct World {
  World() {
    rtl::Ref<rm::Direct3DRM> root;
    rm::Direct3DRMCreate(&root);
    SetRetainedMode(root.Get());
    Materials.Add("Stone");
    Meshes.SetMaterials(&Materials);
  }
  ~World() { SetRetainedMode(nullptr); }

  TCollectionMaterial3D Materials{nullptr, "Materials"};
  TCollectionMesh3D Meshes{nullptr, "Meshes"};
};

rtl::TMemoryStream SavedMeshes(World& world) {
  for (int i = 0; i < kMeshes; ++i) {
    FillGrid(*static_cast<TMesh3D*>(world.Meshes.Add(world.Meshes.UniqueName("Rock")))->AddSurface());
  }
  rtl::TMemoryStream stream;
  world.Meshes.SaveToStream(stream);
  return stream;
}

void ReportRate(benchmark::State& state, std::int64_t bytes) {
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["MB/s"] = benchmark::Counter(static_cast<double>(state.iterations() * bytes) / 1e6,
                                              benchmark::Counter::kIsRate);
}

// A plain copy of the same bytes, the yardstick of the loads.
void CopyRepeatedly(benchmark::State& state, const rtl::TMemoryStream& stream) {
  std::vector<std::uint8_t> copy(stream.Bytes().size());
  for (auto _ : state) {
    std::memcpy(copy.data(), stream.Bytes().data(), copy.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  ReportRate(state, stream.Size());
}

void BM_LoadMeshCollection(benchmark::State& state) {
  World world;
  rtl::TMemoryStream stream = SavedMeshes(world);
  for (auto _ : state) {
    stream.SetPosition(0);
    world.Meshes.LoadFromStream(stream);
  }
  ReportRate(state, stream.Size());
}
BENCHMARK(BM_LoadMeshCollection)->Unit(benchmark::kMillisecond);

// 64 stored pictures of 256 × 256 at 24 bits, saved as they were stored.
rtl::TMemoryStream SavedTextures() {
  TCollectionTexture3D textures(nullptr, "Textures");
  textures.KeepSource = true;
  TImage picture;
  picture.Desc.width = picture.Desc.height = 256;
  picture.Desc.depth = 24;
  picture.Desc.rgb = true;
  picture.Desc.bytesPerLine = 256 * 3;
  picture.Desc.redMask = 0xFF0000, picture.Desc.greenMask = 0xFF00, picture.Desc.blueMask = 0xFF;
  picture.Allocate();
  for (std::size_t i = 0; i < picture.PixelBytes(); ++i) picture.Pixels()[i] = static_cast<std::uint8_t>(i * 7);
  for (int i = 0; i < 64; ++i) {
    auto* texture = static_cast<TTexture3D*>(textures.Add(textures.UniqueName("Picture")));
    std::uint32_t key = 0;
    texture->ConvertImage(picture, coFlip, &key);
    texture->CreateDXTexture();
  }
  rtl::TMemoryStream stream;
  textures.SaveToStream(stream);
  return stream;
}

// Converted as the show converts them: 16 bits, sides from 8 to 256, no halving.
void BM_LoadTextureCollection(benchmark::State& state) {
  World world;
  rtl::TMemoryStream stream = SavedTextures();
  TCollectionTexture3D textures(nullptr, "Textures");
  textures.MinSize = 8, textures.MaxSize = 256, textures.Depth = 16, textures.Shift = 0;
  for (auto _ : state) {
    stream.SetPosition(0);
    textures.LoadFromStream(stream);
  }
  ReportRate(state, stream.Size());
}
BENCHMARK(BM_LoadTextureCollection)->Unit(benchmark::kMillisecond);

void BM_MemcpyTextureCollection(benchmark::State& state) {
  World world;
  CopyRepeatedly(state, SavedTextures());
}
BENCHMARK(BM_MemcpyTextureCollection)->Unit(benchmark::kMillisecond);

void BM_MemcpyMeshCollection(benchmark::State& state) {
  World world;
  CopyRepeatedly(state, SavedMeshes(world));
}
BENCHMARK(BM_MemcpyMeshCollection)->Unit(benchmark::kMillisecond);


}  // namespace
