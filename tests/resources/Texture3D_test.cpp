// Textures: records, conversion on load, decal settings and box, the platform texture, and the
// flip-book texture animation.

#include "resources/Texture3D.h"

#include <gtest/gtest.h>

#include "anim/Motion3D.h"
#include "core3d/RetainedMode.h"
#include "platform/rtl/Faults.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using testing_support::MessageOf;
using testing_support::Saved;
using testing_support::StreamOf;

namespace {

// A stored picture record: the descriptor, bottom-up rows of 24-bit pixels colorAt(x, y) (y counted
// from the top of the picture), then the decal fields and an empty visual record.
std::vector<std::uint8_t> TextureRecord(int width, int height, std::uint32_t (*colorAt)(int, int),
                                        bool transparency = false, int keys = 0) {
  rtl::TMemoryStream s;
  const int pitch = (width * 3 + 3) / 4 * 4;
  const std::int32_t descriptor[15] = {width, height, 1, 1, 24, 1, pitch, 0, 0, 0xFF0000, 0xFF00, 0xFF, 0, 0, 0};
  for (std::int32_t field : descriptor) s.WriteValue(field);
  for (int y = height - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(pitch), 0);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = colorAt(x, y);
      row[x * 3] = c & 0xFF, row[x * 3 + 1] = (c >> 8) & 0xFF, row[x * 3 + 2] = (c >> 16) & 0xFF;
    }
    s.WriteBuffer(row.data(), pitch);
  }
  s.WriteValue<std::uint8_t>(transparency ? 1 : 0);
  s.WriteValue<std::uint32_t>(0x000000FFu);  // transparent colour
  s.WriteValue<std::uint8_t>(0);             // transparent
  s.WriteValue<std::int32_t>(0);
  s.WriteValue<std::int32_t>(0);
  s.WriteValue<float>(100);
  s.WriteValue<float>(100);
  s.WriteValue<std::uint8_t>(1);
  // The visual record: the animation's record (with `keys` keys of a 2-byte-per-pixel picture),
  // then the box and the topology box, each as its own class writes it.
  std::vector<std::uint8_t> bytes = s.Bytes();
  TTextureAnimation3D animation;
  TCollectionTexture3D scratch(nullptr, "scratch");
  auto* owner = static_cast<TTexture3D*>(scratch.Add("owner"));
  owner->Image().Desc.height = height;
  owner->Image().Desc.bytesPerLine = width * 2;
  animation.SetTexture(owner);
  for (int i = 0; i < keys; ++i) animation.AddKey();
  const auto animationRecord = Saved(animation);
  bytes.insert(bytes.end(), animationRecord.begin(), animationRecord.end());
  TListBox3D box;
  TTopologyBox3D topology;
  const auto boxRecord = Saved(box.Box);
  bytes.insert(bytes.end(), boxRecord.begin(), boxRecord.end());
  const auto topologyRecord = Saved(topology);
  bytes.insert(bytes.end(), topologyRecord.begin(), topologyRecord.end());
  return bytes;
}

std::uint32_t Stripes(int x, int) { return x % 2 ? 0xFFFFFFu : 0x204080u; }
std::uint32_t TopRed(int, int y) { return y == 0 ? 0xFF0000u : 0x0000FFu; }

class Texture3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(rm::Direct3DRMCreate(&FRoot), rm::D3DRM_OK);
    SetRetainedMode(FRoot.Get());
    Textures.MinSize = 1;
    Textures.MaxSize = 256;
    Textures.Shift = 0;
    Textures.Depth = 24;
  }
  void TearDown() override { SetRetainedMode(nullptr); }

  TTexture3D& Load(const std::vector<std::uint8_t>& record, const std::string& name = "t") {
    auto* texture = static_cast<TTexture3D*>(Textures.Add(name));
    auto stream = StreamOf(record);
    texture->LoadFromStream(stream);
    EXPECT_EQ(stream.Remaining(), 0);
    return *texture;
  }

  TCollectionTexture3D Textures{nullptr, "textures"};

 private:
  rtl::Ref<rm::Direct3DRM> FRoot;
};

std::uint32_t Texel(const TTexture3D& texture, int x, int y) {
  const auto& level = texture.GetDXTexture()->DeviceTexture().Level(0);
  return level.texels[y * level.width + x] & 0xFFFFFFu;
}

}  // namespace

TEST_F(Texture3DTest, LoadConvertsTheStoredPictureTopDownAndMakesThePlatformTexture) {
  TTexture3D& texture = Load(TextureRecord(4, 2, TopRed));
  EXPECT_EQ(texture.Image().Desc.width, 4);
  EXPECT_EQ(texture.Image().Desc.depth, 24);
  EXPECT_EQ(Texel(texture, 0, 0), 0xFF0000u) << "the top row of the picture comes first";
  EXPECT_EQ(Texel(texture, 0, 1), 0x0000FFu);
  EXPECT_EQ(texture.DXVisual(), texture.GetDXTexture());
  EXPECT_EQ(texture.GetDXTexture()->Colors(), 256);
  EXPECT_EQ(texture.GetDXTexture()->Shades(), 1);
}

// Found by fuzzing the world loader: a width wider than the stored rows made the conversion read
// and write past the pictures.
TEST_F(Texture3DTest, AWidthTheRowsCannotHoldIsAReadError) {
  auto record = TextureRecord(4, 2, Stripes);
  record[0] = 0xE8, record[1] = 0x03;  // width 1000 in rows of 12 bytes
  auto* texture = static_cast<TTexture3D*>(Textures.Add("wide"));
  auto stream = StreamOf(record);
  testing_support::ExpectRaises([&] { texture->LoadFromStream(stream); }, "Stream read error");
}

// Only depths the converter takes are checked against their rows; any other is read whole and
// refused by name.
TEST_F(Texture3DTest, AStoredDepthTheConverterDoesNotTakeIsNamed) {
  for (const std::uint8_t depth : {0, 48, 16}) {
    auto record = TextureRecord(4, 2, Stripes);
    record[16] = depth;
    auto* texture = static_cast<TTexture3D*>(Textures.Add("odd" + std::to_string(depth)));
    auto stream = StreamOf(record);
    testing_support::ExpectRaises([&] { texture->LoadFromStream(stream); },
                                  "Texture3D: convert failed depth=" + std::to_string(depth));
  }
}

// The rgb field and the flag bytes hold whatever non-zero value the file had.
TEST_F(Texture3DTest, OddFlagValuesSaveBackAsTheyWereStored) {
  Textures.KeepSource = true;
  auto stored = TextureRecord(4, 2, Stripes);
  const std::size_t decal = 60 + 12 * 2;
  for (std::size_t i = 20; i < 24; ++i) stored[i] = 0xFF;  // rgb field -1
  stored[decal + 5] = 2;                                   // Transparent
  stored[decal + 22] = 0x80;                               // DecalScale
  TTexture3D& texture = Load(stored);
  EXPECT_TRUE(texture.Transparent());
  EXPECT_TRUE(texture.DecalScale());
  const auto saved = Saved(texture);  // (the visual record after the flags holds the computed box)
  ASSERT_GT(saved.size(), decal + 23);
  EXPECT_TRUE(std::equal(stored.begin(), stored.begin() + decal + 23, saved.begin()));
}

TEST_F(Texture3DTest, KeptSourcesSaveBackIdentically) {
  Textures.KeepSource = true;
  const auto stored = TextureRecord(8, 4, Stripes);
  const auto record = Saved(Load(stored, "first"));
  // The picture is saved as it was stored, byte for byte.
  const std::size_t pictureBytes = 60 + 24 * 4;
  EXPECT_TRUE(std::equal(stored.begin(), stored.begin() + pictureBytes, record.begin()));
  TTexture3D& texture = Load(record);
  EXPECT_EQ(Saved(texture), record);
  TCollectionTexture3D other(nullptr, "other");
  other.KeepSource = true;
  auto* copy = static_cast<TTexture3D*>(other.Add("copy"));
  auto stream = StreamOf(record);
  copy->LoadFromStream(stream);
  stream.SetPosition(0);
  copy->LoadFromStream(stream);
  EXPECT_EQ(Saved(*copy), record) << "loading twice gives the same texture";
}

TEST_F(Texture3DTest, ConvertedPicturesSaveSoThatTheyLoadTheSameWay) {
  // At 8 bits the picture is quantized: its palette and its rows must come back as they were.
  Textures.Depth = 8;
  TTexture3D& texture = Load(TextureRecord(4, 2, TopRed));
  const auto saved = Saved(texture);
  TTexture3D& again = Load(saved, "again");
  EXPECT_EQ(Texel(again, 0, 0), 0xFF0000u) << "red stays red and stays on top";
  EXPECT_EQ(Texel(again, 3, 1), 0x0000FFu);
  const auto savedAgain = Saved(again);
  EXPECT_EQ(Saved(Load(savedAgain, "third")), savedAgain);

  Textures.Depth = 16;
  TTexture3D& shallow = Load(TextureRecord(4, 2, TopRed), "shallow");
  EXPECT_EQ(MessageOf([&] { Saved(shallow); }), "Texture3D: convert failed depth=16")
      << "a 16-bit picture could not be read again, so it is not saved";
}

TEST_F(Texture3DTest, SavingWithoutKeepingTheSourceHalvesAgainOnTheNextLoad) {
  Textures.Shift = 1;
  Textures.MinSize = 2;
  TTexture3D& texture = Load(TextureRecord(16, 16, Stripes));
  EXPECT_EQ(texture.Image().Desc.width, 8);
  TTexture3D& again = Load(Saved(texture), "again");
  EXPECT_EQ(again.Image().Desc.width, 4);
}

TEST_F(Texture3DTest, TransparencyTakesTheKeyColourOfTheFirstStoredPixel) {
  TTexture3D& texture = Load(TextureRecord(4, 2, TopRed, true));
  EXPECT_TRUE(texture.DecalTransparency());
  // The first stored row is the bottom one: blue.
  EXPECT_EQ(texture.TransparentColor.GetColor(), 0xFF0000FFu);
  EXPECT_EQ(texture.GetDXTexture()->DecalTransparentColor(), 0xFF0000FFu);
  EXPECT_TRUE(texture.GetDXTexture()->DecalTransparency());
}

TEST_F(Texture3DTest, DecalBoxOfTheExampleAndDecalSetters) {
  TTexture3D& texture = Load(TextureRecord(64, 64, Stripes));
  texture.SetDecalSizeX(100);
  texture.SetDecalSizeY(100);
  texture.SetDecalOriginX(32);
  texture.SetDecalOriginY(32);
  const rm::Box box = texture.GetBox().GetBox();
  EXPECT_FLOAT_EQ(box.min.x, -50);
  EXPECT_FLOAT_EQ(box.min.y, -50);
  EXPECT_FLOAT_EQ(box.min.z, -50);
  EXPECT_FLOAT_EQ(box.max.x, 50);
  EXPECT_FLOAT_EQ(box.max.y, 50);
  EXPECT_FLOAT_EQ(box.max.z, 50);
  EXPECT_EQ(texture.GetDXTexture()->DecalOriginX(), 32);
  EXPECT_FLOAT_EQ(texture.GetDXTexture()->DecalHeight(), 100);

  TTexture3D& bare = *static_cast<TTexture3D*>(Textures.Add("bare"));
  EXPECT_EQ(MessageOf([&] { bare.SetDecalOriginX(3); }), "Texture3D error: DXTexture not assigned");
  EXPECT_EQ(bare.DecalOriginX(), 0);
}

TEST_F(Texture3DTest, PlatformFailuresCarryTheirMessages) {
  rtl::faults::Arm("rm.Direct3DRM.CreateTexture", rm::D3DRMERR_BADVALUE);
  const auto record = TextureRecord(4, 2, Stripes);
  EXPECT_EQ(MessageOf([&] { Load(record); }), "Texture3D error: Create texture failed code: 781");
  TTexture3D& texture = Load(record, "second");
  EXPECT_FLOAT_EQ(texture.GetDXTexture()->DecalWidth(), 100) << "a new platform texture gets the decal settings";
  rtl::faults::Arm("rm.Texture.SetDecalScale", rm::D3DRMERR_BADVALUE);
  EXPECT_EQ(MessageOf([&] { texture.SetDecalScale(false); }), "Texture3D error: Set decal scale failed code: 781");
  EXPECT_TRUE(texture.DecalScale());
  rtl::faults::Reset();
}

TEST_F(Texture3DTest, DamagedRecordsFailWithoutLeavingAPlatformTextureBehind) {
  TTexture3D& texture = Load(TextureRecord(4, 2, Stripes));
  auto record = TextureRecord(4, 2, Stripes);
  record[4 * 6] = 0xFF;  // bytes per line far beyond the stream
  record[4 * 6 + 3] = 0x0F;
  auto stream = StreamOf(record);
  EXPECT_THROW(texture.LoadFromStream(stream), rtl::EReadError);
  EXPECT_EQ(MessageOf([&] { texture.GetDXTexture(); }), "Texture3D error: DXTexture not assigned");
  auto cut = TextureRecord(4, 2, Stripes);
  cut.resize(cut.size() - 3);
  auto cutStream = StreamOf(cut);
  EXPECT_THROW(texture.LoadFromStream(cutStream), rtl::EReadError);
}

TEST_F(Texture3DTest, TextureAnimationShowsTheNearestKeyAndStartsPlayingOnLoad) {
  TTexture3D& texture = Load(TextureRecord(4, 2, Stripes, false, 4));
  ASSERT_EQ(texture.Animation.KeyCount(), 4);
  ASSERT_EQ(texture.Motions.Count(), 1);
  EXPECT_TRUE(texture.Motions.Playing());
  const auto& playing = PlayingMotions();
  EXPECT_NE(std::find(playing.begin(), playing.end(), texture.Motions.CurrentMotion()), playing.end());

  for (int k = 0; k < 4; ++k) {
    auto& key = static_cast<TTextureKey3D&>(*texture.Animation.GetKey(k));
    std::fill(key.Pixels(), key.Pixels() + key.Height() * key.BytesPerLine(), static_cast<std::uint8_t>(k * 0x10));
  }
  texture.Animation.SetTime(2.5f);
  EXPECT_EQ(Texel(texture, 0, 0), 0x202020u) << "2.5 rounds to the even key 2";
  texture.Animation.SetTime(2.6f);
  EXPECT_EQ(Texel(texture, 0, 0), 0x303030u);
  texture.Animation.SetTime(3.0f);
  EXPECT_EQ(Texel(texture, 0, 0), 0x303030u);
  EXPECT_THROW(texture.Animation.SetTime(4.0f), rtl::EListError);
}

TEST_F(Texture3DTest, TextureKeysRefuseEmptyBuffersAndNeedATexture) {
  TTextureAnimation3D lonely;
  EXPECT_EQ(MessageOf([&] { lonely.CreateKey(); }), "TextureAnimation3D error: Create key failed");
  EXPECT_EQ(MessageOf([&] { TTextureKey3D key(&lonely, 0, 16); }), "TextureKey3D error: invalid buffer size");
  EXPECT_EQ(MessageOf([&] { TTextureKey3D key(&lonely, 4, -4); }), "TextureKey3D error: invalid buffer size");
  TTextureKey3D key(&lonely, 2, 4);
  auto damaged = StreamOf(testing_support::Hex("02 00 00 00 00 00 00 40 00"));  // 2 × 2^30 bytes
  EXPECT_THROW(key.LoadFromStream(damaged), rtl::EReadError);
}

TEST_F(Texture3DTest, AssignCopiesThePictureAndTheDecalSettings) {
  TTexture3D& source = Load(TextureRecord(4, 2, TopRed, true));
  source.SetDecalSizeX(7);
  TTexture3D& copy = *static_cast<TTexture3D*>(Textures.Add("copy"));
  copy.Assign(source);
  EXPECT_EQ(Texel(copy, 0, 0), 0xFF0000u);
  EXPECT_NE(copy.GetDXTexture(), source.GetDXTexture());
  EXPECT_FLOAT_EQ(copy.DecalSizeX(), 7);
  EXPECT_TRUE(copy.DecalTransparency());
  EXPECT_EQ(copy.TransparentColor.GetColor(), source.TransparentColor.GetColor());
}
