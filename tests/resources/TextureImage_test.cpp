// The conversion of a stored picture into a texture picture.

#include "resources/TextureImage.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"

namespace {

// A direct-colour source of the given depth whose pixels are filled by colorAt(x, y) = 0xAARRGGBB.
template <class ColorAt>
void MakeSource(TImage* image, int width, int height, int depth, ColorAt colorAt, std::uint32_t alphaMask = 0) {
  image->Desc = {};
  image->Desc.width = width;
  image->Desc.height = height;
  image->Desc.depth = depth;
  image->Desc.rgb = true;
  image->Desc.bytesPerLine = (width * depth / 8 + 3) / 4 * 4;
  image->Desc.alphaMask = alphaMask;
  image->Allocate();
  const int bytes = depth / 8;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = colorAt(x, y);
      std::uint8_t* p = image->Pixels() + y * image->Desc.bytesPerLine + x * bytes;
      for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(c >> (8 * i));
    }
  }
}

std::uint32_t Read(const TImage& image, int x, int y) {
  const int bytes = (image.Desc.depth + 7) / 8;
  const std::uint8_t* p = image.Pixels() + y * image.Desc.bytesPerLine + x * bytes;
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= std::uint32_t{p[i]} << (8 * i);
  return value;
}

TTextureSettings Settings(int depth, int shift = 0, bool alphaFormats = false) {
  return {8, 256, depth, shift, alphaFormats};
}

std::string MessageOf(const TImage& source, const TTextureSettings& settings, int options = 0) {
  TImage texture;
  std::uint32_t key = 0;
  try {
    ConvertTexture(source, settings, options, &texture, &key);
  } catch (const rtl::Exception& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace

TEST(TextureImage, SizeHalvesIntoTheConfiguredRange) {
  EXPECT_EQ(ChooseHalving(256, 128, {8, 256, 16, 0, false}), 0);
  EXPECT_EQ(ChooseHalving(256, 128, {8, 256, 16, 1, false}), 1);
  EXPECT_EQ(ChooseHalving(1024, 1024, {8, 256, 16, 0, false}), 2);
  EXPECT_EQ(ChooseHalving(1024, 1024, {8, 256, 16, 3, false}), 3);
  EXPECT_EQ(ChooseHalving(4, 4, {8, 256, 16, 0, false}), 0);
  EXPECT_EQ(ChooseHalving(64, 64, {8, 256, 16, 9, false}), 3) << "too far is walked back to the minimum";
  // No size lies in 60..80 for 100: the walk ends instead of swinging for ever.
  const int k = ChooseHalving(100, 100, {60, 80, 16, 0, false});
  EXPECT_GE(k, 0);
  EXPECT_LE(k, 1);
}

TEST(TextureImage, DescriptorsOfEachFormat) {
  EXPECT_EQ(DescribeTexture(10, 4, {16, TAlphaKind::None}).bytesPerLine, 20);
  EXPECT_EQ(DescribeTexture(10, 4, {8, TAlphaKind::None}).bytesPerLine, 12);
  EXPECT_EQ(DescribeTexture(10, 4, {15, TAlphaKind::None}).bytesPerLine, 20);
  const rm::Image palettised = DescribeTexture(10, 4, {8, TAlphaKind::None});
  EXPECT_FALSE(palettised.rgb);
  EXPECT_EQ(palettised.paletteSize, 256);
  EXPECT_EQ(palettised.redMask, 0xFFu);
  const rm::Image oneBit = DescribeTexture(2, 2, {16, TAlphaKind::OneBit});
  EXPECT_EQ(oneBit.alphaMask, 0x8000u);
  EXPECT_EQ(oneBit.redMask, 0x7C00u);
  const rm::Image plain16 = DescribeTexture(2, 2, {16, TAlphaKind::None});
  EXPECT_EQ(plain16.redMask, 0xF800u);
  EXPECT_EQ(plain16.greenMask, 0x07E0u);
  EXPECT_EQ(DescribeTexture(2, 2, {32, TAlphaKind::EightBit}).alphaMask, 0xFF000000u);
  EXPECT_EQ(DescribeTexture(2, 2, {12, TAlphaKind::None}).redMask, 0u);
}

TEST(TextureImage, FormatFollowsTransparencyAndTheSourceAlpha) {
  rm::Image source;
  int options = coTransparency | coFlip;
  TTextureFormat format = ChooseFormat(source, Settings(16, 0, true), &options);
  EXPECT_EQ(format.Depth, 16);
  EXPECT_EQ(format.Alpha, TAlphaKind::OneBit);
  EXPECT_EQ(options, coFlip) << "a 1-bit alpha replaces the key colour";
  options = coTransparency;
  format = ChooseFormat(source, Settings(24, 0, true), &options);
  EXPECT_EQ(format.Depth, 32);
  EXPECT_EQ(format.Alpha, TAlphaKind::EightBit);
  EXPECT_EQ(options, coTransparency);
  options = coTransparency;
  format = ChooseFormat(source, Settings(16, 0, false), &options);
  EXPECT_EQ(format.Alpha, TAlphaKind::None);
  source.alphaMask = 0xFF000000u;
  options = 0;
  format = ChooseFormat(source, Settings(8), &options);
  EXPECT_EQ(format.Depth, 16);
  EXPECT_EQ(format.Alpha, TAlphaKind::FourBit);
}

TEST(TextureImage, PixelArithmeticOfTheConversionTable) {
  TImage source;
  TImage texture;
  std::uint32_t key = 0x12345678u;
  MakeSource(&source, 2, 1, 24, [](int x, int) { return x == 0 ? 0xFFFFFFu : 0x000000u; });
  ConvertTexture(source, Settings(32, 0, true), coTransparency, &texture, &key);
  EXPECT_EQ(Read(texture, 0, 0), 0x3DFFFFFFu) << "white gets alpha 127 + 63 + 127 = 317, kept to 61";
  EXPECT_EQ(key, 0xFFFFFFFFu) << "an 8-bit alpha still keys on the first pixel";
  key = 0x12345678u;
  ConvertTexture(source, Settings(16, 0, true), coTransparency, &texture, &key);
  EXPECT_EQ(Read(texture, 0, 0), 0xFFFFu);
  EXPECT_EQ(Read(texture, 1, 0), 0x0000u) << "black becomes fully transparent";
  EXPECT_EQ(key, 0x12345678u) << "no key colour with a 1-bit alpha";

  MakeSource(
      &source, 1, 1, 32, [](int, int) { return 0x80F08040u; }, 0xFF000000u);
  ConvertTexture(source, Settings(16, 0, false), 0, &texture, &key);
  EXPECT_EQ(Read(texture, 0, 0), 0x8F84u) << "4-bit alpha: A>>4, R>>4, G>>4, B>>4";
  ConvertTexture(source, Settings(32), 0, &texture, &key);
  EXPECT_EQ(Read(texture, 0, 0), 0x80F08040u);

  MakeSource(&source, 1, 1, 24, [](int, int) { return 0xF08040u; });
  ConvertTexture(source, Settings(16), 0, &texture, &key);
  EXPECT_EQ(Read(texture, 0, 0), (0xF0u >> 3) << 11 | (0x80u >> 2) << 5 | (0x40u >> 3));
  ConvertTexture(source, Settings(15), 0, &texture, &key);
  EXPECT_EQ(Read(texture, 0, 0), (0xF0u >> 3) << 10 | (0x80u >> 3) << 5 | (0x40u >> 3));
  ConvertTexture(source, Settings(24), 0, &texture, &key);
  EXPECT_EQ(Read(texture, 0, 0), 0xF08040u);
  ConvertTexture(source, Settings(32), 0, &texture, &key);
  EXPECT_EQ(Read(texture, 0, 0), 0xFFF08040u);
}

TEST(TextureImage, BottomUpSourcesAreFlippedAndSampledByNearestPixel) {
  TImage source;
  TImage texture;
  std::uint32_t key = 0;
  MakeSource(&source, 4, 4, 24, [](int x, int y) { return static_cast<std::uint32_t>(y * 16 + x); });
  ConvertTexture(source, Settings(24, 1, false), coFlip, &texture, &key);
  ASSERT_EQ(texture.Desc.width, 4) << "a 4 x 4 source is below the minimum size and is kept";
  EXPECT_EQ(Read(texture, 0, 0), 3u * 16) << "the first texture row is the last stored row";
  EXPECT_EQ(Read(texture, 3, 3), 3u);

  MakeSource(&source, 16, 16, 24, [](int x, int y) { return static_cast<std::uint32_t>(y * 16 + x); });
  ConvertTexture(source, {4, 256, 24, 1, false}, 0, &texture, &key);
  ASSERT_EQ(texture.Desc.width, 8);
  EXPECT_EQ(Read(texture, 3, 2), static_cast<std::uint32_t>(4 * 16 + 6));
}

TEST(TextureImage, EightBitTexturesFromPalettesAndFromTheQuantizer) {
  TImage source;
  source.Desc.width = 2;
  source.Desc.height = 1;
  source.Desc.depth = 8;
  source.Desc.bytesPerLine = 4;
  source.Desc.paletteSize = 2;
  source.Allocate();
  const std::uint8_t palette[8] = {0x10, 0x20, 0x30, 0, 0xFF, 0, 0, 0};  // stored blue, green, red
  std::copy(palette, palette + 8, source.PaletteBytes());
  source.Pixels()[0] = 1;
  source.Pixels()[1] = 0;
  TImage texture;
  std::uint32_t key = 0;
  ConvertTexture(source, Settings(8), coTransparency, &texture, &key);
  EXPECT_EQ(texture.Pixels()[0], 1);
  EXPECT_EQ(texture.Pixels()[1], 0);
  const std::uint8_t* entries = texture.PaletteBytes();
  EXPECT_EQ(entries[0], 0x30) << "texture palettes are red, green, blue, flags";
  EXPECT_EQ(entries[2], 0x10);
  EXPECT_EQ(entries[4 + 2], 0xFF);
  EXPECT_EQ(key, 0xFF0000FFu) << "the first stored pixel's palette colour";

  MakeSource(&source, 2, 2, 24, [](int x, int) { return x == 0 ? 0xFF0000u : 0x0000FFu; });
  ConvertTexture(source, Settings(8), 0, &texture, &key);
  const int left = texture.Pixels()[0], right = texture.Pixels()[1];
  EXPECT_NE(left, right);
  EXPECT_EQ(texture.PaletteBytes()[left * 4 + 0], 0xFF);   // red
  EXPECT_EQ(texture.PaletteBytes()[right * 4 + 2], 0xFF);  // blue
  EXPECT_EQ(texture.PaletteBytes()[right * 4 + 3], 1);
}

TEST(TextureImage, KeyColourIsReducedToTheTexturePrecision) {
  TImage source;
  TImage texture;
  std::uint32_t key = 0;
  MakeSource(&source, 2, 1, 24, [](int, int) { return 0xFFFFFFu; });
  ConvertTexture(source, Settings(16), coTransparency, &texture, &key);
  EXPECT_EQ(key, 0xFFF8FCF8u);
  ConvertTexture(source, Settings(15), coTransparency, &texture, &key);
  EXPECT_EQ(key, 0xFFF8F8F8u);
  MakeSource(
      &source, 2, 1, 32, [](int x, int) { return x == 0 ? 0xFF112233u : 0x00445566u; }, 0);
  ConvertTexture(source, Settings(32), coTransparency, &texture, &key);
  EXPECT_EQ(key, 0x00445566u) << "a 32-bit source keys on its first see-through pixel";
}

TEST(TextureImage, BadSourcesRaiseTheirMessages) {
  TImage source;
  MakeSource(&source, 4, 4, 16, [](int, int) { return 0u; });
  EXPECT_EQ(MessageOf(source, Settings(16)), "Texture3D: convert failed depth=16");
  MakeSource(&source, 4, 4, 24, [](int, int) { return 0u; });
  source.Desc.bytesPerLine = 8;  // shorter than four 3-byte pixels
  EXPECT_EQ(MessageOf(source, Settings(16)), "Texture convert error!");
  MakeSource(&source, 4, 4, 24, [](int, int) { return 0u; });
  source.Desc.height = 400;  // more rows than the buffer holds
  EXPECT_EQ(MessageOf(source, Settings(16)), "Texture convert error!");
}
