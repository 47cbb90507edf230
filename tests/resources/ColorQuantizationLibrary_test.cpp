#include "resources/ColorQuantizationLibrary.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <vector>

#include "platform/rtl/Exceptions.h"

void PrintTo(const TPaletteEntry& e, std::ostream* out) {
  *out << "rgb(" << int(e.Red) << "," << int(e.Green) << "," << int(e.Blue) << "," << int(e.Reserved) << ")";
}

namespace {

struct TRgb {
  std::uint8_t Red, Green, Blue;
};

TPaletteEntry Entry(TRgb c) { return TPaletteEntry{c.Blue, c.Green, c.Red, 0}; }

std::vector<TPaletteEntry> PaletteOf(TColorQuantizer& quantizer) {
  std::vector<TPaletteEntry> palette(256, Entry({1, 2, 3}));
  palette.resize(quantizer.GetPalette(palette));
  return palette;
}

std::int32_t IndexOf(const TColorQuantizer& quantizer, TRgb c) {
  return quantizer.GetColorIndex(c.Red, c.Green, c.Blue);
}

void AddAll(TColorQuantizer& quantizer, const std::vector<TRgb>& colours) {
  for (const TRgb& c : colours) quantizer.AddColor(c.Red, c.Green, c.Blue);
}

TEST(ColorQuantizerTest, ColoursSharingTheSignificantBitsShareAnAveragedLeaf) {
  TColorQuantizer same(256, 5);
  for (int i = 0; i < 1000; ++i) same.AddColor(12, 34, 56);
  EXPECT_EQ(PaletteOf(same), std::vector<TPaletteEntry>{Entry({12, 34, 56})});

  TColorQuantizer lowBits(256, 5);
  AddAll(lowBits, {{200, 100, 50}, {207, 103, 55}});
  EXPECT_EQ(PaletteOf(lowBits), std::vector<TPaletteEntry>{Entry({203, 101, 52})});
}

TEST(ColorQuantizerTest, PaletteFollowsTreeOrderNotAddingOrder) {
  TColorQuantizer quantizer(256, 5);
  // Red, then green, then blue bit decide at each level, from the most significant bit down.
  const std::vector<TRgb> colours{{255, 255, 255}, {255, 0, 0},  {0, 255, 0}, {0, 0, 255},
                                  {0x40, 0, 0},    {0, 0x40, 0}, {0, 0, 0}};
  AddAll(quantizer, colours);
  const std::vector<TPaletteEntry> palette = PaletteOf(quantizer);
  ASSERT_EQ(palette.size(), colours.size());
  for (std::size_t i = 0; i < colours.size(); ++i) {
    EXPECT_EQ(IndexOf(quantizer, colours[i]), int(colours.size() - 1 - i));
    EXPECT_EQ(palette[colours.size() - 1 - i], Entry(colours[i]));
  }
}

// Group g: eight colours below one node of level 4, each a leaf of its own.
TRgb GroupColour(int group, int child) {
  const auto bit = [child](int shift) { return ((child >> shift) & 1) << 3; };
  return TRgb{std::uint8_t(((group % 16) << 4) | bit(2) | 4), std::uint8_t(((group / 16) << 4) | bit(1) | 4),
              std::uint8_t(bit(0) | 4)};
}

TEST(ColorQuantizerTest, OverTheLimitFoldsTheMostRecentDeepestNodes) {
  TColorQuantizer quantizer(256, 5);
  for (int colour = 0; colour < 256; ++colour) AddAll(quantizer, {GroupColour(colour / 8, colour % 8)});
  ASSERT_EQ(quantizer.LeafTotal(), 256);

  // The 257th colour opens group 32; folding that one-leaf group frees nothing, so group 31 follows.
  const TRgb last = GroupColour(32, 0);
  AddAll(quantizer, {last});
  EXPECT_EQ(quantizer.LeafTotal(), 250);
  const std::vector<TPaletteEntry> palette = PaletteOf(quantizer);
  ASSERT_EQ(palette.size(), 250u);
  const std::int32_t folded = IndexOf(quantizer, GroupColour(31, 0));
  EXPECT_EQ(palette[folded], Entry({248, 24, 8}));
  EXPECT_EQ(IndexOf(quantizer, GroupColour(31, 7)), folded);
  EXPECT_EQ(palette[IndexOf(quantizer, last)], Entry(last));
  EXPECT_NE(IndexOf(quantizer, GroupColour(30, 0)), IndexOf(quantizer, GroupColour(30, 1)));
}

// A limit the tree cannot meet used to loop for ever.
TEST(ColorQuantizerTest, UnreachableLimitStopsAtOneLeaf) {
  const std::vector<TRgb> colours{{0, 0, 0}, {255, 255, 255}, {30, 60, 90}};
  TColorQuantizer none(0, 5);
  AddAll(none, colours);
  EXPECT_EQ(PaletteOf(none), std::vector<TPaletteEntry>{Entry({95, 105, 115})});
  EXPECT_EQ(IndexOf(none, colours[1]), 0);
  TColorQuantizer flat(0, 0);
  AddAll(flat, colours);
  EXPECT_EQ(flat.LeafTotal(), 1);
}

// Looking up a path never added used to descend into an absent child.
TEST(ColorQuantizerTest, MisuseRaises) {
  EXPECT_THROW(TColorQuantizer(256, 9), rtl::EAssertionFailed);
  EXPECT_THROW(TColorQuantizer(256, -1), rtl::EAssertionFailed);
  TColorQuantizer quantizer(256, 8);
  EXPECT_THROW(quantizer.GetColorIndex(1, 2, 3), rtl::Exception);
  AddAll(quantizer, {{0, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}});
  EXPECT_THROW(quantizer.GetColorIndex(0, 0, 1), rtl::Exception);

  std::array<TPaletteEntry, 3> entries{};
  EXPECT_EQ(quantizer.GetPalette(std::span(entries).first(2)), 2);
  EXPECT_EQ(entries[1], Entry({0, 0, 255}));
  EXPECT_EQ(entries[2], TPaletteEntry{});
  EXPECT_EQ(quantizer.GetColorIndex(255, 0, 0), 3);  // leaves past the entries are numbered all the same
}

}  // namespace
