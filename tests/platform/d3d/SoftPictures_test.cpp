// Scenes of hand-made screen-space vertices drawn by the software rasterizer, compared with reference
// pictures (tests/references/d3d_soft_*.png), each with checks of the property it shows.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/d3d/Texture.h"
#include "tests/platform/d3d/SoftTarget.h"

namespace soft_testing {
namespace {

using d3d::PixelFormat;
using d3d::TLVertex;
using testing_support::MatchesReference;

// A checkerboard of `size` x `size` texels in squares of `square`.
std::unique_ptr<d3d::Texture> Checkerboard(int size, int square, std::uint32_t dark, std::uint32_t light) {
  std::vector<std::uint32_t> texels;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) texels.push_back(((x / square + y / square) % 2 == 0) ? light : dark);
  }
  return std::make_unique<d3d::Texture>(size, size, texels);
}

int Channel(std::uint32_t color, int shift) { return static_cast<int>((color >> shift) & 0xFFu); }

TEST(SoftPictures, GouraudBlendsTheVertexColoursAndFlatTakesTheFirst) {
  const std::vector<TLVertex> triangle = {Vertex(32, 4, 0xFFFF0000u), Vertex(60, 58, 0xFF00FF00u),
                                          Vertex(4, 50, 0xFF0000FFu)};
  SoftTarget gouraud(64, 64, PixelFormat::XRGB8888);
  gouraud.ClearAll(0x202020u);
  gouraud.Draw(FullState(64, 64), triangle, {0, 1, 2});
  EXPECT_TRUE(MatchesReference(gouraud.ToPicture(), "d3d_soft_01_gouraud_triangle"));
  // Near each corner its own colour dominates; inside, all three mix.
  EXPECT_GT(Channel(gouraud.At(32, 8), 16), 220);
  EXPECT_GT(Channel(gouraud.At(55, 55), 8), 200);
  const std::uint32_t middle = gouraud.At(32, 37);
  for (const int shift : {0, 8, 16}) EXPECT_GT(Channel(middle, shift), 40);

  SoftTarget flat(64, 64, PixelFormat::XRGB8888);
  flat.ClearAll(0x202020u);
  d3d::DrawState state = FullState(64, 64);
  state.shade = d3d::Shade::Flat;
  flat.Draw(state, triangle, {1, 2, 0});  // the face's first vertex is the green one
  EXPECT_TRUE(MatchesReference(flat.ToPicture(), "d3d_soft_02_flat_triangle"));
  // The same pixels are covered, every one of them green.
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool covered = gouraud.RawAt(x, y) != 0x202020u;
      ASSERT_EQ(flat.RawAt(x, y), covered ? 0x00FF00u : 0x202020u) << x << "," << y;
    }
  }
}

// Two triangles that pass through each other: each is in front over part of the other.
void DrawCrossing(SoftTarget& target, bool reversedOrder) {
  const std::vector<TLVertex> vertices = {
      Vertex(4, 8, 0xFFE04040u, 0.1f), Vertex(60, 20, 0xFFE04040u, 0.9f), Vertex(8, 58, 0xFFE04040u, 0.1f),
      Vertex(60, 4, 0xFF4040E0u, 0.2f), Vertex(56, 60, 0xFF4040E0u, 0.2f), Vertex(2, 34, 0xFF4040E0u, 0.7f)};
  target.ClearAll(0x000000u);
  if (reversedOrder) {
    target.Draw(FullState(64, 64), vertices, {3, 4, 5, 0, 1, 2});
  } else {
    target.Draw(FullState(64, 64), vertices, {0, 1, 2, 3, 4, 5});
  }
}

TEST(SoftPictures, DepthTestOrdersCrossingTrianglesAtEveryDepthWidth) {
  for (const int bits : {16, 24, 32}) {
    SCOPED_TRACE(bits);
    SoftTarget first(64, 64, PixelFormat::XRGB8888, bits), second(64, 64, PixelFormat::XRGB8888, bits);
    DrawCrossing(first, false);
    DrawCrossing(second, true);
    EXPECT_EQ(first.Pixels, second.Pixels) << "the drawing order showed through";
    EXPECT_TRUE(MatchesReference(first.ToPicture(), "d3d_soft_03_depth_crossing"));
    EXPECT_EQ(first.RawAt(12, 30), 0xE04040u);  // red is nearer on the left
    EXPECT_EQ(first.RawAt(40, 22), 0x4040E0u);  // blue further right
  }
  SoftTarget none(64, 64, PixelFormat::XRGB8888, 0);  // without a depth buffer the last one drawn wins
  DrawCrossing(none, false);
  EXPECT_EQ(none.RawAt(12, 30), 0x4040E0u);
}

TEST(SoftPictures, DepthWriteOffLeavesTheBufferAlone) {
  SoftTarget target(16, 16, PixelFormat::XRGB8888, 32);
  target.ClearAll(0);
  d3d::DrawState state = FullState(16, 16);
  state.zWrite = false;
  target.Draw(state, {Vertex(0, 0, 0xFFFFFFFFu, 0.5f), Vertex(16, 0, 0xFFFFFFFFu, 0.5f), Vertex(0, 16, 0xFFFFFFFFu, 0.5f)},
              {0, 1, 2});
  EXPECT_EQ(target.RawAt(2, 2), 0xFFFFFFu);
  EXPECT_EQ(target.DepthAt(2, 2), 0xFFFFFFFFu);
  state.zWrite = true;
  target.Draw(state, {Vertex(0, 0, 0xFF0000FFu, 1.0f), Vertex(16, 0, 0xFF0000FFu, 1.0f), Vertex(0, 16, 0xFF0000FFu, 1.0f)},
              {0, 1, 2});
  EXPECT_EQ(target.RawAt(2, 2), 0x0000FFu);  // the far plane itself passes less-or-equal against a clear
  EXPECT_EQ(target.DepthAt(2, 2), 2147483520u);
}

// A quad receding from the bottom of the picture to its top, with perspective in its 1/w.
std::vector<TLVertex> RecedingQuad(float repeats, std::uint32_t color = 0xFFFFFFFFu) {
  return {Vertex(22, 6, color, 0.8f, 0, 0, 0.2f), Vertex(42, 6, color, 0.8f, repeats, 0, 0.2f),
          Vertex(62, 62, color, 0.2f, repeats, repeats, 1.0f), Vertex(2, 62, color, 0.2f, 0, repeats, 1.0f)};
}

void DrawTexturedQuad(SoftTarget& target, const d3d::Texture& texture, d3d::Filter filter, bool perspective,
                      const std::vector<TLVertex>& quad) {
  d3d::DrawState state = FullState(target.Width, target.Height);
  state.texture = &texture;
  state.filter = filter;
  state.perspective = perspective;
  target.ClearAll(0x103010u);
  target.Draw(state, quad, QuadIndices());
}

TEST(SoftPictures, TextureFiltersOnARecedingCheckerboard) {
  const auto texture = Checkerboard(64, 8, 0xFF202020u, 0xFFE0E0E0u);
  const std::pair<d3d::Filter, const char*> filters[] = {
      {d3d::Filter::Nearest, "d3d_soft_04_texture_nearest"},
      {d3d::Filter::Linear, "d3d_soft_05_texture_bilinear"},
      {d3d::Filter::MipNearest, "d3d_soft_06_texture_mip_nearest"},
      {d3d::Filter::LinearMipLinear, "d3d_soft_07_texture_trilinear"}};
  for (const auto& [filter, name] : filters) {
    SoftTarget target(64, 64, PixelFormat::XRGB8888);
    DrawTexturedQuad(target, *texture, filter, true, RecedingQuad(2));
    EXPECT_TRUE(MatchesReference(target.ToPicture(), name));
  }
}

// A square of 4x4 pixels showing a 16x16 one-texel checkerboard: four texels to a pixel.
int GreyPixels(d3d::Filter filter) {
  const auto texture = Checkerboard(16, 1, 0xFF000000u, 0xFFFFFFFFu);
  SoftTarget target(4, 4, PixelFormat::XRGB8888);
  DrawTexturedQuad(target, *texture, filter, true,
                   {Vertex(0, 0, 0xFFFFFFFFu, 0.5f, 0, 0), Vertex(4, 0, 0xFFFFFFFFu, 0.5f, 1, 0),
                    Vertex(4, 4, 0xFFFFFFFFu, 0.5f, 1, 1), Vertex(0, 4, 0xFFFFFFFFu, 0.5f, 0, 1)});
  int grey = 0;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) grey += std::abs(Channel(target.RawAt(x, y), 8) - 128) <= 1 ? 1 : 0;
  }
  return grey;
}

TEST(SoftPictures, MipFiltersAverageMinifiedTexelsAndPlainFiltersDoNot) {
  EXPECT_EQ(GreyPixels(d3d::Filter::Nearest), 0);
  EXPECT_EQ(GreyPixels(d3d::Filter::MipNearest), 16);
  EXPECT_EQ(GreyPixels(d3d::Filter::MipLinear), 16);
  EXPECT_EQ(GreyPixels(d3d::Filter::LinearMipNearest), 16);
  EXPECT_EQ(GreyPixels(d3d::Filter::LinearMipLinear), 16);
}

TEST(SoftPictures, PerspectiveCorrectTexturingBendsTowardTheFarEnd) {
  // Left half of the texture black, right half white, across a quad whose right end is four times
  // as far: with perspective the boundary lies at 80% of the width, affinely at the middle.
  const std::vector<std::uint32_t> halves = {0xFF000000u, 0xFFFFFFFFu};
  const d3d::Texture texture(2, 1, halves);
  const std::vector<TLVertex> quad = {Vertex(0, 0, 0xFFFFFFFFu, 0.1f, 0, 0, 1.0f), Vertex(64, 0, 0xFFFFFFFFu, 0.9f, 1, 0, 0.25f),
                                      Vertex(64, 8, 0xFFFFFFFFu, 0.9f, 1, 1, 0.25f), Vertex(0, 8, 0xFFFFFFFFu, 0.1f, 0, 1, 1.0f)};
  SoftTarget target(64, 8, PixelFormat::XRGB8888);
  DrawTexturedQuad(target, texture, d3d::Filter::Nearest, true, quad);
  EXPECT_EQ(target.RawAt(50, 4), 0u);
  EXPECT_EQ(target.RawAt(52, 4), 0xFFFFFFu);
  DrawTexturedQuad(target, texture, d3d::Filter::Nearest, false, quad);
  EXPECT_EQ(target.RawAt(31, 4), 0u);
  EXPECT_EQ(target.RawAt(32, 4), 0xFFFFFFu);

  const auto checks = Checkerboard(64, 8, 0xFF802020u, 0xFFF0D060u);
  SoftTarget picture(64, 64, PixelFormat::XRGB8888);
  DrawTexturedQuad(picture, *checks, d3d::Filter::Linear, true, RecedingQuad(2));
  EXPECT_TRUE(MatchesReference(picture.ToPicture(), "d3d_soft_08_perspective_correct"));
  DrawTexturedQuad(picture, *checks, d3d::Filter::Linear, false, RecedingQuad(2));
  EXPECT_TRUE(MatchesReference(picture.ToPicture(), "d3d_soft_09_affine"));
}

TEST(SoftPictures, ColourKeyedTexelsLeaveHoles) {
  // A ring of magenta (the key) around a yellow centre on a texture of 8x8.
  std::vector<std::uint32_t> texels(64, 0xFFFFD000u);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      if (x == 0 || y == 0 || x == 7 || y == 7 || (x + y) % 5 == 0) texels[static_cast<std::size_t>(y * 8 + x)] = 0xFFFF00FFu;
    }
  }
  d3d::Texture texture(8, 8, texels);
  texture.SetColorKey(true, 0x00FF00FFu);
  const std::vector<TLVertex> quad = {Vertex(0, 0, 0xFFFFFFFFu, 0.5f, 0, 0), Vertex(64, 0, 0xFFFFFFFFu, 0.5f, 1, 0),
                                      Vertex(64, 64, 0xFFFFFFFFu, 0.5f, 1, 1), Vertex(0, 64, 0xFFFFFFFFu, 0.5f, 0, 1)};
  for (const auto& [filter, name] : {std::pair{d3d::Filter::Nearest, "d3d_soft_10_colour_key_nearest"},
                                     std::pair{d3d::Filter::Linear, "d3d_soft_11_colour_key_bilinear"}}) {
    SoftTarget target(64, 64, PixelFormat::XRGB8888);
    DrawTexturedQuad(target, texture, filter, true, quad);
    EXPECT_TRUE(MatchesReference(target.ToPicture(), name));
    int magenta = 0;
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        const std::uint32_t pixel = target.RawAt(x, y);
        magenta += (Channel(pixel, 16) > 128 && Channel(pixel, 0) > 128) ? 1 : 0;
      }
    }
    EXPECT_EQ(magenta, 0) << "the key colour showed or bled";
    EXPECT_EQ(target.RawAt(2, 30), 0x103010u);   // the border is a hole
    EXPECT_EQ(target.RawAt(28, 28), 0xFFD000u);  // texel (3, 3) is drawn
  }
}

TEST(SoftPictures, AlphaTestDiscardsAndBlendingMixes) {
  SoftTarget target(64, 64, PixelFormat::XRGB8888);
  target.ClearAll(0x000000u);
  d3d::DrawState state = FullState(64, 64);
  // Background stripes, then a white quad whose alpha rises from 0 at the left to 255 at the right,
  // blended over the top half and alpha-tested (greater than 128) over the bottom half.
  for (int stripe = 0; stripe < 8; ++stripe) {
    const auto x = static_cast<float>(stripe * 8);
    const std::uint32_t color = stripe % 2 ? 0xFF2040C0u : 0xFFC04020u;
    target.Draw(state, {Vertex(x, 0, color), Vertex(x + 8, 0, color), Vertex(x + 8, 64, color), Vertex(x, 64, color)},
                QuadIndices());
  }
  const auto quad = [](float top, float bottom) {
    return std::vector<TLVertex>{Vertex(0, top, 0x00FFFFFFu, 0.4f), Vertex(64, top, 0xFFFFFFFFu, 0.4f),
                                 Vertex(64, bottom, 0xFFFFFFFFu, 0.4f), Vertex(0, bottom, 0x00FFFFFFu, 0.4f)};
  };
  d3d::DrawState blended = state;
  blended.blend = true;
  target.Draw(blended, quad(0, 32), QuadIndices());
  d3d::DrawState tested = state;
  tested.alphaTest = true;
  tested.alphaFunc = d3d::Compare::Greater;
  tested.alphaRef = 128;
  target.Draw(tested, quad(32, 64), QuadIndices());
  EXPECT_TRUE(MatchesReference(target.ToPicture(), "d3d_soft_12_alpha_blend_and_test"));
  // Alpha at the centre of column x is 255*(x+0.5)/64: above 128 from column 32 on.
  EXPECT_EQ(target.RawAt(31, 40), 0x2040C0u);
  EXPECT_EQ(target.RawAt(32, 40), 0xFFFFFFu);
  // Blended: column 16 (alpha 66) over red-brown 0xC04020.
  const std::uint32_t mixed = target.RawAt(16, 10);
  EXPECT_NEAR(Channel(mixed, 16), 0xC0 + (255 - 0xC0) * 66 / 255, 1);
  EXPECT_NEAR(Channel(mixed, 0), 0x20 + (255 - 0x20) * 66 / 255, 1);
}

TEST(SoftPictures, AlphaFunctionsCompareAgainstTheReference) {
  const std::pair<d3d::Compare, bool> cases[] = {
      {d3d::Compare::Never, false},    {d3d::Compare::Less, false},     {d3d::Compare::Equal, true},
      {d3d::Compare::LessEqual, true}, {d3d::Compare::Greater, false},  {d3d::Compare::NotEqual, false},
      {d3d::Compare::GreaterEqual, true}, {d3d::Compare::Always, true}};
  for (const auto& [func, drawn] : cases) {
    SoftTarget target(4, 4, PixelFormat::XRGB8888);
    target.ClearAll(0);
    d3d::DrawState state = FullState(4, 4);
    state.alphaTest = true;
    state.alphaFunc = func;
    state.alphaRef = 0x60;
    const std::uint32_t color = 0x60FFFFFFu;
    target.Draw(state, {Vertex(0, 0, color), Vertex(4, 0, color), Vertex(4, 4, color), Vertex(0, 4, color)},
                QuadIndices());
    EXPECT_EQ(target.RawAt(1, 1), drawn ? 0xFFFFFFu : 0u) << static_cast<int>(func);
  }
}

TEST(SoftPictures, FogAndSpecularFollowTexturing) {
  const auto texture = Checkerboard(16, 4, 0xFF204080u, 0xFF80C040u);
  // Fog factor from 255 (left, clear) to 0 (right, all fog); a specular highlight on the lower half.
  std::vector<TLVertex> quad = {Vertex(0, 0, 0xFFFFFFFFu, 0.5f, 0, 0), Vertex(96, 0, 0xFFFFFFFFu, 0.5f, 3, 0),
                                Vertex(96, 32, 0xFFFFFFFFu, 0.5f, 3, 1), Vertex(0, 32, 0xFFFFFFFFu, 0.5f, 0, 1),
                                Vertex(0, 32, 0xFFFFFFFFu, 0.5f, 0, 0), Vertex(96, 32, 0xFFFFFFFFu, 0.5f, 3, 0),
                                Vertex(96, 64, 0xFFFFFFFFu, 0.5f, 3, 1), Vertex(0, 64, 0xFFFFFFFFu, 0.5f, 0, 1)};
  for (int i : {0, 3, 4, 7}) quad[static_cast<std::size_t>(i)].specular = 0xFF000000u;
  for (int i : {1, 2, 5, 6}) quad[static_cast<std::size_t>(i)].specular = 0x00000000u;
  for (int i : {4, 7}) quad[static_cast<std::size_t>(i)].specular |= 0x00606060u;
  SoftTarget target(96, 64, PixelFormat::XRGB8888);
  target.ClearAll(0);
  d3d::DrawState state = FullState(96, 64);
  state.texture = texture.get();
  state.fog = true;
  state.fogColor = 0x8090A0u;
  state.specular = true;
  std::vector<std::uint32_t> indices = QuadIndices(0);
  for (const std::uint32_t index : QuadIndices(4)) indices.push_back(index);
  target.Draw(state, quad, indices);
  EXPECT_TRUE(MatchesReference(target.ToPicture(), "d3d_soft_13_fog_and_specular"));
  // At the left almost no fog over a light texel; at the right almost all fog.
  EXPECT_NEAR(Channel(target.RawAt(0, 2), 16), 0x80, 1);
  EXPECT_NEAR(Channel(target.RawAt(0, 2), 8), 0xC0, 1);
  EXPECT_NEAR(Channel(target.RawAt(95, 2), 16), 0x80, 2);
  EXPECT_NEAR(Channel(target.RawAt(95, 2), 0), 0xA0, 2);
  // Specular (about 0x5F here) added to the light texel, green saturating before the fog.
  EXPECT_NEAR(Channel(target.RawAt(0, 36), 16), 0x80 + 0x5F, 2);
  EXPECT_NEAR(Channel(target.RawAt(0, 36), 8), 0xFE, 1);
}

TEST(SoftPictures, PointsAndWireframe) {
  SoftTarget target(64, 64, PixelFormat::XRGB8888, 16);
  target.ClearAll(0x101020u);
  const std::vector<TLVertex> vertices = {Vertex(6, 6, 0xFFFF4040u),   Vertex(58, 10, 0xFF40FF40u),
                                          Vertex(30, 58, 0xFF4040FFu), Vertex(10, 40, 0xFFFFFF40u),
                                          Vertex(50, 50, 0xFF40FFFFu), Vertex(32.5f, 28.5f, 0xFFFFFFFFu)};
  d3d::DrawState state = FullState(64, 64);
  state.fill = d3d::Fill::Wireframe;
  target.Draw(state, vertices, {0, 1, 2, 3, 5, 4});
  state.fill = d3d::Fill::Points;
  state.zTest = false;
  target.Draw(state, {Vertex(3.5f, 60.5f, 0xFFFFFFFFu), Vertex(60.9f, 60.1f, 0xFFFFFFFFu), Vertex(60, 2, 0xFFFFFFFFu)},
              {0, 1, 2});
  EXPECT_TRUE(MatchesReference(target.ToPicture(), "d3d_soft_14_points_and_wireframe"));
  EXPECT_EQ(target.RawAt(6, 6), 0xFF4040u);   // line ends are drawn
  EXPECT_EQ(target.RawAt(58, 10), 0x40FF40u);
  EXPECT_EQ(target.RawAt(3, 60), 0xFFFFFFu);  // points land in the pixel that holds them
  EXPECT_EQ(target.RawAt(60, 60), 0xFFFFFFu);
  EXPECT_EQ(target.RawAt(20, 30), 0x101020u);  // wireframe leaves the inside alone
}

// A horizontal ramp from black to orange-white over 128 pixels: top half dithered.
void DrawRamp(SoftTarget& target) {
  target.ClearAll(0);
  d3d::DrawState state = FullState(target.Width, target.Height);
  const auto w = static_cast<float>(target.Width), h = static_cast<float>(target.Height);
  const std::uint32_t dark = 0xFF000000u, light = 0xFFFFE0C0u;
  const std::vector<TLVertex> top = {Vertex(0, 0, dark), Vertex(w, 0, light), Vertex(w, h / 2, light), Vertex(0, h / 2, dark)};
  const std::vector<TLVertex> bottom = {Vertex(0, h / 2, dark), Vertex(w, h / 2, light), Vertex(w, h, light), Vertex(0, h, dark)};
  state.dither = true;
  target.Draw(state, top, QuadIndices());
  state.dither = false;
  target.Draw(state, bottom, QuadIndices());
}

// The mean red of a 4x4 block of a 565 target filled with red 103, which lies between the 5-bit
// levels 12 (99) and 13 (107), nearer 13.
double MeanRedOf103(bool dither) {
  SoftTarget target(4, 4, PixelFormat::RGB565);
  d3d::DrawState state = FullState(4, 4);
  state.dither = dither;
  const std::uint32_t color = 0xFF670000u;
  target.Draw(state, {Vertex(0, 0, color), Vertex(4, 0, color), Vertex(4, 4, color), Vertex(0, 4, color)}, QuadIndices());
  double sum = 0;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) sum += Channel(target.At(x, y), 16);
  }
  return sum / 16;
}

TEST(SoftPictures, DitheredGradientAt16Bits) {
  SoftTarget target(128, 32, PixelFormat::RGB565);
  DrawRamp(target);
  EXPECT_TRUE(MatchesReference(target.ToPicture(), "d3d_soft_15_dither_565"));
  // Rounding gives 107 everywhere; the dithered block averages to the true colour.
  EXPECT_EQ(MeanRedOf103(false), 107.0);
  EXPECT_NEAR(MeanRedOf103(true), 103.0, 0.6);
}

TEST(SoftPictures, PalettisedTargetUsesTheNearestEntries) {
  SoftTarget target(128, 32, PixelFormat::Palette8);
  // A small palette: eight shades of the ramp's colour, the rest unused black.
  for (int i = 0; i < 8; ++i) {
    const auto shade = [&](int full) { return static_cast<std::uint32_t>(full * i / 7); };
    target.Palette[static_cast<std::size_t>(i + 1)] = shade(0xFF) << 16 | shade(0xE0) << 8 | shade(0xC0);
  }
  target.Bind();
  DrawRamp(target);
  EXPECT_TRUE(MatchesReference(target.ToPicture(), "d3d_soft_16_palette8"));
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 128; ++x) ASSERT_LE(target.RawAt(x, y), 8u);
  }
  EXPECT_EQ(target.RawAt(127, 31), 8u);   // the lightest colour is entry 8
  EXPECT_EQ(target.RawAt(64, 24), 5u);    // about 0.5 of the way: 3.5/7 rounds to shade 4, entry 5
  // Dithering mixes neighbouring entries where plain rounding gives one.
  std::set<std::uint32_t> ditheredEntries, roundedEntries;
  for (int x = 76; x < 82; ++x) {  // just short of the boundary between entries 5 and 6 at 82
    ditheredEntries.insert(target.RawAt(x, 4));
    roundedEntries.insert(target.RawAt(x, 24));
  }
  EXPECT_GT(ditheredEntries.size(), roundedEntries.size());
  // A new palette in the same memory is noticed.
  target.Palette[1] = 0xFFE0C0u;
  target.Palette[8] = 0x0000FFu;
  DrawRamp(target);
  EXPECT_EQ(target.RawAt(127, 31), 1u);
}

TEST(SoftPictures, ClearOfAPalettisedTargetFindsTheExactEntry) {
  // Two entries within one cell of the inverse table: drawing may take either, a clear takes the
  // exact one.
  SoftTarget target(8, 8, PixelFormat::Palette8);
  target.Palette[1] = 0x101010u;
  target.Palette[2] = 0x131313u;
  target.Bind();
  target.ClearAll(0x131313u);
  EXPECT_EQ(target.RawAt(3, 3), 2u);
}

TEST(SoftPictures, TwentyFourBitTargetHoldsTheSamePictureAsThirtyTwo) {
  SoftTarget wide(64, 64, PixelFormat::XRGB8888, 24), packed(64, 64, PixelFormat::RGB888, 24);
  for (SoftTarget* target : {&wide, &packed}) {
    const auto texture = Checkerboard(64, 8, 0xFF202020u, 0xFFE0E0E0u);
    DrawTexturedQuad(*target, *texture, d3d::Filter::LinearMipLinear, true, RecedingQuad(4, 0xFFFFC080u));
  }
  EXPECT_EQ(wide.ToPicture().Pixels, packed.ToPicture().Pixels);
}

TEST(SoftPictures, TheSameSceneGivesTheSamePixels) {
  SoftTarget first(64, 64, PixelFormat::RGB565, 16), second(64, 64, PixelFormat::RGB565, 16);
  const auto texture = Checkerboard(32, 4, 0xFF402010u, 0xFF80FF20u);
  d3d::DrawState state = FullState(64, 64);
  state.texture = texture.get();
  state.filter = d3d::Filter::LinearMipNearest;
  state.blend = true;
  state.dither = true;
  for (SoftTarget* target : {&first, &second}) {
    DrawCrossing(*target, false);
    target->Draw(state, RecedingQuad(3, 0xC0FFFFFFu), QuadIndices());
  }
  EXPECT_EQ(first.Pixels, second.Pixels);
  EXPECT_EQ(first.DepthPixels, second.DepthPixels);
}

}  // namespace
}  // namespace soft_testing
