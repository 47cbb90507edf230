// The software rasterizer's pieces on their own: sub-pixel snapping, the edge walker behind the fill
// rule, vector floor, 5-6-5 packing, the inverse palette, dither thresholds and mip level choice.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/d3d/soft/ColorBuffer.h"
#include "platform/d3d/soft/Dither.h"
#include "platform/d3d/soft/EdgeWalker.h"
#include "platform/d3d/soft/FixedPoint.h"
#include "platform/d3d/soft/InversePalette.h"
#include "platform/d3d/soft/Sampler.h"

namespace d3d::soft {
namespace {

TEST(SoftFixedPoint, SnapsToTheNearestSubpixelStepWithHalvesUp) {
  EXPECT_EQ(ToFixed(0.0f), 0);
  EXPECT_EQ(ToFixed(1.0f), SubpixelScale);
  EXPECT_EQ(ToFixed(2.5f), 2 * SubpixelScale + SubpixelScale / 2);
  EXPECT_EQ(ToFixed(1.0f / 32.0f), 1);    // exactly half a step rounds up
  EXPECT_EQ(ToFixed(0.03f), 0);           // below half a step
  EXPECT_EQ(ToFixed(-1.0f / 32.0f), 0);   // half a step below zero rounds up to zero
  EXPECT_EQ(ToFixed(-0.04f), -1);
  EXPECT_EQ(ToFixed(-3.0f), -3 * SubpixelScale);
}

TEST(SoftFixedPoint, ClampsWildCoordinatesAndNaN) {
  const auto limit = static_cast<std::int32_t>(MaxCoordinate) * SubpixelScale;
  EXPECT_EQ(ToFixed(1e30f), limit);
  EXPECT_EQ(ToFixed(-1e30f), -limit);
  EXPECT_EQ(ToFixed(std::numeric_limits<float>::infinity()), limit);
  EXPECT_EQ(ToFixed(std::numeric_limits<float>::quiet_NaN()), -limit);
}

TEST(SoftFixedPoint, DivisionsRoundTowardTheirInfinities) {
  EXPECT_EQ(FloorDiv(7, 2), 3);
  EXPECT_EQ(FloorDiv(-7, 2), -4);
  EXPECT_EQ(FloorDiv(-8, 2), -4);
  EXPECT_EQ(CeilDiv(7, 2), 4);
  EXPECT_EQ(CeilDiv(-7, 2), -3);
  EXPECT_EQ(CeilDiv(8, 2), 4);
  // Rows and columns start at the first pixel centre at or after a coordinate.
  EXPECT_EQ(FirstCentreAtOrAfter(ToFixed(0.5f)), 0);   // exactly on a centre: that pixel
  EXPECT_EQ(FirstCentreAtOrAfter(ToFixed(0.5625f)), 1);
  EXPECT_EQ(FirstCentreAtOrAfter(ToFixed(-0.5f)), -1);
  EXPECT_EQ(FirstCentreAtOrAfter(ToFixed(-0.4375f)), 0);
}

// The walker must give ceil((x_edge(row centre) - 0.5) pixels) exactly, on every row, for edges of
// every slope; this compares it with the same value worked out in doubles from scratch.
TEST(SoftEdgeWalker, MatchesTheExactEdgeOnEveryRow) {
  const FixedPoint2 tops[] = {{0, 0}, {37, 5}, {-100, -13}, {160, 8}, {8, 8}};
  const FixedPoint2 bottoms[] = {{0, 400}, {500, 29}, {33, 611}, {-47, 300}, {8, 9}, {1000, 2000}};
  for (const FixedPoint2 top : tops) {
    for (const FixedPoint2 bottom : bottoms) {
      if (bottom.y <= top.y) continue;
      const int firstRow = FirstCentreAtOrAfter(top.y);
      EdgeWalker walker(top, bottom, firstRow);
      for (int row = firstRow; row * SubpixelScale + SubpixelScale / 2 < bottom.y; ++row) {
        const double centre = row * SubpixelScale + SubpixelScale / 2.0;
        const double x = top.x + (centre - top.y) * (bottom.x - top.x) / (bottom.y - top.y);
        const auto expected = static_cast<int>(std::ceil((x - SubpixelScale / 2.0) / SubpixelScale - 1e-12));
        ASSERT_EQ(walker.X(), expected) << "edge (" << top.x << "," << top.y << ")-(" << bottom.x << ","
                                        << bottom.y << ") row " << row;
        walker.Step();
      }
    }
  }
}

TEST(SoftEdgeWalker, AnEdgeThroughPixelCentresIncludesThem) {
  // A vertical edge at x = 2.5 pixels runs through the centres of column 2: column 2 is the first
  // at or right of it (drawn when the edge is a left edge, the first undrawn one when it is a right edge).
  EdgeWalker walker({ToFixed(2.5f), ToFixed(0.0f)}, {ToFixed(2.5f), ToFixed(10.0f)}, 0);
  for (int row = 0; row < 10; ++row, walker.Step()) EXPECT_EQ(walker.X(), 2);
  // Started part way down it gives the same.
  EXPECT_EQ(EdgeWalker({ToFixed(2.5f), ToFixed(0.0f)}, {ToFixed(2.5f), ToFixed(10.0f)}, 7).X(), 2);
}

TEST(SoftSimd, FloorRoundsDownOnBothSidesOfZero) {
  const F4 floored = Floor(F4{-1.5f, -1.0f, 0.25f, 2.0f});
  EXPECT_EQ(floored[0], -2.0f);
  EXPECT_EQ(floored[1], -1.0f);
  EXPECT_EQ(floored[2], 0.0f);
  EXPECT_EQ(floored[3], 2.0f);
}

Color4 Channels(float r, float g, float b) { return {Splat(r), Splat(g), Splat(b), Splat(255.0f)}; }

TEST(Soft565, PacksWithRoundingAndUnpacksByReplication) {
  EXPECT_EQ(Pack565(Channels(255, 255, 255), kRoundingThresholds)[0], 0xFFFFu);
  EXPECT_EQ(Pack565(Channels(0, 0, 0), kRoundingThresholds)[0], 0x0000u);
  EXPECT_EQ(Pack565(Channels(255, 0, 0), kRoundingThresholds)[0], 0xF800u);
  EXPECT_EQ(Pack565(Channels(0, 255, 0), kRoundingThresholds)[0], 0x07E0u);
  EXPECT_EQ(Pack565(Channels(0, 0, 255), kRoundingThresholds)[0], 0x001Fu);
  // 128 is 15.56 of 31 red steps and 32.0 of 63 green ones.
  EXPECT_EQ(Pack565(Channels(128, 128, 128), kRoundingThresholds)[0], (16u << 11) | (32u << 5) | 16u);
  // Every 5-6-5 word survives unpacking and packing again.
  for (std::uint32_t word = 0; word < 0x10000u; word += 7) {
    const U4 words = {word, word, word, word};
    ASSERT_EQ(Pack565(Unpack565(words), kRoundingThresholds)[0], word);
  }
  const Color4 white = Unpack565(U4{0xFFFFu, 0, 0, 0});
  EXPECT_EQ(white.r[0], 255.0f);
  EXPECT_EQ(white.g[0], 255.0f);
  EXPECT_EQ(white.b[0], 255.0f);
}

TEST(Soft565, DitherNeverLeavesTheChannelRange) {
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const U4 white = Pack565(Channels(255, 255, 255), DitherThresholds(x, y));
      const U4 black = Pack565(Channels(0, 0, 0), DitherThresholds(x, y));
      for (int lane = 0; lane < 4; ++lane) {
        EXPECT_EQ(white[lane], 0xFFFFu);
        EXPECT_EQ(black[lane], 0u);
      }
    }
  }
}

TEST(SoftDither, ThresholdsOfA4x4BlockAreSixteenEvenSteps) {
  std::vector<float> seen;
  for (int y = 0; y < 4; ++y) {
    const F4 row = DitherThresholds(0, y);
    for (int lane = 0; lane < 4; ++lane) seen.push_back(row[lane]);
    // The pattern repeats every four pixels, from any starting column.
    EXPECT_EQ(DitherThresholds(5, y)[0], row[1]);
    EXPECT_EQ(DitherThresholds(6, y + 4)[3], row[1]);
  }
  std::sort(seen.begin(), seen.end());
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(seen[static_cast<std::size_t>(i)], (i + 0.5f) / 16.0f);
}

TEST(SoftInversePalette, FindsTheNearestEntry) {
  std::array<std::uint32_t, 256> palette{};
  palette.fill(0x000000u);
  palette[1] = 0xFF0000u;
  palette[2] = 0x00FF00u;
  palette[3] = 0x0000FFu;
  palette[4] = 0xFFFFFFu;
  palette[5] = 0x808080u;
  EXPECT_EQ(InversePalette::Nearest(palette.data(), 0xF01010u), 1);
  EXPECT_EQ(InversePalette::Nearest(palette.data(), 0x909090u), 5);
  EXPECT_EQ(InversePalette::Nearest(palette.data(), 0x101010u), 0);  // the lowest of the equal blacks
  InversePalette table;
  table.Update(palette.data());
  const int top = InversePalette::kLevels - 1;
  EXPECT_EQ(table.Lookup(top, 0, 0), 1);
  EXPECT_EQ(table.Lookup(0, top, 0), 2);
  EXPECT_EQ(table.Lookup(0, 0, top), 3);
  EXPECT_EQ(table.Lookup(top, top, top), 4);
  EXPECT_EQ(table.Lookup(top / 2, top / 2, top / 2), 5);
  EXPECT_EQ(ExpandLevel(0), 0);
  EXPECT_EQ(ExpandLevel(top), 255);
}

TEST(SoftInversePalette, RebuildsWhenTheContentsChange) {
  std::array<std::uint32_t, 256> palette{};
  palette[7] = 0xFFFFFFu;
  InversePalette table;
  table.Update(palette.data());
  const int top = InversePalette::kLevels - 1;
  EXPECT_EQ(table.Lookup(top, top, top), 7);
  // Same memory, new contents: the table must notice.
  palette[7] = 0x000000u;
  palette[9] = 0xFFFFFFu;
  table.Update(palette.data());
  EXPECT_EQ(table.Lookup(top, top, top), 9);
}

TEST(SoftMipLod, IsLog2OfTheLongerFootprint) {
  EXPECT_FLOAT_EQ(MipLod(1.0f, 0.5f), 0.0f);    // one texel per pixel
  EXPECT_FLOAT_EQ(MipLod(4.0f, 16.0f), 2.0f);   // four texels per pixel along y
  EXPECT_FLOAT_EQ(MipLod(0.25f, 0.0f), -1.0f);  // magnified twice
  EXPECT_NEAR(MipLod(8.0f, 0.0f), 1.5f, 0.05f);
  EXPECT_LT(MipLod(0.0f, 0.0f), -30.0f);        // no footprint at all
  for (float lengthSquared = 0.01f; lengthSquared < 1e6f; lengthSquared *= 1.37f) {
    EXPECT_NEAR(MipLod(lengthSquared, 0.0f), 0.5f * std::log2(lengthSquared), 0.05f);
  }
}

}  // namespace
}  // namespace d3d::soft
