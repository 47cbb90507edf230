#pragma once

// Flip-book animation of a texture's picture: each key holds a whole copy of the texture's pixels,
// and the animation shows the key nearest to its time.

#include <cstdint>
#include <memory>
#include <vector>

#include "anim/Animation3D.h"

class TTexture3D;

class TTextureKey3D : public TKey3D {
 public:
  // "TextureKey3D error: invalid buffer size" when height × bytesPerLine is 0 or less.
  TTextureKey3D(TAnimation3D* keyAnimation, std::int32_t height, std::int32_t bytesPerLine);

  const char* ClassName() const override { return "TTextureKey3D"; }

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  std::uint8_t* Pixels() { return FPixels.data(); }
  const std::uint8_t* Pixels() const { return FPixels.data(); }
  std::int32_t Height() const { return FHeight; }
  std::int32_t BytesPerLine() const { return FBytesPerLine; }

 private:
  void Resize(std::int32_t height, std::int32_t bytesPerLine);

  std::vector<std::uint8_t> FPixels;
  std::int32_t FHeight = 0;
  std::int32_t FBytesPerLine = 0;
};

class TTextureAnimation3D : public TAnimation3D {
 public:
  const char* ClassName() const override { return "TTextureAnimation3D"; }

  // A key sized from the texture's picture; "TextureAnimation3D error: Create key failed" without
  // a texture.
  std::unique_ptr<TKey3D> CreateKey() override;
  // Copies the key nearest to Time (halves to the even one) into the texture's picture and tells
  // the platform texture its pixels changed.
  void Update() override;

  void SetTexture(TTexture3D* texture) { FTexture = texture; }
  TTexture3D* Texture() const { return FTexture; }

 private:
  TTexture3D* FTexture = nullptr;  // the texture that owns this animation
};
