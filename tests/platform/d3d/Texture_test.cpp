// The texture the devices sample: the mip chain's sizes and box-filtered texels, colour keys kept
// through the chain, and rebuilding with a new version when texels or key change.

#include "platform/d3d/Texture.h"

#include <gtest/gtest.h>

#include <vector>

namespace d3d {
namespace {

std::vector<std::pair<int, int>> LevelSizes(const Texture& texture) {
  std::vector<std::pair<int, int>> sizes;
  for (int i = 0; i < texture.LevelCount(); ++i) sizes.emplace_back(texture.Level(i).width, texture.Level(i).height);
  return sizes;
}

TEST(Texture, LevelsHalveDownToOneByOne) {
  const std::vector<std::uint32_t> texels(64 * 64);
  using Sizes = std::vector<std::pair<int, int>>;
  EXPECT_EQ(LevelSizes(Texture(8, 2, texels)), (Sizes{{8, 2}, {4, 1}, {2, 1}, {1, 1}}));
  EXPECT_EQ(LevelSizes(Texture(5, 7, texels)), (Sizes{{5, 7}, {2, 3}, {1, 1}}));
  EXPECT_EQ(LevelSizes(Texture(1, 1, texels)), (Sizes{{1, 1}}));
  EXPECT_EQ(Texture(64, 64, texels).LevelCount(), 7);
}

TEST(Texture, BoxFilterAveragesEachTwoByTwoWithRounding) {
  // 2x2 -> 1x1: channels averaged separately, halves rounded up.
  const std::vector<std::uint32_t> texels = {0xFF000000u, 0xFF0000FFu, 0x00FF0001u, 0x01000100u};
  const Texture texture(2, 2, texels);
  // a: (255+255+0+1)/4 = 127.75 -> 128; r: (0+0+255+0)/4 -> 64; g: (0+0+0+1)/4 -> 0; b: (0+255+1+0)/4 -> 64
  EXPECT_EQ(texture.Level(1).texels[0], 0x80400040u);
}

TEST(Texture, OddSizesAverageEveryTexelOfTheLevelAbove) {
  // 3x1 -> 1x1 takes all three texels: a 1-texel-wide stripe is not lost.
  const std::vector<std::uint32_t> texels = {0xFF000000u, 0xFF000000u, 0xFFFFFFFFu};
  const Texture texture(3, 1, texels);
  EXPECT_EQ(texture.Level(1).texels[0], 0xFF555555u);
  // 5 columns into 2: boxes of 2 and 3 texels.
  const std::vector<std::uint32_t> row = {0xFF000010u, 0xFF000030u, 0xFF000000u, 0xFF000003u, 0xFF000006u};
  const Texture five(5, 1, row);
  EXPECT_EQ(five.Level(1).texels[0], 0xFF000020u);
  EXPECT_EQ(five.Level(1).texels[1], 0xFF000003u);
}

TEST(Texture, ColourKeyedTexelsStayOutOfTheMeanAndMostlyKeyedBoxesStayKeyed) {
  const std::uint32_t key = 0xFF00FFu;
  // 4x2: left box has one keyed texel, right box three.
  const std::vector<std::uint32_t> texels = {0xFF101010u, 0xFFFF00FFu, 0xFFFF00FFu, 0xFFFF00FFu,
                                             0xFF202020u, 0xFF303030u, 0xFFFF00FFu, 0xFF404040u};
  Texture texture(4, 2, texels);
  // Unkeyed: a plain mean, in which the magenta pulls the colour.
  EXPECT_NE(texture.Level(1).texels[0] & 0xFFFFFFu, 0x202020u);
  texture.SetColorKey(true, 0xFFFF00FFu);  // alpha is ignored
  EXPECT_EQ(texture.KeyColor(), key);
  EXPECT_EQ(texture.Level(1).texels[0], 0xFF202020u);  // mean of the three unkeyed texels
  EXPECT_EQ(texture.Level(1).texels[1] & 0xFFFFFFu, key);
  EXPECT_EQ(texture.Level(0).texels[2], 0xFFFF00FFu);  // level 0 untouched
}

TEST(Texture, SetPixelsRebuildsTheLevelsAndMovesTheVersionOn) {
  std::vector<std::uint32_t> texels(4 * 4, 0xFF000000u);
  Texture texture(4, 4, texels);
  const std::uint32_t first = texture.Version();
  EXPECT_EQ(texture.Level(2).texels[0], 0xFF000000u);
  texels.assign(16, 0xFFFFFFFFu);
  texture.SetPixels(texels);
  EXPECT_NE(texture.Version(), first);
  EXPECT_EQ(texture.Level(0).texels[15], 0xFFFFFFFFu);
  EXPECT_EQ(texture.Level(1).texels[3], 0xFFFFFFFFu);
  EXPECT_EQ(texture.Level(2).texels[0], 0xFFFFFFFFu);
}

TEST(Texture, ColourKeyChangesMoveTheVersionOnOnlyWhenTheyChangeSomething) {
  const std::vector<std::uint32_t> texels(4, 0xFF123456u);
  Texture texture(2, 2, texels);
  const std::uint32_t start = texture.Version();
  texture.SetColorKey(false, 0);
  EXPECT_EQ(texture.Version(), start);
  texture.SetColorKey(true, 0x123456u);
  EXPECT_TRUE(texture.ColorKeyEnabled());
  const std::uint32_t keyed = texture.Version();
  EXPECT_NE(keyed, start);
  texture.SetColorKey(true, 0x123456u);
  EXPECT_EQ(texture.Version(), keyed);
  texture.SetColorKey(true, 0x654321u);
  EXPECT_NE(texture.Version(), keyed);
}

}  // namespace
}  // namespace d3d

// Unkeyed even levels take a packed shortcut; a key that matches no texel takes the general box
// filter. Both must give the same levels, byte for byte.
TEST(Texture, PackedHalvingGivesTheSameLevelsAsTheBoxFilter) {
  std::vector<std::uint32_t> texels(64 * 32);
  std::uint32_t seed = 12345;
  for (std::uint32_t& t : texels) {
    seed = seed * 1664525u + 1013904223u;
    t = seed & 0xFFFEFFFFu;  // a green bit clear: never the white key below
  }
  d3d::Texture packed(64, 32, texels);
  d3d::Texture filtered(64, 32, texels);
  filtered.SetColorKey(true, 0xFFFFFFFFu);
  ASSERT_EQ(packed.LevelCount(), filtered.LevelCount());
  for (int level = 1; level < packed.LevelCount(); ++level) {
    const auto& a = packed.Level(level);
    const auto& b = filtered.Level(level);
    ASSERT_EQ(a.width * a.height, b.width * b.height);
    for (int i = 0; i < a.width * a.height; ++i)
      ASSERT_EQ(a.texels[i], b.texels[i]) << "level " << level << " texel " << i;
  }
}
