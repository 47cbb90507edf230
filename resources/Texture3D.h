#pragma once

// A named picture resource: stored as a raw picture, converted once at load time into a format the
// display setting can use, and handed to the retained-mode layer as a texture. It also describes the
// texture's use as a decal (origin, size, scale, transparency) and the box such a decal occupies.

#include <cstdint>
#include <memory>

#include "anim/Motion3D.h"
#include "core3d/Collection3D.h"
#include "core3d/Color3D.h"
#include "platform/rm/Texture.h"
#include "resources/TextureAnimation3D.h"
#include "resources/TextureImage.h"
#include "resources/Visual3D.h"

class TCollectionTexture3D;

class TTexture3D : public TVisual3D {
 public:
  TTexture3D(TCollection3D* collection, const std::string& name);
  ~TTexture3D() override;

  const char* ClassName() const override { return "TTexture3D"; }

  // The platform texture, or "Texture3D error: DXTexture not assigned".
  rm::Texture* GetDXTexture() const;
  void CreateDXTexture();
  void ReleaseDXTexture();
  void ApplyTransparentColor();

  // The three flags are bytes in the record: any non-zero value counts, and the value is kept as
  // it was given so that a record saves back what it loaded.
  void SetDecalTransparency(std::uint8_t transparency);
  void SetTransparent(std::uint8_t transparent) { FTransparent = transparent; }
  void SetDecalOriginX(std::int32_t x);
  void SetDecalOriginY(std::int32_t y);
  void SetDecalSizeX(float size);
  void SetDecalSizeY(float size);
  void SetDecalScale(std::uint8_t scale);
  void UpdateDecalBox();
  void UpdateBox() const override;
  // Converts a stored picture into Image with the collection's settings (see TextureImage.h);
  // true when it found the decal's key colour.
  bool ConvertImage(const TImage& source, int options, std::uint32_t* keyColor);

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  bool DecalTransparency() const { return FDecalTransparency != 0; }
  bool Transparent() const { return FTransparent != 0; }
  std::int32_t DecalOriginX() const { return FDecalOriginX; }
  std::int32_t DecalOriginY() const { return FDecalOriginY; }
  float DecalSizeX() const { return FDecalSizeX; }
  float DecalSizeY() const { return FDecalSizeY; }
  bool DecalScale() const { return FDecalScale != 0; }
  const TImage& Image() const { return FImage; }
  TImage& Image() { return FImage; }
  const TImage& Source() const { return FSource; }

  TColor3D TransparentColor;
  TTextureAnimation3D Animation;
  TCollectionMotion3D Motions;

 private:
  void TransparentColorChanged(TElement3D*) { ApplyTransparentColor(); }
  TTextureSettings Settings() const;
  void ReadSource(rtl::TStream& stream);
  void WritePicture(rtl::TStream& stream) const;
  void ReadDecal(rtl::TStream& stream, std::uint8_t transparency, bool keyFound, std::uint32_t keyColor);
  void StartAnimation();

  rtl::Ref<rm::Texture> FDXTexture;
  TImage FImage;
  TImage FSource;
  std::int32_t FSourceRgb = 0;  // the stored rgb field as read, written back with a kept source
  std::uint8_t FDecalTransparency = 0;
  std::uint8_t FTransparent = 0;
  std::int32_t FDecalOriginX = 0;
  std::int32_t FDecalOriginY = 0;
  float FDecalSizeX = 100.0f;
  float FDecalSizeY = 100.0f;
  std::uint8_t FDecalScale = 1;
};

// The textures of the world, with the conversion settings every texture is converted with.
class TCollectionTexture3D : public TCollection3D {
 public:
  TCollectionTexture3D(TCollection3D* collection, const std::string& name);

  const char* ClassName() const override { return "TCollectionTexture3D"; }

  TTextureSettings Settings() const { return {MinSize, MaxSize, Depth, Shift, AlphaFormats}; }

  std::int32_t MinSize = 32;
  std::int32_t MaxSize = 512;
  std::int32_t Depth = 16;
  std::int32_t Shift = 1;
  bool AlphaFormats = false;
  // Keep the stored picture after conversion and save it instead of the converted one.
  bool KeepSource = false;
};
