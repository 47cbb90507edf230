// Frames per second of the software rasterizer on a terrain-like scene: a textured, lit (Gouraud),
// fogged heightfield seen in perspective with boxes standing on it, about 20,000 screen-space
// triangles of every size from a few pixels to a large part of the screen, depth test on, bilinear
// filtering within mip levels. The scene is projected once; each frame clears colour and depth and
// draws it. Counters: fps, the triangles drawn and the depth complexity (triangle area drawn per
// screen pixel, before the depth test).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/d3d/Texture.h"
#include "platform/d3d/soft/SoftDevice.h"

namespace {

struct Vec3 {
  float x, y, z;
};

float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Normalized(Vec3 v) {
  const float length = std::sqrt(Dot(v, v));
  return {v.x / length, v.y / length, v.z / length};
}

float Height(float x, float z) { return 2.5f * std::sin(x * 0.11f) * std::cos(z * 0.07f) + 1.2f * std::sin(z * 0.23f + x * 0.05f); }

Vec3 TerrainNormal(float x, float z) {
  const float e = 0.1f;
  return Normalized({Height(x - e, z) - Height(x + e, z), 2 * e, Height(x, z - e) - Height(x, z + e)});
}

constexpr float kTanHalfFov = 0.577f;  // 60 degrees across
constexpr float kNear = 1.0f, kFar = 200.0f, kFogStart = 60.0f, kFogEnd = 160.0f;
constexpr float kCameraHeight = 7.0f, kPitch = 0.2f;  // looking slightly down

// World to screen with a camera at (0, kCameraHeight, 0) looking along +z, pitched down.
class Camera {
 public:
  Camera(int width, int height) : FWidth(static_cast<float>(width)), FHeight(static_cast<float>(height)) {}

  float Depth(Vec3 p) const { return (p.z * std::cos(kPitch) - (p.y - kCameraHeight) * std::sin(kPitch)); }

  d3d::TLVertex Project(Vec3 p, Vec3 normal, std::uint32_t material, float tu, float tv) const {
    const float up = (p.y - kCameraHeight) * std::cos(kPitch) + p.z * std::sin(kPitch);
    const float depth = Depth(p);
    const float scale = FWidth / 2 / kTanHalfFov / depth;
    d3d::TLVertex v{};
    v.sx = FWidth / 2 + p.x * scale;
    v.sy = FHeight / 2 - up * scale;
    v.sz = kFar / (kFar - kNear) * (1 - kNear / depth);
    v.rhw = 1 / depth;
    v.color = Lit(normal, material);
    const float fog = std::clamp((kFogEnd - depth) / (kFogEnd - kFogStart), 0.0f, 1.0f);
    v.specular = static_cast<std::uint32_t>(fog * 255) << 24;
    v.tu = tu;
    v.tv = tv;
    return v;
  }

  float Width() const { return FWidth; }
  float Height() const { return FHeight; }

 private:
  static std::uint32_t Lit(Vec3 normal, std::uint32_t material) {
    const float light = 0.3f + 0.7f * std::max(0.0f, Dot(normal, Normalized({0.3f, 0.8f, -0.4f})));
    std::uint32_t color = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      color |= static_cast<std::uint32_t>(static_cast<float>((material >> shift) & 0xFFu) * light) << shift;
    }
    return color;
  }

  float FWidth, FHeight;
};

// Screen area of a triangle inside the target: the triangle clipped to the rectangle.
float ClippedArea(const d3d::TLVertex& a, const d3d::TLVertex& b, const d3d::TLVertex& c, float width, float height) {
  std::vector<std::pair<float, float>> polygon = {{a.sx, a.sy}, {b.sx, b.sy}, {c.sx, c.sy}};
  const auto clip = [&](auto inside, auto cross) {
    std::vector<std::pair<float, float>> out;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
      const auto p = polygon[i], q = polygon[(i + 1) % polygon.size()];
      if (inside(p)) out.push_back(p);
      if (inside(p) != inside(q)) out.push_back(cross(p, q));
    }
    polygon = out;
  };
  const auto lerp = [](auto p, auto q, float t) { return std::pair{p.first + (q.first - p.first) * t, p.second + (q.second - p.second) * t}; };
  clip([](auto p) { return p.first >= 0; }, [&](auto p, auto q) { return lerp(p, q, p.first / (p.first - q.first)); });
  clip([&](auto p) { return p.first <= width; }, [&](auto p, auto q) { return lerp(p, q, (width - p.first) / (q.first - p.first)); });
  clip([](auto p) { return p.second >= 0; }, [&](auto p, auto q) { return lerp(p, q, p.second / (p.second - q.second)); });
  clip([&](auto p) { return p.second <= height; }, [&](auto p, auto q) { return lerp(p, q, (height - p.second) / (q.second - p.second)); });
  float area = 0;
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const auto p = polygon[i], q = polygon[(i + 1) % polygon.size()];
    area += p.first * q.second - q.first * p.second;
  }
  return std::abs(area) / 2;
}

// One batch of triangles, kept only where they face the camera and reach the screen (the layer
// above culls and clips the same way).
struct Batch {
  std::vector<d3d::TLVertex> vertices;
  std::vector<std::uint32_t> indices;

  void Add(const Camera& camera, const d3d::TLVertex (&t)[3]) {
    const float winding = (t[1].sx - t[0].sx) * (t[2].sy - t[0].sy) - (t[2].sx - t[0].sx) * (t[1].sy - t[0].sy);
    if (winding <= 0) return;
    if (ClippedArea(t[0], t[1], t[2], camera.Width(), camera.Height()) <= 0) return;
    for (const auto& v : t) {
      indices.push_back(static_cast<std::uint32_t>(vertices.size()));
      vertices.push_back(v);
    }
  }
};

struct Scene {
  Batch terrain, boxes;
  double terrainPixels = 0, boxPixels = 0;  // triangle area on screen
};

double CoveredPixels(const Batch& batch, const Camera& camera) {
  double covered = 0;
  for (std::size_t i = 0; i < batch.indices.size(); i += 3) {
    covered += ClippedArea(batch.vertices[batch.indices[i]], batch.vertices[batch.indices[i + 1]],
                           batch.vertices[batch.indices[i + 2]], camera.Width(), camera.Height());
  }
  return covered;
}

void AddTerrain(const Camera& camera, Batch& batch) {
  constexpr float cell = 1.25f;
  for (float z = 2.0f; z < 170.0f; z += cell) {
    const float halfWidth = (z + cell) * kTanHalfFov * 1.05f;
    for (float x = std::floor(-halfWidth / cell) * cell; x < halfWidth; x += cell) {
      const auto corner = [&](float cx, float cz) {
        return camera.Project({cx, Height(cx, cz), cz}, TerrainNormal(cx, cz), 0xFF90A060u, cx * 0.25f, cz * 0.25f);
      };
      const d3d::TLVertex a = corner(x, z), b = corner(x + cell, z), c = corner(x + cell, z + cell), d = corner(x, z + cell);
      batch.Add(camera, {a, d, c});
      batch.Add(camera, {a, c, b});
    }
  }
}

void AddBox(const Camera& camera, Batch& batch, Vec3 base, float size, std::uint32_t material) {
  const Vec3 faces[6][4] = {
      {{-1, 0, -1}, {-1, 2, -1}, {1, 2, -1}, {1, 0, -1}}, {{1, 0, 1}, {1, 2, 1}, {-1, 2, 1}, {-1, 0, 1}},
      {{-1, 0, 1}, {-1, 2, 1}, {-1, 2, -1}, {-1, 0, -1}}, {{1, 0, -1}, {1, 2, -1}, {1, 2, 1}, {1, 0, 1}},
      {{-1, 2, -1}, {-1, 2, 1}, {1, 2, 1}, {1, 2, -1}},   {{-1, 0, 1}, {-1, 0, -1}, {1, 0, -1}, {1, 0, 1}}};
  const Vec3 normals[6] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
  const float uv[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
  for (int f = 0; f < 6; ++f) {
    d3d::TLVertex v[4];
    for (int i = 0; i < 4; ++i) {
      const Vec3 p = {base.x + faces[f][i].x * size, base.y + faces[f][i].y * size, base.z + faces[f][i].z * size};
      if (camera.Depth(p) < kNear) return;
      v[i] = camera.Project(p, normals[f], material, uv[i][0], uv[i][1]);
    }
    batch.Add(camera, {v[0], v[1], v[2]});
    batch.Add(camera, {v[0], v[2], v[3]});
  }
}

Scene MakeScene(int width, int height) {
  const Camera camera(width, height);
  Scene scene;
  AddTerrain(camera, scene.terrain);
  std::mt19937 random(1234);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int i = 0; i < 1200; ++i) {
    const float z = 6.0f + 110.0f * unit(random);
    const float x = (unit(random) * 2 - 1) * z * kTanHalfFov;
    const float size = 0.2f + 0.8f * unit(random) * unit(random);
    AddBox(camera, scene.boxes, {x, Height(x, z) - 0.2f, z}, size, 0xFFC0B0A0u - static_cast<std::uint32_t>(i % 7) * 0x00101010u);
  }
  scene.terrainPixels = CoveredPixels(scene.terrain, camera);
  scene.boxPixels = CoveredPixels(scene.boxes, camera);
  return scene;
}

// A texture of soft noise with some texel-scale detail.
d3d::Texture MakeTexture(int size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::uint32_t> texels;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int base = 150 + static_cast<int>(40 * std::sin(x * 0.3f) * std::cos(y * 0.2f)) + static_cast<int>(random() % 40);
      const auto c = static_cast<std::uint32_t>(std::clamp(base, 0, 255));
      texels.push_back(0xFF000000u | c << 16 | (c * 7 / 8) << 8 | (c * 3 / 4));
    }
  }
  return d3d::Texture(size, size, texels);
}

void SoftRasterFrame(benchmark::State& state, int width, int height, d3d::PixelFormat format) {
  const Scene scene = MakeScene(width, height);
  const d3d::Texture ground = MakeTexture(128, 1), stone = MakeTexture(64, 2);
  const int bytes = d3d::BitsPerPixel(format) / 8;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * bytes);
  std::vector<std::uint8_t> depth(static_cast<std::size_t>(width) * height * 2);
  d3d::soft::SoftDevice device;
  device.SetTargets({pixels.data(), width * bytes, width, height, format, nullptr}, {depth.data(), width * 2, 16});
  d3d::DrawState draw;
  draw.filter = d3d::Filter::MipLinear;
  draw.fog = true;
  draw.fogColor = 0x8098B0u;
  draw.dither = format == d3d::PixelFormat::RGB565;
  draw.clipRight = width;
  draw.clipBottom = height;
  for (auto _ : state) {
    device.BeginScene();
    device.Clear(0, 0, width, height, 0x8098B0u, true);
    draw.texture = &ground;
    device.DrawTriangles(draw, scene.terrain.vertices, scene.terrain.indices);
    draw.texture = &stone;
    device.DrawTriangles(draw, scene.boxes.vertices, scene.boxes.indices);
    device.EndScene();
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["triangles"] = static_cast<double>((scene.terrain.indices.size() + scene.boxes.indices.size()) / 3);
  const double screen = static_cast<double>(width) * height;
  state.counters["depth_complexity"] = (scene.terrainPixels + scene.boxPixels) / screen;
  state.counters["terrain_complexity"] = scene.terrainPixels / screen;
}

BENCHMARK_CAPTURE(SoftRasterFrame, 640x480x16, 640, 480, d3d::PixelFormat::RGB565)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(SoftRasterFrame, 1920x1080x32, 1920, 1080, d3d::PixelFormat::XRGB8888)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
