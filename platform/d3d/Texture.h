#pragma once

// A texture as the rasterizer devices sample it: 32-bit texels (0xAARRGGBB, rows from the top) with
// a chain of mip levels down to 1x1, built when the texture is made and again when its pixels change.
// The retained-mode layer converts every image format into this one, once.

#include <cstdint>
#include <span>
#include <vector>

namespace d3d {

struct TextureLevel {
  int width = 0;
  int height = 0;
  const std::uint32_t* texels = nullptr;
};

class Texture {
 public:
  // Sizes of at least 1; powers of two sample fastest.
  Texture(int width, int height, std::span<const std::uint32_t> texels);
  Texture(const Texture&) = delete;
  Texture& operator=(const Texture&) = delete;

  // New texels of the same size: the levels are rebuilt and the version moves on.
  void SetPixels(std::span<const std::uint32_t> texels);
  // The largest level, to be written in place (a picture converted straight into the texture, with
  // no copy on the way); PixelsChanged then rebuilds the levels and moves the version on.
  std::span<std::uint32_t> Pixels();
  void PixelsChanged() { BuildLevels(); }
  // Decal transparency: texels whose colour (alpha ignored) equals keyColor are never drawn.
  void SetColorKey(bool enabled, std::uint32_t keyColor);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int LevelCount() const { return static_cast<int>(FLevels.size()); }
  const TextureLevel& Level(int index) const { return FLevels[static_cast<std::size_t>(index)]; }
  bool ColorKeyEnabled() const { return FColorKey; }
  std::uint32_t KeyColor() const { return FKeyColor; }
  // Unique in the process, never reused: with Version() it names one picture of one texture, so a
  // device that copies textures (OpenGL) finds its copy by the id alone.
  std::uint64_t Id() const { return FId; }
  // Changes whenever texels or the colour key change, so a device that copies textures knows when to
  // copy again.
  std::uint32_t Version() const { return FVersion; }

 private:
  void BuildLevels();

  std::uint64_t FId;
  int FWidth;
  int FHeight;
  std::vector<std::uint32_t> FStorage;  // every level, largest first
  std::vector<TextureLevel> FLevels;
  bool FColorKey = false;
  std::uint32_t FKeyColor = 0;
  std::uint32_t FVersion = 0;
};

}  // namespace d3d
