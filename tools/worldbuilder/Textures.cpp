#include "tools/worldbuilder/Textures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "platform/rtl/Cast.h"
#include "resources/TextureAnimation3D.h"
#include "tools/worldbuilder/Config.h"
#include "tools/worldbuilder/Noise.h"
#include "tools/worldbuilder/Picture.h"

namespace worldbuilder {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
// Pixels of this colour are not drawn in keyed textures; every keyed picture starts with one.
const TRgb kKey = Rgb(255, 0, 255);
constexpr int kWaterFrames = 16;

using Painter = std::function<TRgb(float u, float v)>;

TPicture Paint(int size, const Painter& painter) {
  TPicture picture(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x)
      picture.At(x, y) = painter(static_cast<float>(x) / size, static_cast<float>(y) / size);
  }
  return picture;
}

// Tiling noise in [0, 1] at `cells` lattice cells across the picture.
float Tile(float u, float v, int cells, std::uint32_t seed, int octaves = 4) {
  return 0.5f + 0.5f * TiledNoise(u * cells, v * cells, cells, octaves, seed);
}

TPicture Ground(TGround kind) {
  switch (kind) {
    case TGround::Moss:  // fern-floor: mossy greens, darker fronds and a few pale specks, all soft
      return Paint(128, [](float u, float v) {
        const float n = Tile(u, v, 8, kPictureSeed), fine = Tile(u, v, 32, kPictureSeed + 1, 2);
        TRgb c = Mix(Rgb(52, 78, 34), Rgb(88, 112, 50), n);
        c = Mix(c, Rgb(40, 60, 28), std::clamp((fine - 0.5f) * 2.0f, 0.0f, 0.5f));
        return Mix(c, Rgb(120, 128, 72), std::clamp((0.3f - fine) * 2.0f, 0.0f, 0.3f));
      });
    case TGround::Earth:  // bare earth with a little moss left in it
      return Paint(128, [](float u, float v) {
        const float n = Tile(u, v, 8, kPictureSeed + 2), fine = Tile(u, v, 32, kPictureSeed + 3, 2);
        const TRgb earth = Scale(Mix(Rgb(88, 74, 50), Rgb(118, 98, 66), n), 0.85f + 0.3f * fine);
        return Mix(earth, Rgb(70, 90, 42), std::clamp((n - 0.55f) * 2.0f, 0.0f, 0.6f));
      });
    case TGround::Rock:  // grey and ochre strata
      return Paint(128, [](float u, float v) {
        const float n = Tile(u, v, 4, kPictureSeed + 4), fine = Tile(u, v, 32, kPictureSeed + 5, 3);
        const float strata = 0.5f + 0.5f * std::sin((v + 0.15f * n) * 2.0f * kPi * 6.0f);
        TRgb c = Mix(Rgb(96, 92, 88), Rgb(138, 112, 78), strata * n);
        return Scale(c, 0.7f + 0.45f * fine);
      });
    case TGround::Sand:
      return Paint(128, [](float u, float v) {
        const float n = Tile(u, v, 16, kPictureSeed + 6, 3);
        return Mix(Rgb(120, 108, 80), Rgb(150, 136, 100), n);
      });
    case TGround::Mud:
      return Paint(128, [](float u, float v) {
        const float n = Tile(u, v, 8, kPictureSeed + 7), fine = Tile(u, v, 32, kPictureSeed + 8, 2);
        return Scale(Mix(Rgb(62, 50, 36), Rgb(88, 72, 48), n), 0.85f + 0.25f * fine);
      });
  }
  return TPicture(8, 8);
}

// Frame `frame` of the ripples: two tiling wave fields travelling across each other, so that the
// last frame leads back into the first.
TPicture Water(int frame) {
  const float phase = static_cast<float>(frame) / kWaterFrames;
  return Paint(64, [phase](float u, float v) {
    const float a = Tile(u, v, 4, kPictureSeed + 9, 3), b = Tile(u, v, 8, kPictureSeed + 10, 2);
    const float wave = std::sin(2.0f * kPi * (2.0f * a + phase)) + std::sin(2.0f * kPi * (3.0f * b - phase));
    TRgb c = Mix(Rgb(36, 78, 92), Rgb(60, 112, 120), 0.5f + 0.25f * wave);
    return wave > 1.4f ? Mix(c, Rgb(190, 214, 210), (wave - 1.4f) * 1.2f) : c;
  });
}

// Soft clouds over the key colour; the sky between them is the scene's background colour. No
// light reaches the background, so they are kept grey enough not to glow at night.
TPicture Clouds() {
  TPicture picture(256, 128);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const float u = static_cast<float>(x) / picture.Width(), v = static_cast<float>(y) / picture.Height();
      const float n = 0.5f + 0.5f * TiledNoise(u * 8, v * 4, 8, 5, kPictureSeed + 11);
      const float fade = std::sin(kPi * v);  // no hard edge at the top and bottom of the band
      const float density = (n - 0.52f) * 3.0f * fade;
      picture.At(x, y) = density <= 0.0f ? kKey : Mix(Rgb(168, 174, 188), Rgb(228, 230, 234), std::min(1.0f, density));
    }
  }
  picture.At(0, picture.Height() - 1) = kKey;
  return picture;
}

// v runs from the peaks (0) to the foot (1): snow, bare rock, forest; all a little hazed blue, as
// far things are.
TPicture Mountain() {
  return Paint(128, [](float u, float v) {
    const float n = Tile(u, v, 8, kPictureSeed + 12), fine = Tile(u, v, 32, kPictureSeed + 13, 2);
    const float level = v + 0.18f * (n - 0.5f);
    TRgb c = Mix(Rgb(120, 112, 104), Rgb(52, 74, 46), std::clamp((level - 0.5f) * 3.0f, 0.0f, 1.0f));
    if (level < 0.22f) c = Mix(Rgb(236, 238, 244), c, std::clamp((level - 0.12f) * 10.0f, 0.0f, 1.0f));
    return Mix(Scale(c, 0.8f + 0.35f * fine), Rgb(150, 170, 200), 0.25f);
  });
}

// Skin: a base colour darkening toward the back (v = 0) and paling toward the belly (v = 1),
// mottled, with optional stripes across.
TPicture Skin(TRgb back, TRgb belly, int stripes, std::uint32_t seed) {
  return Paint(64, [=](float u, float v) {
    const float n = Tile(u, v, 8, seed, 3);
    TRgb c = Mix(back, belly, std::clamp((v - 0.35f) * 1.8f, 0.0f, 1.0f));
    c = Scale(c, 0.82f + 0.3f * n);
    if (stripes > 0 && v < 0.55f && std::sin(u * 2.0f * kPi * stripes + 3.0f * n) > 0.55f) c = Scale(c, 0.45f);
    return c;
  });
}

TPicture Bark() {
  return Paint(64, [](float u, float v) {
    const float n = Tile(u, v, 4, kPictureSeed + 14), ring = std::sin(v * 2.0f * kPi * 10.0f + 4.0f * n);
    return Scale(Mix(Rgb(70, 52, 36), Rgb(110, 84, 56), n), ring > 0.6f ? 0.7f : 1.0f);
  });
}

TPicture Leaves(TRgb dark, TRgb light, std::uint32_t seed) {
  return Paint(64, [=](float u, float v) {
    const float vein = std::fabs(std::sin(u * 2.0f * kPi * 6.0f + v * 8.0f));
    return Scale(Mix(dark, light, Tile(u, v, 8, seed, 3)), 0.8f + 0.3f * vein);
  });
}

// A clump of fronds rising from the bottom middle, over the key colour.
TPicture FernDecal(bool reeds) {
  TPicture picture(64, 64, kKey);
  TRandom random(reeds ? 11 : 7);
  const int stems = reeds ? 22 : 16;
  for (int i = 0; i < stems; ++i) {
    const float spread = reeds ? 0.35f : 1.1f;
    const float angle = (random.Unit() - 0.5f) * 2.0f * spread;
    const float length = random.Range(reeds ? 44.0f : 26.0f, reeds ? 62.0f : 40.0f);
    const float x1 = 32.0f + std::sin(angle) * length, y1 = 63.0f - std::cos(angle) * length;
    const TRgb c = reeds ? Mix(Rgb(70, 100, 40), Rgb(120, 140, 60), random.Unit())
                         : Mix(Rgb(40, 86, 30), Rgb(86, 130, 44), random.Unit());
    picture.Line(32.0f, 63.0f, x1, y1, reeds ? 2.5f : 3.0f, c);
    for (float t = 0.25f; !reeds && t < 0.95f; t += 0.1f) {  // leaflets along the frond
      const float px = 32.0f + (x1 - 32.0f) * t, py = 63.0f + (y1 - 63.0f) * t;
      const float reach = 7.0f * (1.0f - t);
      picture.Line(px, py, px + reach * std::cos(angle), py + reach * std::sin(angle) - 2.0f, 2.0f, c);
      picture.Line(px, py, px - reach * std::cos(angle), py - reach * std::sin(angle) - 2.0f, 2.0f, c);
    }
    for (float t = 0.3f; reeds && t < 1.0f; t += 0.22f) {  // the dark joints of horsetails
      picture.Disc(32.0f + (x1 - 32.0f) * t, 63.0f + (y1 - 63.0f) * t, 1.3f, Rgb(40, 50, 24));
    }
  }
  picture.At(0, 63) = kKey;
  return picture;
}

class TCatalog {
 public:
  explicit TCatalog(TWorld3D& world) : FWorld(world) {}

  TTexture3D& Texture(const std::string& name, const TPicture& picture, bool keyed = false) {
    auto& texture = rtl::CheckedCast<TTexture3D>(*FWorld.Textures().Add(name));
    TImage source;
    picture.ToImage(&source);
    std::uint32_t key = 0;
    const bool found = texture.ConvertImage(source, keyed ? coFlip | coTransparency : coFlip, &key);
    texture.CreateDXTexture();
    if (keyed) {
      texture.SetDecalTransparency(true);
      texture.SetTransparent(true);
      if (found) texture.TransparentColor.SetColor(key);
    }
    Material(name, 0xFFFFFFFFu, name);
    return texture;
  }

  TMaterial3D& Material(const std::string& name, std::uint32_t color, const std::string& texture = {}) {
    auto& material = rtl::CheckedCast<TMaterial3D>(*FWorld.Materials().Add(name));
    material.Color.SetColor(color);
    if (!texture.empty()) material.GetTextureRef().SetItemName(texture);
    return material;
  }

  // The flip-book: one key per frame in the texture's own pixel format, and the first frame again
  // so that the loop (which spends half a key on each end) shows every frame for the same time.
  void FlipBook(TTexture3D& texture, int frames, const std::function<TPicture(int)>& frame) {
    const TTextureSettings settings = FWorld.Textures().Settings();
    for (int i = 0; i <= frames; ++i) {
      TImage source, converted;
      frame(i % frames).ToImage(&source);
      ConvertTexture(source, settings, coFlip, &converted, nullptr);
      auto& key = static_cast<TTextureKey3D&>(*texture.Animation.AddKey());
      std::copy(converted.Pixels(), converted.Pixels() + converted.PixelBytes(), key.Pixels());
    }
  }

  // Decals stand on their bottom middle and shrink with distance like geometry.
  void Decal(const std::string& name, const TPicture& picture, float width, float height) {
    TTexture3D& texture = Texture(name, picture, true);
    texture.SetDecalOriginX(picture.Width() / 2);
    texture.SetDecalOriginY(picture.Height());
    texture.SetDecalSizeX(width * kUnit);
    texture.SetDecalSizeY(height * kUnit);
    texture.SetDecalScale(true);
  }

 private:
  TWorld3D& FWorld;
};

}  // namespace

void AddTexturesAndMaterials(TWorld3D& world) {
  TCatalog catalog(world);
  for (int kind = 0; kind < 5; ++kind) {
    for (int shade = 0; shade < kGroundShadeCount; ++shade) {
      TPicture picture = Ground(static_cast<TGround>(kind));
      picture.ScaleAll(kGroundShadeLevels[shade]);
      catalog.Texture(std::string(kGroundMaterials[kind]) + kGroundShades[shade], picture);
    }
  }
  TTexture3D& water = catalog.Texture("Water", Water(0));
  catalog.FlipBook(water, kWaterFrames, Water);
  // Water lets the bed show through where the device blends; the software driver draws it opaque.
  rtl::CheckedCast<TMaterial3D>(*world.Materials().ItemByName("Water")).Color.SetRGBA(255, 255, 255, 176);
  catalog.Texture("Clouds", Clouds(), true);
  catalog.Texture("Mountain", Mountain());
  catalog.Texture("Bark", Bark());
  catalog.Texture("Frond", Leaves(Rgb(38, 84, 30), Rgb(92, 140, 50), kPictureSeed + 20));
  catalog.Texture("Needles", Leaves(Rgb(24, 52, 30), Rgb(52, 90, 46), kPictureSeed + 21));
  catalog.Texture("Cycad", Leaves(Rgb(60, 90, 30), Rgb(120, 140, 56), kPictureSeed + 22));
  catalog.Texture("SkinGiant", Skin(Rgb(112, 100, 84), Rgb(200, 188, 160), 0, kPictureSeed + 30));
  catalog.Texture("SkinGrazer", Skin(Rgb(96, 84, 52), Rgb(196, 178, 130), 0, kPictureSeed + 31));
  catalog.Texture("Frill", Skin(Rgb(170, 60, 34), Rgb(232, 170, 60), 5, kPictureSeed + 32));
  catalog.Texture("SkinPlated", Skin(Rgb(74, 86, 50), Rgb(180, 176, 130), 0, kPictureSeed + 33));
  catalog.Texture("Plates", Skin(Rgb(176, 92, 40), Rgb(120, 70, 40), 0, kPictureSeed + 34));
  catalog.Texture("SkinHunter", Skin(Rgb(150, 110, 64), Rgb(222, 204, 164), 9, kPictureSeed + 35));
  catalog.Texture("SkinFlyer", Skin(Rgb(110, 74, 52), Rgb(200, 170, 130), 0, kPictureSeed + 36));
  catalog.Texture("Wing", Skin(Rgb(130, 70, 50), Rgb(170, 110, 80), 0, kPictureSeed + 37));
  catalog.Texture("SkinSwimmer", Skin(Rgb(58, 72, 80), Rgb(190, 196, 190), 0, kPictureSeed + 38));
  catalog.Decal("FernClump", FernDecal(false), 3.0f, 2.2f);
  catalog.Decal("Horsetails", FernDecal(true), 2.2f, 2.6f);
  catalog.Material("Horn", 0xFFE8DCC0u);
  catalog.Material("Eye", 0xFF101010u);
}

}  // namespace worldbuilder
