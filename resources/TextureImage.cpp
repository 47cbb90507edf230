#include "resources/TextureImage.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "resources/ColorQuantizationLibrary.h"

namespace {

constexpr int kMaxHalving = 30;

struct Bgra {
  std::uint8_t b, g, r, a;
};

int BytesPerPixel(int depth) { return (depth + 7) / 8; }

// The converted value of one pixel, as little-endian bytes in the low bits.
using PixelFormula = std::uint32_t (*)(Bgra p);

std::uint32_t Pack(std::uint8_t b, std::uint8_t g, std::uint8_t r, std::uint8_t a) {
  return std::uint32_t{b} | std::uint32_t{g} << 8 | std::uint32_t{r} << 16 | std::uint32_t{a} << 24;
}
std::uint32_t To555(Bgra p) { return std::uint32_t(p.r >> 3) << 10 | std::uint32_t(p.g >> 3) << 5 | (p.b >> 3); }
std::uint32_t To565(Bgra p) { return std::uint32_t(p.r >> 3) << 11 | std::uint32_t(p.g >> 2) << 5 | (p.b >> 3); }
std::uint32_t To4444(Bgra p, std::uint32_t alpha) {
  return alpha << 12 | std::uint32_t(p.r >> 4) << 8 | std::uint32_t(p.g >> 4) << 4 | (p.b >> 4);
}

// Direct-colour sources with their own alpha (32 bits).
std::uint32_t Keep(Bgra p) { return Pack(p.b, p.g, p.r, p.a); }
std::uint32_t AlphaTo1555(Bgra p) { return std::uint32_t(p.a != 0) << 15 | To555(p); }
std::uint32_t AlphaTo4444(Bgra p) { return To4444(p, p.a >> 4); }
// Sources without alpha (24 bits, or palettised): an alpha is made up from the colour. The 8-bit sum
// can reach 317 and deliberately keeps only its low byte: the made-up alpha is defined as a byte sum,
// and clamping it would change which texels of existing worlds show through. The 4-bit sum stays
// below 16.
std::uint32_t MadeUpAlpha8(Bgra p) {
  return Pack(p.b, p.g, p.r, static_cast<std::uint8_t>(p.b / 2 + p.g / 4 + p.r / 2));
}
std::uint32_t Opaque(Bgra p) { return Pack(p.b, p.g, p.r, 255); }
std::uint32_t NonBlackTo1555(Bgra p) { return std::uint32_t((p.r | p.g | p.b) != 0) << 15 | To555(p); }
std::uint32_t MadeUpAlpha4(Bgra p) { return To4444(p, p.b / 32u + p.r / 32u); }

// The formula for a source depth and texture format, chosen once per picture; null when the
// combination has none (and the pixels stay as allocated).
PixelFormula FormulaFor(int sourceDepth, const TTextureFormat& format) {
  const bool ownAlpha = sourceDepth == 32;
  switch (format.Depth) {
    case 32:
      if (ownAlpha) return Keep;
      return format.Alpha == TAlphaKind::EightBit ? MadeUpAlpha8 : Opaque;
    case 24:
      return Keep;
    case 16:
      if (format.Alpha == TAlphaKind::OneBit) return ownAlpha ? AlphaTo1555 : NonBlackTo1555;
      if (format.Alpha == TAlphaKind::FourBit) return ownAlpha ? AlphaTo4444 : MadeUpAlpha4;
      return To565;
    case 15:
      return To555;
    default:
      return nullptr;
  }
}

// Reads source pixels as blue, green, red, alpha; palettised ones through the source palette
// (entries blue, green, red, unused), an index past its end reading as black.
class SourceReader {
 public:
  explicit SourceReader(const TImage& source)
      : FSource(source),
        FBytes(BytesPerPixel(source.Desc.depth)),
        FPaletteSize(std::min<int>(source.Desc.paletteSize, static_cast<int>(source.PaletteByteCount() / 4))) {}

  const std::uint8_t* At(int x, int y) const {
    return FSource.Pixels() + static_cast<std::size_t>(y) * static_cast<std::size_t>(FSource.Desc.bytesPerLine) +
           static_cast<std::size_t>(x) * FBytes;
  }
  Bgra Color(const std::uint8_t* p) const {
    if (FBytes == 1) {
      if (*p >= FPaletteSize) return {0, 0, 0, 255};
      const std::uint8_t* entry = FSource.PaletteBytes() + *p * 4;
      return {entry[0], entry[1], entry[2], 255};
    }
    return {p[0], p[1], p[2], FBytes == 4 ? p[3] : std::uint8_t{255}};
  }

 private:
  const TImage& FSource;
  int FBytes;
  int FPaletteSize;
};

std::uint8_t* TexturePixel(TImage& texture, int x, int y) {
  return texture.Pixels() + static_cast<std::size_t>(y) * texture.Desc.bytesPerLine +
         static_cast<std::size_t>(x) * BytesPerPixel(texture.Desc.depth);
}

// Visits every texture pixel with its sampled source pixel: nearest pixel, integer step, rows
// from the last stored one upward when the source is bottom-up.
template <class Visit>
void Walk(const TImage& source, TImage& texture, bool flip, Visit visit) {
  const SourceReader reader(source);
  const int stepX = source.Desc.width / texture.Desc.width;
  const int stepY = source.Desc.height / texture.Desc.height;
  for (int y = 0; y < texture.Desc.height; ++y) {
    const int sourceRow = flip ? source.Desc.height - 1 - y * stepY : y * stepY;
    for (int x = 0; x < texture.Desc.width; ++x)
      visit(TexturePixel(texture, x, y), reader, reader.At(x * stepX, sourceRow));
  }
}

void WriteValue(std::uint8_t* out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void ConvertDirect(const TImage& source, PixelFormula formula, bool flip, TImage* texture) {
  const int bytes = BytesPerPixel(texture->Desc.depth);
  Walk(source, *texture, flip, [&](std::uint8_t* out, const SourceReader& reader, const std::uint8_t* in) {
    WriteValue(out, formula(reader.Color(in)), bytes);
  });
}

// Writes one texture palette entry (red, green, blue, flags 1).
void SetPaletteEntry(TImage* texture, int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  std::uint8_t* out = texture->PaletteBytes() + index * 4;
  out[0] = red, out[1] = green, out[2] = blue, out[3] = 1;
}

// The indices are copied, and the texture keeps the source's colours: its palette is the source
// palette in the platform's order.
void CopyIndices(const TImage& source, bool flip, TImage* texture) {
  Walk(source, *texture, flip, [](std::uint8_t* out, const SourceReader&, const std::uint8_t* in) { *out = *in; });
  const int entries = std::min<int>(texture->Desc.paletteSize, static_cast<int>(source.PaletteByteCount() / 4));
  for (int i = 0; i < entries; ++i) {
    const std::uint8_t* in = source.PaletteBytes() + i * 4;
    SetPaletteEntry(texture, i, in[2], in[1], in[0]);
  }
}

// An 8-bit texture's palette: at most 256 colours, told apart by their top 5 bits per component (finer
// levels cost memory and time, and an 8-bit texture shows no more of the difference).
void Quantize(const TImage& source, bool flip, TImage* texture) {
  TColorQuantizer quantizer(256, 5);
  Walk(source, *texture, flip, [&](std::uint8_t*, const SourceReader& reader, const std::uint8_t* in) {
    const Bgra p = reader.Color(in);
    quantizer.AddColor(p.r, p.g, p.b);
  });
  std::array<TPaletteEntry, 256> palette{};
  const int count = quantizer.GetPalette(palette);
  Walk(source, *texture, flip, [&](std::uint8_t* out, const SourceReader& reader, const std::uint8_t* in) {
    const Bgra p = reader.Color(in);
    *out = static_cast<std::uint8_t>(quantizer.GetColorIndex(p.r, p.g, p.b));
  });
  for (int i = 0; i < count; ++i) SetPaletteEntry(texture, i, palette[i].Red, palette[i].Green, palette[i].Blue);
}

// The colour the decal is keyed on, from the first stored pixel (32-bit sources: the first one
// whose alpha is 0), reduced to the texture's precision.
bool DetectKeyColor(const TImage& source, int textureDepth, std::uint32_t* keyColor) {
  const SourceReader reader(source);
  std::uint32_t key = 0;
  bool found = false;
  if (source.Desc.depth != 32) {
    const Bgra p = reader.Color(reader.At(0, 0));
    key = Pack(p.b, p.g, p.r, 255);
    found = true;
  }
  for (int y = 0; y < source.Desc.height && !found; ++y) {
    for (int x = 0; x < source.Desc.width && !found; ++x) {
      const Bgra p = reader.Color(reader.At(x, y));
      if (p.a == 0) key = Pack(p.b, p.g, p.r, p.a), found = true;
    }
  }
  if (!found) return false;
  if (textureDepth == 16) key &= ~0x00070307u;  // the low 3 bits of red and blue, 2 of green
  if (textureDepth == 15) key &= ~0x00070707u;
  *keyColor = key;
  return true;
}

}  // namespace

void TImage::Allocate() {
  const std::size_t pixelBytes =
      static_cast<std::size_t>(std::max(Desc.bytesPerLine, 0)) * static_cast<std::size_t>(std::max(Desc.height, 0));
  FPixels.assign(pixelBytes, 0);
  FPalette.assign(Desc.rgb ? 0 : static_cast<std::size_t>(std::max(Desc.paletteSize, 0)) * 4, 0);
  Desc.buffer1 = FPixels.data();
  Desc.buffer2 = nullptr;
  Desc.palette = Desc.rgb ? nullptr : reinterpret_cast<const rm::PaletteEntry*>(FPalette.data());
}

void TImage::Release() {
  FPixels = {};
  FPalette = {};
  Desc.buffer1 = nullptr;
  Desc.palette = nullptr;
}

void TImage::CopyFrom(const TImage& source) {
  Desc = source.Desc;
  FPixels = source.FPixels;
  FPalette = source.FPalette;
  Desc.buffer1 = source.HasBuffer() ? FPixels.data() : nullptr;
  Desc.palette = FPalette.empty() ? nullptr : reinterpret_cast<const rm::PaletteEntry*>(FPalette.data());
}

int ChooseHalving(int width, int height, const TTextureSettings& settings) {
  const int m = std::min(width, height);
  if (m < settings.MinSize) return 0;
  // Settings that allow no size in range would swing k back and forth for ever: a bounded number
  // of steps ends with the last k tried.
  int k = std::clamp(settings.Shift, 0, kMaxHalving);
  for (int step = 0; step < 2 * kMaxHalving; ++step) {
    if ((m >> k) > settings.MaxSize && k < kMaxHalving) ++k;
    if ((m >> k) < settings.MinSize && k > 0) --k;
    if ((m >> k) >= settings.MinSize && (m >> k) <= settings.MaxSize) break;
  }
  return k;
}

TTextureFormat ChooseFormat(const rm::Image& source, const TTextureSettings& settings, int* options) {
  TTextureFormat format{settings.Depth, TAlphaKind::None};
  const bool small = format.Depth == 8 || format.Depth == 15 || format.Depth == 16;
  const bool large = format.Depth == 24 || format.Depth == 32;
  if ((*options & coTransparency) != 0 && settings.AlphaFormats) {
    if (small) format = {16, TAlphaKind::OneBit}, *options &= ~coTransparency;
    if (large) format = {32, TAlphaKind::EightBit};
  } else if (source.alphaMask != 0) {
    if (small) format = {16, TAlphaKind::FourBit};
    if (large) format = {32, TAlphaKind::EightBit};
  }
  return format;
}

rm::Image DescribeTexture(int width, int height, const TTextureFormat& format) {
  rm::Image image;
  image.width = width;
  image.height = height;
  image.aspectX = image.aspectY = 1;
  image.depth = format.Depth;
  image.bytesPerLine = (width * format.Depth / 8 + 3) / 4 * 4;
  image.rgb = format.Depth > 8;
  image.paletteSize = format.Depth <= 8 ? 256 : 0;
  struct Masks {
    std::uint32_t r, g, b, a;
  } m{0, 0, 0, 0};
  if (format.Alpha == TAlphaKind::OneBit)
    m = {0x7C00, 0x03E0, 0x001F, 0x8000};
  else if (format.Alpha == TAlphaKind::FourBit)
    m = {0x0F00, 0x00F0, 0x000F, 0xF000};
  else if (format.Alpha == TAlphaKind::EightBit)
    m = {0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
  else if (format.Depth <= 8)
    m = {0xFF, 0xFF, 0xFF, 0};
  else if (format.Depth == 15)
    m = {0x7C00, 0x03E0, 0x001F, 0};
  else if (format.Depth == 16)
    m = {0xF800, 0x07E0, 0x001F, 0};
  else if (format.Depth == 24 || format.Depth == 32)
    m = {0xFF0000, 0xFF00, 0xFF, 0};
  image.redMask = m.r, image.greenMask = m.g, image.blueMask = m.b, image.alphaMask = m.a;
  return image;
}

bool ConvertTexture(const TImage& source, const TTextureSettings& settings, int options, TImage* texture,
                    std::uint32_t* keyColor) {
  const int depth = source.Desc.depth;
  if (depth != 8 && depth != 24 && depth != 32) {
    throw rtl::Exception("Texture3D: convert failed depth=" + std::to_string(depth));
  }
  // A stored picture comes from a file: its rows must lie inside its own buffer.
  const rm::Image& in = source.Desc;
  if (in.width < 1 || in.height < 1 || in.bytesPerLine < in.width * BytesPerPixel(depth) ||
      source.PixelBytes() < static_cast<std::size_t>(in.bytesPerLine) * static_cast<std::size_t>(in.height)) {
    throw rtl::Exception("Texture convert error!");
  }
  const int k = ChooseHalving(source.Desc.width, source.Desc.height, settings);
  const TTextureFormat format = ChooseFormat(source.Desc, settings, &options);
  texture->Release();
  texture->Desc = DescribeTexture(source.Desc.width >> k, source.Desc.height >> k, format);
  if (texture->Desc.width < 1 || texture->Desc.height < 1 || texture->Desc.width > source.Desc.width ||
      texture->Desc.height > source.Desc.height) {
    throw rtl::Exception("Texture convert error!");
  }
  texture->Allocate();
  const bool flip = (options & coFlip) != 0;
  if (format.Depth == 8) {
    if (depth == 8)
      CopyIndices(source, flip, texture);
    else
      Quantize(source, flip, texture);
  } else if (const PixelFormula formula = FormulaFor(depth, format)) {
    ConvertDirect(source, formula, flip, texture);
  }
  return (options & coTransparency) != 0 && DetectKeyColor(source, format.Depth, keyColor);
}
