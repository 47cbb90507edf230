#include "platform/d3d/Texture.h"

#include <algorithm>
#include <cassert>

namespace d3d {

namespace {

constexpr std::uint32_t kRgbMask = 0x00FFFFFFu;

// A level's size: half the one above, rounded down, never below 1.
int HalfSize(int size) { return std::max(1, size / 2); }

std::size_t TexelCount(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// Sums of the channels of the texels in one box of the level above.
struct BoxSum {
  std::uint32_t channel[4] = {};  // b, g, r, a
  std::uint32_t count = 0;
  std::uint32_t keyed = 0;

  void Add(std::uint32_t texel) {
    for (int c = 0; c < 4; ++c) channel[c] += (texel >> (8 * c)) & 0xFFu;
    ++count;
  }

  // The rounded mean of what was added.
  std::uint32_t Mean() const {
    std::uint32_t texel = 0;
    for (int c = 0; c < 4; ++c) texel |= ((channel[c] + count / 2) / count) << (8 * c);
    return texel;
  }
};

// One texel of a smaller level: the mean of the box of texels it covers in the level above (2x2 for
// even sizes; boxes of 2 or 3 where a size is odd, so that every texel above is used). With a colour
// key, keyed texels stay out of the mean, and a box that is mostly keyed stays keyed: a decal keeps
// its holes at a distance, and their colour never bleeds into its edges.
std::uint32_t BoxFilter(const TextureLevel& above, int x0, int x1, int y0, int y1, bool keyed, std::uint32_t key) {
  BoxSum sum;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const std::uint32_t texel = above.texels[static_cast<std::size_t>(y) * above.width + x];
      if (keyed && (texel & kRgbMask) == key) {
        ++sum.keyed;
      } else {
        sum.Add(texel);
      }
    }
  }
  if (sum.count == 0 || sum.keyed * 2 > sum.count + sum.keyed) return key;
  return sum.Mean();
}

// The rounded mean of four texels, two channels at a time in 16-bit lanes (four sums of at most
// 1020 fit): the same value as the box filter's, for the common case of a 2x2 box without a key.
std::uint32_t Mean4(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
  constexpr std::uint32_t kLanes = 0x00FF00FFu, kHalf = 0x00020002u;
  const std::uint32_t even = ((a & kLanes) + (b & kLanes) + (c & kLanes) + (d & kLanes) + kHalf) >> 2;
  const std::uint32_t odd =
      (((a >> 8) & kLanes) + ((b >> 8) & kLanes) + ((c >> 8) & kLanes) + ((d >> 8) & kLanes) + kHalf) >> 2;
  return (even & kLanes) | (odd & kLanes) << 8;
}

// A level of exactly half the size above, without a key: every texel is the mean of a 2x2 box.
void HalveEven(const TextureLevel& above, int width, int height, std::uint32_t* texels) {
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* top = above.texels + static_cast<std::size_t>(2 * y) * above.width;
    const std::uint32_t* bottom = top + above.width;
    std::uint32_t* out = texels + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) out[x] = Mean4(top[2 * x], top[2 * x + 1], bottom[2 * x], bottom[2 * x + 1]);
  }
}

// Any level: each texel the box filter of the texels it covers above.
void FilterBoxes(const TextureLevel& above, int width, int height, bool keyed, std::uint32_t key,
                 std::uint32_t* texels) {
  for (int y = 0; y < height; ++y) {
    const int y0 = y * above.height / height, y1 = (y + 1) * above.height / height;
    for (int x = 0; x < width; ++x) {
      const int x0 = x * above.width / width, x1 = (x + 1) * above.width / width;
      texels[static_cast<std::size_t>(y) * width + x] = BoxFilter(above, x0, x1, y0, y1, keyed, key);
    }
  }
}

// The next texture's id. Textures are made on the program's one thread.
std::uint64_t NextId() {
  static std::uint64_t next = 0;
  return ++next;
}

}  // namespace

Texture::Texture(int width, int height, std::span<const std::uint32_t> texels)
    : FId(NextId()), FWidth(std::max(1, width)), FHeight(std::max(1, height)) {
  SetPixels(texels);
}

void Texture::SetPixels(std::span<const std::uint32_t> texels) {
  assert(texels.size() >= TexelCount(FWidth, FHeight) && "Texture::SetPixels: too few texels for the size");
  std::size_t total = 0;
  for (int w = FWidth, h = FHeight;; w = HalfSize(w), h = HalfSize(h)) {
    total += TexelCount(w, h);
    if (w == 1 && h == 1) break;
  }
  FStorage.resize(total);
  std::copy_n(texels.begin(), std::min(texels.size(), TexelCount(FWidth, FHeight)), FStorage.begin());
  BuildLevels();
}

std::span<std::uint32_t> Texture::Pixels() { return {FStorage.data(), TexelCount(FWidth, FHeight)}; }

void Texture::SetColorKey(bool enabled, std::uint32_t keyColor) {
  if (enabled == FColorKey && (keyColor & kRgbMask) == FKeyColor) return;
  FColorKey = enabled;
  FKeyColor = keyColor & kRgbMask;
  BuildLevels();  // the smaller levels keep the key's holes
}

void Texture::BuildLevels() {
  FLevels.clear();
  FLevels.push_back({FWidth, FHeight, FStorage.data()});
  std::size_t offset = TexelCount(FWidth, FHeight);
  while (FLevels.back().width > 1 || FLevels.back().height > 1) {
    const TextureLevel above = FLevels.back();
    const int width = HalfSize(above.width);
    const int height = HalfSize(above.height);
    std::uint32_t* texels = FStorage.data() + offset;
    if (!FColorKey && above.width == 2 * width && above.height == 2 * height) {
      HalveEven(above, width, height, texels);
    } else {
      FilterBoxes(above, width, height, FColorKey, FKeyColor, texels);
    }
    FLevels.push_back({width, height, texels});
    offset += TexelCount(width, height);
  }
  ++FVersion;
}

}  // namespace d3d
