#include "resources/Texture3D.h"

#include "core3d/CheckResult.h"
#include "core3d/RetainedMode.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

namespace {

// Names held in the 1251 code page, as the world files store them.
const char* const kMotionsName = "\xC4\xE2\xE8\xE6\xE5\xED\xE8\xFF";  // Движения
const char* const kTextureMotionName =
    "\xC0\xED\xE8\xEC\xE0\xF6\xE8\xFF \xF2\xE5\xEA\xF1\xF2\xF3\xF0\xFB";  // Анимация текстуры

constexpr int kDescriptorFields = 15;

// The 60-byte descriptor as fifteen little-endian 32-bit fields; the pointer fields are written as
// 0 and ignored on reading.
void WriteDescriptor(rtl::TStream& stream, const rm::Image& d, std::int32_t rgb) {
  const std::int32_t fields[kDescriptorFields] = {d.width,
                                                  d.height,
                                                  d.aspectX,
                                                  d.aspectY,
                                                  d.depth,
                                                  rgb,
                                                  d.bytesPerLine,
                                                  0,
                                                  0,
                                                  static_cast<std::int32_t>(d.redMask),
                                                  static_cast<std::int32_t>(d.greenMask),
                                                  static_cast<std::int32_t>(d.blueMask),
                                                  static_cast<std::int32_t>(d.alphaMask),
                                                  d.paletteSize,
                                                  0};
  for (std::int32_t field : fields) WriteInteger(stream, field);
}

// `rgb` receives the rgb field as stored; the descriptor only knows whether it is non-zero.
rm::Image ReadDescriptor(rtl::TStream& stream, std::int32_t& rgb) {
  std::int32_t f[kDescriptorFields];
  for (std::int32_t& field : f) field = ReadInteger(stream);
  rgb = f[5];
  rm::Image d;
  d.width = f[0], d.height = f[1], d.aspectX = f[2], d.aspectY = f[3], d.depth = f[4], d.rgb = f[5] != 0;
  d.bytesPerLine = f[6];
  d.redMask = static_cast<std::uint32_t>(f[9]), d.greenMask = static_cast<std::uint32_t>(f[10]);
  d.blueMask = static_cast<std::uint32_t>(f[11]), d.alphaMask = static_cast<std::uint32_t>(f[12]);
  d.paletteSize = f[13];
  return d;
}

}  // namespace

TTexture3D::TTexture3D(TCollection3D* collection, const std::string& name)
    : TVisual3D(collection, name), Motions(nullptr, kMotionsName) {
  FImage.Desc.width = FImage.Desc.height = FImage.Desc.bytesPerLine = 64;
  TransparentColor.SetRGBA(0, 0, 255, 0);
  TransparentColor.OnChange = TNotifyEvent::Bind<&TTexture3D::TransparentColorChanged>(this);
  TopologyBox.AddBox()->MakeEmpty();
  UpdateDecalBox();
  Animation.SetTexture(this);
  Motions.SetAnimation(&Animation);
  AddElement(&Animation);
}

// The motions stop before anything they animate goes.
TTexture3D::~TTexture3D() {
  Motions.Stop();
  Motions.Clear();
}

rm::Texture* TTexture3D::GetDXTexture() const {
  if (!FDXTexture) throw rtl::Exception("Texture3D error: DXTexture not assigned");
  return FDXTexture.Get();
}

void TTexture3D::CreateDXTexture() {
  ReleaseDXTexture();
  CheckResult(RetainedMode().CreateTexture(FImage.Desc, &FDXTexture), "Texture3D error: Create texture failed");
  SetDXVisual(FDXTexture.Get());
  CheckResult(FDXTexture->SetColors(256), "Texture3D error: Set texture colors failed");
  CheckResult(FDXTexture->SetShades(1), "Texture3D error: Set texture shades failed");
  ApplyTransparentColor();
  CheckResult(FDXTexture->SetDecalTransparency(FDecalTransparency != 0),
              "Texture3D error: Set decal transparency failed");
  // A new platform texture starts with the platform's decal defaults: it gets this texture's own, so
  // that setters finding an equal value have nothing left to send.
  CheckResult(FDXTexture->SetDecalOrigin(FDecalOriginX, FDecalOriginY), "Texture3D error: Set decal origin x failed");
  CheckResult(FDXTexture->SetDecalSize(FDecalSizeX, FDecalSizeY), "Texture3D error: Set decal size x failed");
  CheckResult(FDXTexture->SetDecalScale(FDecalScale != 0), "Texture3D error: Set decal scale failed");
  NotifyReferences();
  Changed();
}

void TTexture3D::ReleaseDXTexture() {
  FDXTexture.Reset();
  SetDXVisual(nullptr);
}

void TTexture3D::ApplyTransparentColor() {
  CheckResult(GetDXTexture()->SetDecalTransparentColor(TransparentColor.GetColor()),
              "Texture3D error: Set decal transparent color failed");
}

void TTexture3D::SetDecalTransparency(std::uint8_t transparency) {
  if (transparency == FDecalTransparency) return;
  CheckResult(GetDXTexture()->SetDecalTransparency(transparency != 0),
              "Texture3D error: Set decal transparency failed");
  FDecalTransparency = transparency;
}

void TTexture3D::SetDecalOriginX(std::int32_t x) {
  if (x == FDecalOriginX) return;
  CheckResult(GetDXTexture()->SetDecalOrigin(x, FDecalOriginY), "Texture3D error: Set decal origin x failed");
  FDecalOriginX = x;
  UpdateDecalBox();
}

void TTexture3D::SetDecalOriginY(std::int32_t y) {
  if (y == FDecalOriginY) return;
  CheckResult(GetDXTexture()->SetDecalOrigin(FDecalOriginX, y), "Texture3D error: Set decal origin y failed");
  FDecalOriginY = y;
  UpdateDecalBox();
}

void TTexture3D::SetDecalSizeX(float size) {
  if (size == FDecalSizeX) return;
  CheckResult(GetDXTexture()->SetDecalSize(size, FDecalSizeY), "Texture3D error: Set decal size x failed");
  FDecalSizeX = size;
  UpdateDecalBox();
}

void TTexture3D::SetDecalSizeY(float size) {
  if (size == FDecalSizeY) return;
  CheckResult(GetDXTexture()->SetDecalSize(FDecalSizeX, size), "Texture3D error: Set decal size y failed");
  FDecalSizeY = size;
  UpdateDecalBox();
}

void TTexture3D::SetDecalScale(std::uint8_t scale) {
  if (scale == FDecalScale) return;
  CheckResult(GetDXTexture()->SetDecalScale(scale != 0), "Texture3D error: Set decal scale failed");
  FDecalScale = scale;
}

// The box a decal occupies: its size, moved so that the decal origin lies at the frame's origin.
void TTexture3D::UpdateDecalBox() {
  const rm::Image& image = FImage.Desc;
  if (image.width == 0 || image.height == 0) return;
  const float ox = static_cast<float>(FDecalOriginX) * FDecalSizeX / static_cast<float>(image.width);
  const float oy = static_cast<float>(FDecalOriginY) * FDecalSizeY / static_cast<float>(image.height);
  if (TopologyBox.BoxCount() == 0) TopologyBox.AddBox();  // a record may have stored none
  TBox3D& box = *TopologyBox.GetBoxItem(0);
  box.SetBox({{0, -FDecalSizeY, -FDecalSizeX}, {FDecalSizeX, 0, 0}});
  box.Subtract(ox, -oy, -ox);
  TopologyBox.UpdateBounds();
  Touch();
  NotifyReferences();
  Changed();
}

void TTexture3D::UpdateBox() const { FBox.Assign(TopologyBox.Box); }

TTextureSettings TTexture3D::Settings() const {
  const auto* textures = dynamic_cast<const TCollectionTexture3D*>(Collection());
  return textures != nullptr ? textures->Settings() : TTextureSettings{};
}

bool TTexture3D::ConvertImage(const TImage& source, int options, std::uint32_t* keyColor) {
  const auto* textures = dynamic_cast<const TCollectionTexture3D*>(Collection());
  if (textures != nullptr && textures->KeepSource && !FSource.HasBuffer() && &source != &FSource) {
    FSource.CopyFrom(source);
  }
  return ConvertTexture(source, Settings(), options, &FImage, keyColor);
}

void TTexture3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TTexture3D>(source);
  TVisual3D::Assign(other);
  ReleaseDXTexture();
  FImage.CopyFrom(other.FImage);
  CreateDXTexture();
  SetDecalTransparency(other.FDecalTransparency);
  TransparentColor.Assign(other.TransparentColor);
  SetTransparent(other.FTransparent);
  SetDecalOriginX(other.FDecalOriginX);
  SetDecalOriginY(other.FDecalOriginY);
  SetDecalSizeX(other.FDecalSizeX);
  SetDecalSizeY(other.FDecalSizeY);
  SetDecalScale(other.FDecalScale);
}

// ---- the texture record -------------------------------------------------------------------------

// Reads the stored picture into Source: descriptor, pixels, and the palette of a palettised one;
// every size is checked against the rest of the stream before its buffer is made. A depth the
// converter does not take is read whole and then refused by the converter with its own message.
void TTexture3D::ReadSource(rtl::TStream& stream) {
  FSource.Desc = ReadDescriptor(stream, FSourceRgb);
  const rm::Image& d = FSource.Desc;
  if (d.width < 0 || d.bytesPerLine < 0 || d.height < 0 || d.paletteSize < 0) throw rtl::EReadError();
  // A row must hold its pixels, or converting the picture would read past the rows stored.
  const bool convertible = d.depth == 8 || d.depth == 24 || d.depth == 32;
  if (convertible && std::int64_t{d.width} * (d.depth / 8) > d.bytesPerLine) throw rtl::EReadError();
  const std::int64_t pixelBytes = std::int64_t{d.bytesPerLine} * d.height;
  const std::int64_t paletteBytes = d.rgb ? 0 : std::int64_t{d.paletteSize} * 4;
  CheckRemaining(stream, pixelBytes + paletteBytes);
  FSource.Allocate();
  stream.ReadBuffer(FSource.Pixels(), pixelBytes);
  stream.ReadBuffer(FSource.PaletteBytes(), paletteBytes);
}

// The stored picture when it is kept, else the converted one. A converted picture is written the
// way the loader reads stored pictures: rows bottom-up and its palette blue, green, red; one the
// loader could not convert again (15 or 16 bits) is refused here rather than saved unreadable.
void TTexture3D::WritePicture(rtl::TStream& stream) const {
  const auto* textures = dynamic_cast<const TCollectionTexture3D*>(Collection());
  const bool source = textures != nullptr && textures->KeepSource && FSource.HasBuffer();
  const TImage& picture = source ? FSource : FImage;
  const int depth = picture.Desc.depth;
  if (depth != 8 && depth != 24 && depth != 32) {
    throw rtl::Exception("Texture3D: convert failed depth=" + std::to_string(depth));
  }
  WriteDescriptor(stream, picture.Desc, source ? FSourceRgb : std::int32_t{picture.Desc.rgb});
  if (source) {
    stream.WriteBuffer(picture.Pixels(), static_cast<std::int64_t>(picture.PixelBytes()));
  } else {
    const std::size_t row = static_cast<std::size_t>(picture.Desc.bytesPerLine);
    for (std::size_t y = static_cast<std::size_t>(picture.Desc.height); y-- > 0;) {
      stream.WriteBuffer(picture.Pixels() + y * row, static_cast<std::int64_t>(row));
    }
  }
  if (picture.Desc.rgb) return;
  std::vector<std::uint8_t> palette(picture.PaletteBytes(), picture.PaletteBytes() + picture.PaletteByteCount());
  if (!source) {
    for (std::size_t i = 0; i + 3 < palette.size(); i += 4) std::swap(palette[i], palette[i + 2]);
  }
  stream.WriteBuffer(palette.data(), static_cast<std::int64_t>(palette.size()));
}

void TTexture3D::ReadDecal(rtl::TStream& stream, std::uint8_t transparency, bool keyFound,
                           std::uint32_t keyColor) {
  SetDecalTransparency(transparency);
  TransparentColor.LoadFromStream(stream);
  if (transparency != 0 && keyFound) TransparentColor.SetColor(keyColor);
  SetTransparent(ReadByte(stream));
  const std::int32_t originX = ReadInteger(stream);
  const std::int32_t originY = ReadInteger(stream);
  SetDecalOriginX(originX);
  SetDecalOriginY(originY);
  const float sizeX = ReadSingle(stream);
  const float sizeY = ReadSingle(stream);
  SetDecalSizeX(sizeX);
  SetDecalSizeY(sizeY);
  SetDecalScale(ReadByte(stream));
}

void TTexture3D::LoadFromStream(rtl::TStream& stream) {
  // The platform texture reads the picture's buffers: it goes first, so that a load that fails
  // half way never leaves it pointing at freed pixels.
  ReleaseDXTexture();
  FImage.Release();
  FSource.Release();
  ReadSource(stream);
  const std::uint8_t transparency = ReadByte(stream);
  std::uint32_t keyColor = 0;
  const bool keyFound = ConvertImage(FSource, transparency != 0 ? coFlip | coTransparency : coFlip, &keyColor);
  const auto* textures = dynamic_cast<const TCollectionTexture3D*>(Collection());
  if (textures == nullptr || !textures->KeepSource) FSource.Release();
  CreateDXTexture();
  ReadDecal(stream, transparency, keyFound, keyColor);
  TVisual3D::LoadFromStream(stream);
  StartAnimation();
}

void TTexture3D::SaveToStream(rtl::TStream& stream) {
  WritePicture(stream);
  WriteByte(stream, FDecalTransparency);
  TransparentColor.SaveToStream(stream);
  WriteByte(stream, FTransparent);
  WriteInteger(stream, FDecalOriginX);
  WriteInteger(stream, FDecalOriginY);
  WriteSingle(stream, FDecalSizeX);
  WriteSingle(stream, FDecalSizeY);
  WriteByte(stream, FDecalScale);
  TVisual3D::SaveToStream(stream);
}

// A texture animation with keys starts playing as soon as its texture is loaded.
void TTexture3D::StartAnimation() {
  if (Animation.KeyCount() < 1) return;
  Motions.Stop();
  Motions.Clear();
  Motions.Play(*static_cast<TMotion3D*>(Motions.Add(kTextureMotionName)));
}

TCollectionTexture3D::TCollectionTexture3D(TCollection3D* collection, const std::string& name)
    : TCollection3D(collection, name) {
  SetItemClass(&ItemClassOf<TTexture3D>);
}
