// The OpenGL device against the software device: the same scenes drawn by both into memory targets,
// compared pixel by pixel.
//
// Tolerance: a pixel agrees when each channel differs by at most kTolerance (8-bit targets) or
// kTolerance565 (one 5-bit step, on 5-6-5 targets); a scene agrees when no more than its stated
// share of pixels disagree. The shares allow for edges: OpenGL rasterizes lines by its own rule and
// chooses mip levels per 2x2 quad, where the software device works per 16-pixel run; interiors agree.
// Every comparison prints its measured figures to the test log.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>

#include "platform/d3d/Texture.h"
#include "tests/platform/d3d/gl/GLTarget.h"

namespace gl_testing {
namespace {

using d3d::PixelFormat;
using d3d::TLVertex;
using soft_testing::FullState;
using soft_testing::QuadIndices;
using soft_testing::Vertex;

constexpr int kTolerance = 3;
constexpr int kTolerance565 = 9;

int Channel(std::uint32_t color, int shift) { return static_cast<int>((color >> shift) & 0xFFu); }

std::unique_ptr<d3d::Texture> Checkerboard(int size, int square, std::uint32_t dark, std::uint32_t light) {
  std::vector<std::uint32_t> texels;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) texels.push_back(((x / square + y / square) % 2 == 0) ? light : dark);
  }
  return std::make_unique<d3d::Texture>(size, size, texels);
}

// A texture of smooth colour ramps, where filters differ by small amounts rather than whole texels.
std::unique_ptr<d3d::Texture> Ramps(int size, std::uint8_t alphaFloor = 255) {
  std::vector<std::uint32_t> texels;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const std::uint32_t r = static_cast<std::uint32_t>(x * 255 / (size - 1));
      const std::uint32_t g = static_cast<std::uint32_t>(y * 255 / (size - 1));
      const std::uint32_t b = static_cast<std::uint32_t>(((x ^ y) & 7) * 32);
      const std::uint32_t a = alphaFloor + static_cast<std::uint32_t>((255 - alphaFloor) * x / (size - 1));
      texels.push_back(a << 24 | r << 16 | g << 8 | b);
    }
  }
  return std::make_unique<d3d::Texture>(size, size, texels);
}

std::vector<TLVertex> RecedingQuad(float repeats, std::uint32_t color = 0xFFFFFFFFu) {
  return {Vertex(22, 6, color, 0.8f, 0, 0, 0.2f), Vertex(42, 6, color, 0.8f, repeats, 0, 0.2f),
          Vertex(62, 62, color, 0.2f, repeats, repeats, 1.0f), Vertex(2, 62, color, 0.2f, 0, repeats, 1.0f)};
}

std::vector<TLVertex> Square(float left, float top, float right, float bottom, std::uint32_t color, float z = 0.5f,
                             float repeats = 1.0f) {
  return {Vertex(left, top, color, z, 0, 0), Vertex(right, top, color, z, repeats, 0),
          Vertex(right, bottom, color, z, repeats, repeats), Vertex(left, bottom, color, z, 0, repeats)};
}

// A fan of Gouraud triangles of many slopes and sizes around the middle of a 64x64 target.
std::vector<TLVertex> Fan() {
  std::vector<TLVertex> vertices = {Vertex(31.3f, 30.7f, 0xFFFFFFFFu)};
  const float points[][2] = {{2, 3},   {30, 1.5f},     {61.2f, 5}, {62, 33.3f},
                             {58, 61}, {33.5f, 62.5f}, {1, 58},    {3.7f, 30}};
  const std::uint32_t colors[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u,
                                  0xFF00FFFFu, 0xFFFF00FFu, 0xFF808080u, 0xFF102030u};
  for (int i = 0; i < 8; ++i) vertices.push_back(Vertex(points[i][0], points[i][1], colors[i]));
  return vertices;
}

std::vector<std::uint32_t> FanIndices() {
  std::vector<std::uint32_t> indices;
  for (std::uint32_t i = 1; i <= 8; ++i) indices.insert(indices.end(), {0, i, i % 8 + 1});
  return indices;
}

#define EXPECT_AGREES(scene, name, tolerance, share)                                      \
  do {                                                                                    \
    const std::string name_ = (name);                                                     \
    const Difference difference_ = Compare(scene, tolerance, name_);                      \
    EXPECT_LE(difference_.Share(), share) << name_ << ": max " << difference_.maxChannel; \
  } while (false)

class GLPictures : public GLDeviceFixture {};

TEST_F(GLPictures, GouraudFanAndFlatShadingTakeTheSameColours) {
  Scene gouraud(*device, 64, 64, PixelFormat::XRGB8888);
  gouraud.ClearAll(0x202020u);
  gouraud.Draw(FullState(64, 64), Fan(), FanIndices());
  EXPECT_AGREES(gouraud, "gouraud fan", kTolerance, 0.0);

  Scene flat(*device, 64, 64, PixelFormat::XRGB8888);
  flat.ClearAll(0x202020u);
  d3d::DrawState state = FullState(64, 64);
  state.shade = d3d::Shade::Flat;
  // Each face's first vertex is a rim vertex, not the white centre.
  std::vector<std::uint32_t> indices;
  for (std::uint32_t i = 1; i <= 8; ++i) indices.insert(indices.end(), {i, i % 8 + 1, 0});
  flat.Draw(state, Fan(), indices);
  const Difference difference = Compare(flat, 0, "flat fan");
  EXPECT_EQ(difference.overTolerance, 0);
  EXPECT_EQ(flat.Gl.RawAt(20, 10), 0xFF0000u);  // the top left face is red, its first vertex's colour
}

TEST_F(GLPictures, DepthTestOrdersCrossingTrianglesAtEveryDepthWidth) {
  const std::vector<TLVertex> vertices = {Vertex(4, 8, 0xFFE04040u, 0.1f),   Vertex(60, 20, 0xFFE04040u, 0.9f),
                                          Vertex(8, 58, 0xFFE04040u, 0.1f),  Vertex(60, 4, 0xFF4040E0u, 0.2f),
                                          Vertex(56, 60, 0xFF4040E0u, 0.2f), Vertex(2, 34, 0xFF4040E0u, 0.7f)};
  for (const int bits : {16, 24, 32}) {
    for (const bool reversed : {false, true}) {
      Scene scene(*device, 64, 64, PixelFormat::XRGB8888, bits);
      scene.ClearAll(0);
      scene.Draw(
          FullState(64, 64), vertices,
          reversed ? std::vector<std::uint32_t>{3, 4, 5, 0, 1, 2} : std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5});
      // Where the two meet, depths within a quantisation step may resolve either way.
      EXPECT_AGREES(scene, "depth " + std::to_string(bits) + (reversed ? " reversed" : ""), kTolerance, 0.005);
      EXPECT_EQ(scene.Gl.RawAt(12, 30), 0xE04040u);
      EXPECT_EQ(scene.Gl.RawAt(40, 22), 0x4040E0u);
    }
  }
  // Depth written off, and no depth buffer: the last one drawn wins.
  Scene none(*device, 64, 64, PixelFormat::XRGB8888, 0);
  none.ClearAll(0);
  none.Draw(FullState(64, 64), vertices, {0, 1, 2, 3, 4, 5});
  EXPECT_AGREES(none, "no depth buffer", kTolerance, 0.0);
  EXPECT_EQ(none.Gl.RawAt(12, 30), 0x4040E0u);
  Scene noWrite(*device, 64, 64, PixelFormat::XRGB8888, 24);
  noWrite.ClearAll(0);
  d3d::DrawState state = FullState(64, 64);
  state.zWrite = false;
  noWrite.Draw(state, vertices, {0, 1, 2, 3, 4, 5});
  EXPECT_AGREES(noWrite, "depth write off", kTolerance, 0.0);
  EXPECT_EQ(noWrite.Gl.RawAt(12, 30), 0x4040E0u);
}

TEST_F(GLPictures, TextureFiltersOnARecedingTexture) {
  const auto checks = Checkerboard(64, 8, 0xFF202020u, 0xFFE0E0E0u);
  const auto ramps = Ramps(64);
  // Nearest texels agree but at texel boundaries, where a rounding either side flips a whole texel;
  // mip filters choose levels per 2x2 quad in OpenGL, per run of 16 pixels in the software device.
  const struct {
    d3d::Filter filter;
    const char* name;
    double checkShare, rampShare;
  } filters[] = {{d3d::Filter::Nearest, "nearest", 0.005, 0.005},
                 {d3d::Filter::Linear, "bilinear", 0.0, 0.0},
                 {d3d::Filter::MipNearest, "mip nearest", 0.02, 0.04},
                 {d3d::Filter::MipLinear, "mip bilinear", 0.04, 0.04},
                 {d3d::Filter::LinearMipNearest, "nearest between levels", 0.04, 0.06},
                 {d3d::Filter::LinearMipLinear, "trilinear", 0.03, 0.03}};
  for (const auto& f : filters) {
    for (const auto& [texture, share, what] :
         {std::tuple{checks.get(), f.checkShare, " checks"}, std::tuple{ramps.get(), f.rampShare, " ramps"}}) {
      Scene scene(*device, 64, 64, PixelFormat::XRGB8888);
      d3d::DrawState state = FullState(64, 64);
      state.texture = texture;
      state.filter = f.filter;
      scene.ClearAll(0x103010u);
      scene.Draw(state, RecedingQuad(2), QuadIndices());
      EXPECT_AGREES(scene, std::string(f.name) + what, kTolerance, share);
    }
  }
}

TEST_F(GLPictures, MipFiltersAverageMinifiedTexelsAndTheBiasMovesTheLevel) {
  const auto texture = Checkerboard(16, 1, 0xFF000000u, 0xFFFFFFFFu);
  for (const d3d::Filter filter : {d3d::Filter::Nearest, d3d::Filter::MipNearest, d3d::Filter::LinearMipLinear}) {
    Scene scene(*device, 4, 4, PixelFormat::XRGB8888);
    d3d::DrawState state = FullState(4, 4);
    state.texture = texture.get();
    state.filter = filter;
    scene.ClearAll(0);
    scene.Draw(state, Square(0, 0, 4, 4, 0xFFFFFFFFu), QuadIndices());
    scene.Flush();
    int grey = 0;
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) grey += std::abs(Channel(scene.Gl.RawAt(x, y), 8) - 128) <= 1 ? 1 : 0;
    }
    EXPECT_EQ(grey, filter == d3d::Filter::Nearest ? 0 : 16) << static_cast<int>(filter);
    EXPECT_AGREES(scene, "4x4 minified " + std::to_string(static_cast<int>(filter)), kTolerance, 0.0);
  }
  // A bias of -2 brings back the one-texel checks (level 0); both devices show black and white.
  Scene biased(*device, 4, 4, PixelFormat::XRGB8888);
  d3d::DrawState state = FullState(4, 4);
  state.texture = texture.get();
  state.filter = d3d::Filter::MipNearest;
  state.mipLodBias = -2.0f;
  biased.ClearAll(0);
  biased.Draw(state, Square(0, 0, 4, 4, 0xFFFFFFFFu), QuadIndices());
  EXPECT_AGREES(biased, "lod bias -2", kTolerance, 0.0);
  for (int x = 0; x < 4; ++x) EXPECT_NE(std::abs(Channel(biased.Gl.RawAt(x, 1), 8) - 128) <= 1, true) << x;
}

TEST_F(GLPictures, PerspectiveCorrectAndAffineTexturing) {
  const std::vector<std::uint32_t> halves = {0xFF000000u, 0xFFFFFFFFu};
  const d3d::Texture texture(2, 1, halves);
  const std::vector<TLVertex> quad = {
      Vertex(0, 0, 0xFFFFFFFFu, 0.1f, 0, 0, 1.0f), Vertex(64, 0, 0xFFFFFFFFu, 0.9f, 1, 0, 0.25f),
      Vertex(64, 8, 0xFFFFFFFFu, 0.9f, 1, 1, 0.25f), Vertex(0, 8, 0xFFFFFFFFu, 0.1f, 0, 1, 1.0f)};
  for (const bool perspective : {true, false}) {
    Scene scene(*device, 64, 8, PixelFormat::XRGB8888);
    d3d::DrawState state = FullState(64, 8);
    state.texture = &texture;
    state.perspective = perspective;
    scene.ClearAll(0x103010u);
    scene.Draw(state, quad, QuadIndices());
    EXPECT_AGREES(scene, perspective ? "perspective halves" : "affine halves", 0, 0.0);
    // With perspective the boundary lies at 80% of the width, affinely at the middle.
    EXPECT_EQ(scene.Gl.RawAt(perspective ? 50 : 31, 4), 0u);
    EXPECT_EQ(scene.Gl.RawAt(perspective ? 52 : 32, 4), 0xFFFFFFu);
  }
  const auto ramps = Ramps(64);
  for (const bool perspective : {true, false}) {
    Scene scene(*device, 64, 64, PixelFormat::XRGB8888);
    d3d::DrawState state = FullState(64, 64);
    state.texture = ramps.get();
    state.filter = d3d::Filter::Linear;
    state.perspective = perspective;
    scene.ClearAll(0x103010u);
    scene.Draw(state, RecedingQuad(2), QuadIndices());
    EXPECT_AGREES(scene, perspective ? "perspective ramps" : "affine ramps", kTolerance, 0.01);
  }
}

TEST_F(GLPictures, ColourKeyedTexelsLeaveTheSameHoles) {
  std::vector<std::uint32_t> texels(64, 0xFFFFD000u);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      if (x == 0 || y == 0 || x == 7 || y == 7 || (x + y) % 5 == 0)
        texels[static_cast<std::size_t>(y * 8 + x)] = 0xFFFF00FFu;
    }
  }
  d3d::Texture texture(8, 8, texels);
  texture.SetColorKey(true, 0x00FF00FFu);
  for (const auto& [filter, name, share] : {std::tuple{d3d::Filter::Nearest, "colour key nearest", 0.0},
                                            std::tuple{d3d::Filter::Linear, "colour key bilinear", 0.0},
                                            std::tuple{d3d::Filter::LinearMipLinear, "colour key trilinear", 0.0}}) {
    Scene scene(*device, 64, 64, PixelFormat::XRGB8888);
    d3d::DrawState state = FullState(64, 64);
    state.texture = &texture;
    state.filter = filter;
    scene.ClearAll(0x103010u);
    scene.Draw(state, Square(0, 0, 64, 64, 0xFFFFFFFFu), QuadIndices());
    EXPECT_AGREES(scene, name, kTolerance, share);
    int magenta = 0, background = 0;
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        const std::uint32_t pixel = scene.Gl.RawAt(x, y);
        magenta += (Channel(pixel, 16) > 128 && Channel(pixel, 0) > 128) ? 1 : 0;
        background += pixel == 0x103010u ? 1 : 0;
      }
    }
    EXPECT_EQ(magenta, 0) << name;  // the key's colour never shows, not even blended into edges
    EXPECT_GT(background, 64 * 64 / 4) << name;
  }
}

TEST_F(GLPictures, AlphaTestBlendingSpecularAndFog) {
  const auto ramps = Ramps(32, 0);  // alpha rising from 0 at the left to 255 at the right
  const std::vector<TLVertex> background = Fan();
  const auto drawBackground = [&](Scene& scene) {
    scene.ClearAll(0x000040u);
    scene.Draw(FullState(64, 64), background, FanIndices());
  };
  {
    for (const auto& [func, name] : {std::pair{d3d::Compare::Greater, "alpha test greater"},
                                     std::pair{d3d::Compare::LessEqual, "alpha test less-equal"}}) {
      Scene scene(*device, 64, 64, PixelFormat::XRGB8888);
      drawBackground(scene);
      d3d::DrawState state = FullState(64, 64);
      state.texture = ramps.get();
      state.alphaTest = true;
      state.alphaFunc = func;
      state.alphaRef = 128;
      // Placed so that no texel boundary falls on a pixel centre, where nearest texels may go either way.
      scene.Draw(state, Square(4.3f, 4.2f, 60.3f, 60.2f, 0xFFFFFFFFu), QuadIndices());
      EXPECT_AGREES(scene, name, kTolerance, 0.0);
    }
  }
  {
    Scene scene(*device, 64, 64, PixelFormat::XRGB8888);
    drawBackground(scene);
    d3d::DrawState state = FullState(64, 64);
    state.blend = true;
    state.zTest = false;
    // Vertex alpha from 0 to 255 across a white and yellow triangle; then a textured quad with texel alpha.
    scene.Draw(state, {Vertex(2, 2, 0x00FFFFFFu), Vertex(62, 10, 0xFFFFFF00u), Vertex(10, 62, 0x80FFFFFFu)}, {0, 1, 2});
    state.texture = ramps.get();
    state.filter = d3d::Filter::Linear;
    scene.Draw(state, Square(20, 20, 60, 60, 0xC0FFFFFFu), QuadIndices());
    EXPECT_AGREES(scene, "blending", kTolerance, 0.0);
  }
  {
    Scene scene(*device, 64, 64, PixelFormat::XRGB8888);
    scene.ClearAll(0);
    std::vector<TLVertex> vertices = Fan();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
      vertices[i].color = 0xFF604020u;
      vertices[i].specular = 0xFF000000u | static_cast<std::uint32_t>(i * 0x1F2F3Fu % 0xFFFFFFu);
    }
    d3d::DrawState state = FullState(64, 64);
    state.specular = true;
    scene.Draw(state, vertices, FanIndices());
    EXPECT_AGREES(scene, "specular", kTolerance, 0.0);
  }
  {
    Scene scene(*device, 64, 64, PixelFormat::XRGB8888);
    scene.ClearAll(0);
    std::vector<TLVertex> vertices = Fan();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
      vertices[i].specular = static_cast<std::uint32_t>(i * 31) << 24 | 0x204060u;  // fog factor by vertex
    }
    d3d::DrawState state = FullState(64, 64);
    state.fog = true;
    state.fogColor = 0x8090A0u;
    state.specular = true;
    state.texture = ramps.get();
    state.filter = d3d::Filter::Linear;
    scene.Draw(state, vertices, FanIndices());
    EXPECT_AGREES(scene, "fog over specular and texture", kTolerance, 0.0);
    EXPECT_NEAR(Channel(scene.Gl.RawAt(3, 4), 0), 0xA0, 24);  // the corner with fog factor 0 is fog coloured
  }
}

TEST_F(GLPictures, ClipRectangleWireframeAndPoints) {
  {
    Scene scene(*device, 64, 64, PixelFormat::XRGB8888);
    scene.ClearAll(0x101010u);
    d3d::DrawState state = FullState(64, 64);
    state.clipLeft = 10, state.clipTop = 12, state.clipRight = 50, state.clipBottom = 41;
    scene.Draw(state, Fan(), FanIndices());
    EXPECT_AGREES(scene, "clip rectangle", kTolerance, 0.0);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        if (x < 10 || x >= 50 || y < 12 || y >= 41) {
          ASSERT_EQ(scene.Gl.RawAt(x, y), 0x101010u) << x << "," << y;
        }
      }
    }
  }
  for (const auto& [fill, name] :
       {std::pair{d3d::Fill::Wireframe, "wireframe"}, std::pair{d3d::Fill::Points, "points"}}) {
    for (const d3d::Shade shade : {d3d::Shade::Gouraud, d3d::Shade::Flat}) {
      Scene scene(*device, 64, 64, PixelFormat::XRGB8888);
      scene.ClearAll(0);
      d3d::DrawState state = FullState(64, 64);
      state.fill = fill;
      state.shade = shade;
      state.zTest = false;
      scene.Draw(state, Fan(), FanIndices());
      // Lines may take a different pixel where they pass between two centres.
      EXPECT_AGREES(scene, std::string(name) + (shade == d3d::Shade::Flat ? " flat" : " gouraud"), kTolerance,
                    fill == d3d::Fill::Points ? 0.0 : 0.01);
      int lit = 0;
      for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) lit += scene.Gl.RawAt(x, y) != 0 ? 1 : 0;
      }
      EXPECT_GT(lit, fill == d3d::Fill::Points ? 8 : 200) << name;
      EXPECT_LT(lit, fill == d3d::Fill::Points ? 10 : 800) << name;
    }
  }
}

TEST_F(GLPictures, SixteenTwentyFourAndThirtyTwoBitTargets) {
  const auto ramps = Ramps(64);
  for (const PixelFormat format : {PixelFormat::RGB565, PixelFormat::RGB888, PixelFormat::XRGB8888}) {
    for (const bool dither : {false, true}) {
      Scene scene(*device, 64, 64, format, 16);
      scene.ClearAll(0x336699u);
      d3d::DrawState state = FullState(64, 64);
      state.dither = dither;
      scene.Draw(state, Fan(), FanIndices());
      state.texture = ramps.get();
      state.filter = d3d::Filter::Linear;
      state.blend = true;
      scene.Draw(state, Square(8, 8, 40, 40, 0x80FFFFFFu, 0.2f), QuadIndices());
      const std::string name = std::to_string(d3d::BitsPerPixel(format)) + "-bit" + (dither ? " dithered" : "");
      const bool rgb565 = format == PixelFormat::RGB565;
      EXPECT_AGREES(scene, name, rgb565 ? kTolerance565 : kTolerance, 0.0);
      if (rgb565) {
        // Opaque pixels agree to the bit, dithered or not; blended ones by one step.
        int exact = 0, opaque = 0;
        for (int y = 0; y < 64; ++y) {
          for (int x = 0; x < 64; ++x) {
            if (x >= 8 && x < 40 && y >= 8 && y < 40) continue;
            ++opaque;
            exact += scene.Soft.RawAt(x, y) == scene.Gl.RawAt(x, y) ? 1 : 0;
          }
        }
        std::printf("[ gl vs soft ] %-28s %d of %d opaque pixels equal to the bit\n", name.c_str(), exact, opaque);
        EXPECT_GE(exact, opaque * 98 / 100) << name;
      }
    }
  }
}

TEST_F(GLPictures, PaletteTargetsAreNotDrawn) {
  GLTarget target(*device, 8, 8, PixelFormat::Palette8);
  device->Clear(0, 0, 8, 8, 0x123456u, false);
  device->DrawTriangles(FullState(8, 8), Square(0, 0, 8, 8, 0xFFFFFFFFu), QuadIndices());
  device->Flush();
  for (const std::uint8_t byte : target.Pixels) ASSERT_EQ(byte, 0xCD);
}

}  // namespace
}  // namespace gl_testing
