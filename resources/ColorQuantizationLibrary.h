#pragma once

// Octree colour quantizer: reduces the colours of a true-colour picture to a palette of at most a
// given number of entries and maps colours to palette indices. Used in three passes: AddColor for
// every pixel, GetPalette once, then GetColorIndex for every pixel.

#include <array>
#include <cstdint>
#include <memory>
#include <span>

// One palette entry as 8-bit palettised pictures store it.
struct TPaletteEntry {
  std::uint8_t Blue;
  std::uint8_t Green;
  std::uint8_t Red;
  std::uint8_t Reserved;

  bool operator==(const TPaletteEntry&) const = default;
};
static_assert(sizeof(TPaletteEntry) == 4);

// A node of the colour octree: a palette colour when a leaf, otherwise up to eight subtrees.
struct TOctreeNode {
  bool Leaf = false;
  std::int32_t PixelCount = 0;
  std::int32_t SumRed = 0;
  std::int32_t SumGreen = 0;
  std::int32_t SumBlue = 0;
  std::int32_t PaletteIndex = 0;
  // Next node of the same level still waiting to be folded; not owned.
  TOctreeNode* NextReducible = nullptr;
  // Indexed by (red bit << 2) | (green bit << 1) | blue bit at the node's level.
  std::array<std::unique_ptr<TOctreeNode>, 8> Children;
};

class TColorQuantizer {
 public:
  static constexpr int kMaxLevels = 8;

  // levels: the bits per component that tell colours apart, 0..8.
  TColorQuantizer(std::int32_t colorLimit, std::int32_t levels);
  ~TColorQuantizer();
  TColorQuantizer(const TColorQuantizer&) = delete;
  TColorQuantizer& operator=(const TColorQuantizer&) = delete;

  std::int32_t LeafTotal() const { return FLeafTotal; }
  std::int32_t ColorLimit() const { return FColorLimit; }
  std::int32_t Levels() const { return FLevels; }

  void AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  // Numbers the leaves depth-first and writes the entries that fit; returns how many it wrote.
  int GetPalette(std::span<TPaletteEntry> entries);
  // The palette index of an added colour, valid after GetPalette.
  std::int32_t GetColorIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const;

 private:
  std::unique_ptr<TOctreeNode> CreateNode(int level);
  // Folds one node's children into it; false when no node is left to fold.
  bool Reduce();
  // Takes the deepest level's most recently created node that is not a leaf.
  TOctreeNode* PopReducible();
  void NumberLeaves(TOctreeNode& node, std::span<TPaletteEntry> entries, int& next);

  std::unique_ptr<TOctreeNode> FRoot;
  std::int32_t FLeafTotal = 0;
  // Nodes of each level that are not leaves, most recently created first.
  std::array<TOctreeNode*, kMaxLevels> FReducibleLists{};
  std::int32_t FColorLimit;
  std::int32_t FLevels;
};
