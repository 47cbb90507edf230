#include "resources/ColorQuantizationLibrary.h"

#include <algorithm>
#include <cstddef>
#include <string>

#include "platform/rtl/Exceptions.h"

namespace {

// The child a colour takes below a node of `level`: one bit of each component, most significant first.
int ChildIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue, int level) {
  const int shift = 7 - level;
  return (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
}

}  // namespace

TColorQuantizer::TColorQuantizer(std::int32_t colorLimit, std::int32_t levels)
    : FColorLimit(colorLimit), FLevels(levels) {
  if (levels < 0 || levels > kMaxLevels) {
    throw rtl::EAssertionFailed("TColorQuantizer levels " + std::to_string(levels) + " outside 0..8");
  }
}

// The tree is at most Levels + 1 deep, so freeing it node by node never recurses far.
TColorQuantizer::~TColorQuantizer() = default;

std::unique_ptr<TOctreeNode> TColorQuantizer::CreateNode(int level) {
  auto node = std::make_unique<TOctreeNode>();
  node->Leaf = level == FLevels;
  if (node->Leaf) {
    ++FLeafTotal;
  } else {
    node->NextReducible = FReducibleLists[level];
    FReducibleLists[level] = node.get();
  }
  return node;
}

void TColorQuantizer::AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  std::unique_ptr<TOctreeNode>* slot = &FRoot;
  for (int level = 0;; ++level) {
    if (!*slot) *slot = CreateNode(level);
    TOctreeNode& node = **slot;
    if (node.Leaf) {
      ++node.PixelCount;
      node.SumRed += red;
      node.SumGreen += green;
      node.SumBlue += blue;
      break;
    }
    slot = &node.Children[ChildIndex(red, green, blue, level)];
  }
  // A limit below 1 cannot be met: folding stops once the whole tree is one leaf.
  while (FLeafTotal > FColorLimit && Reduce()) {
  }
}

bool TColorQuantizer::Reduce() {
  TOctreeNode* node = PopReducible();
  if (node == nullptr) return false;
  // Every deeper level's list is empty, so the children are all leaves.
  int folded = 0;
  for (auto& child : node->Children) {
    if (!child) continue;
    node->PixelCount += child->PixelCount;
    node->SumRed += child->SumRed;
    node->SumGreen += child->SumGreen;
    node->SumBlue += child->SumBlue;
    child.reset();
    ++folded;
  }
  node->Leaf = true;
  FLeafTotal += 1 - folded;
  return true;
}

TOctreeNode* TColorQuantizer::PopReducible() {
  for (int level = FLevels - 1; level >= 0; --level) {
    TOctreeNode* node = FReducibleLists[level];
    if (node == nullptr) continue;
    FReducibleLists[level] = node->NextReducible;
    node->NextReducible = nullptr;
    return node;
  }
  return nullptr;
}

int TColorQuantizer::GetPalette(std::span<TPaletteEntry> entries) {
  int next = 0;
  if (FRoot) NumberLeaves(*FRoot, entries, next);
  return std::min(next, static_cast<int>(entries.size()));
}

void TColorQuantizer::NumberLeaves(TOctreeNode& node, std::span<TPaletteEntry> entries, int& next) {
  if (!node.Leaf) {
    for (auto& child : node.Children) {
      if (child) NumberLeaves(*child, entries, next);
    }
    return;
  }
  node.PaletteIndex = next;
  if (static_cast<std::size_t>(next) < entries.size()) {
    entries[next] = TPaletteEntry{static_cast<std::uint8_t>(node.SumBlue / node.PixelCount),
                                  static_cast<std::uint8_t>(node.SumGreen / node.PixelCount),
                                  static_cast<std::uint8_t>(node.SumRed / node.PixelCount), 0};
  }
  ++next;
}

std::int32_t TColorQuantizer::GetColorIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
  const TOctreeNode* node = FRoot.get();
  for (int level = 0; node != nullptr && !node->Leaf; ++level) {
    node = node->Children[ChildIndex(red, green, blue, level)].get();
  }
  if (node == nullptr) {
    throw rtl::Exception("TColorQuantizer GetColorIndex: colour " + std::to_string(red) + ", " +
                         std::to_string(green) + ", " + std::to_string(blue) + " was never added");
  }
  return node->PaletteIndex;
}
