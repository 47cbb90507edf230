#include "resources/Material3D.h"

#include <gtest/gtest.h>

#include "core3d/Stream3D.h"
#include "resources/Mapping3D.h"
#include "resources/Texture3D.h"
#include "tests/resources/ResourceTest.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using testing_support::AddTexture;
using testing_support::ChangeCounter;
using testing_support::ExpectRaises;
using testing_support::Hex;
using testing_support::MessageOf;
using testing_support::RetainedModeTest;
using testing_support::Saved;
using testing_support::StreamOf;
using testing_support::ToHex;

namespace {

// Colour a8 r30 g20 b10, specular r255 g128 b0, power 8, emissive 50 %, both switches on, texture Moss.
const char* const kStoneRecord =
    "10 20 30 80  00 80 FF 00  00 00 00 41  00 00 48 42  01 01  04 00 00 00 4D 6F 73 73";

void ExpectRGB(const rm::ColorRGB& color, float r, float g, float b) {
  EXPECT_FLOAT_EQ(color.r, r);
  EXPECT_FLOAT_EQ(color.g, g);
  EXPECT_FLOAT_EQ(color.b, b);
}

class MaterialTest : public RetainedModeTest {
 protected:
  MaterialTest() { Materials.SetTextures(&Textures); }

  TMaterial3D& Add(const std::string& name) { return *static_cast<TMaterial3D*>(Materials.Add(name)); }
  // A material of the collection loaded from a record given in hex.
  TMaterial3D& Load(const std::string& name, const std::string& record) {
    TMaterial3D& material = Add(name);
    auto stream = StreamOf(Hex(record));
    material.LoadFromStream(stream);
    return material;
  }
  rm::Material& Platform(TMaterial3D& material) { return *material.GetDXMaterial(); }

  TCollectionTexture3D Textures{nullptr, "Textures"};
  TTexture3D* Moss = AddTexture(Textures, "Moss");
  TCollectionMaterial3D Materials{nullptr, "Materials"};
};

TEST_F(MaterialTest, RecordHoldsColoursValuesSwitchesAndTextureNameAndReloadsToTheSameBytes) {
  TMaterial3D& stone = Add("Stone");
  stone.Color.SetRGBA(0x30, 0x20, 0x10, 0x80);
  stone.SpecularColor.SetRGBA(255, 128, 0, 0);
  stone.SetPower(8);
  stone.SetEmissive(50);
  stone.SetEmissiveEnabled(true);
  stone.SetSpecularEnabled(true);
  stone.SetTexture(Moss);
  ASSERT_EQ(ToHex(Saved(stone)), ToHex(Hex(kStoneRecord)));

  TMaterial3D& copy = Load("Copy", kStoneRecord);
  EXPECT_EQ(copy.Color.GetColor(), 0x80302010u);
  EXPECT_EQ(copy.Power(), 8.0f);
  EXPECT_EQ(copy.Emissive(), 50.0f);
  EXPECT_EQ(copy.GetTexture(), Moss);
  EXPECT_EQ(ToHex(Saved(copy)), ToHex(Hex(kStoneRecord)));
  ExpectRGB(Platform(copy).Specular(), 1.0f, 128 / 255.0f, 0.0f);
  EXPECT_EQ(Platform(copy).Power(), 8.0f);
  ExpectRGB(Platform(copy).Emissive(), 0x30 / 510.0f, 0x20 / 510.0f, 0x10 / 510.0f);
}

TEST_F(MaterialTest, DisabledSpecularStaysZeroOnThePlatformUntilEnabled) {
  TMaterial3D& stone = Load("Stone", "10 20 30 80  00 80 FF 00  00 00 00 41  00 00 48 42  00 00  00 00 00 00");
  EXPECT_EQ(stone.SpecularColor.GetColor(), 0x00FF8000u);
  EXPECT_EQ(stone.Power(), 8.0f);
  ExpectRGB(Platform(stone).Specular(), 0, 0, 0);
  EXPECT_EQ(Platform(stone).Power(), 0.0f);
  ExpectRGB(Platform(stone).Emissive(), 0, 0, 0);

  // A new specular colour while disabled is kept, not shown: power 0 would light every face with it.
  stone.SpecularColor.SetRGBA(0, 0, 255, 0);
  ExpectRGB(Platform(stone).Specular(), 0, 0, 0);

  stone.SetSpecularEnabled(true);
  ExpectRGB(Platform(stone).Specular(), 0, 0, 1.0f);
  EXPECT_EQ(Platform(stone).Power(), 8.0f);
  stone.SetSpecularEnabled(false);
  ExpectRGB(Platform(stone).Specular(), 0, 0, 0);
  EXPECT_EQ(Platform(stone).Power(), 0.0f);
}

TEST_F(MaterialTest, EmissiveIsAPercentageOfTheDiffuseColourAndFollowsIt) {
  TMaterial3D& stone = Add("Stone");
  stone.Color.SetRGBA(200, 100, 0, 255);
  stone.SetEmissiveEnabled(true);
  stone.SetEmissive(50);
  ExpectRGB(Platform(stone).Emissive(), 100 / 255.0f, 50 / 255.0f, 0);

  stone.Color.SetRGBA(0, 0, 100, 255);
  ExpectRGB(Platform(stone).Emissive(), 0, 0, 50 / 255.0f);

  stone.SetEmissiveEnabled(false);
  ExpectRGB(Platform(stone).Emissive(), 0, 0, 0);
  stone.SetEmissive(100);  // stored only while disabled
  ExpectRGB(Platform(stone).Emissive(), 0, 0, 0);
  stone.SetEmissiveEnabled(true);
  ExpectRGB(Platform(stone).Emissive(), 0, 0, 100 / 255.0f);
}

// Values equal to the stored ones are not sent again by the setters; reloading or assigning over a
// material whose switches were off must still bring the platform back to them.
TEST_F(MaterialTest, ReloadingOrAssigningOverDisabledValuesSendsThemAgain) {
  TMaterial3D& stone = Load("Stone", kStoneRecord);
  stone.SetSpecularEnabled(false);
  stone.SetEmissiveEnabled(false);
  auto stream = StreamOf(Hex(kStoneRecord));
  stone.LoadFromStream(stream);
  EXPECT_EQ(Platform(stone).Power(), 8.0f);
  ExpectRGB(Platform(stone).Specular(), 1.0f, 128 / 255.0f, 0.0f);
  ExpectRGB(Platform(stone).Emissive(), 0x30 / 510.0f, 0x20 / 510.0f, 0x10 / 510.0f);

  TMaterial3D& copy = Add("Copy");
  copy.Assign(stone);
  EXPECT_EQ(copy.GetTexture(), Moss);
  EXPECT_NE(copy.GetDXMaterial(), stone.GetDXMaterial());
  copy.SetSpecularEnabled(false);
  copy.SetEmissiveEnabled(false);
  copy.Assign(copy);  // keeps the switches off
  EXPECT_FALSE(copy.SpecularEnabled());
  EXPECT_EQ(Platform(copy).Power(), 0.0f);
  copy.Assign(stone);
  EXPECT_EQ(Platform(copy).Power(), 8.0f);
  ExpectRGB(Platform(copy).Specular(), 1.0f, 128 / 255.0f, 0.0f);
  ExpectRGB(Platform(copy).Emissive(), 0x30 / 510.0f, 0x20 / 510.0f, 0x10 / 510.0f);
  EXPECT_EQ(ToHex(Saved(copy)), ToHex(Hex(kStoneRecord)));
  ExpectRaises([&] { copy.Assign(*Moss); }, "Invalid class typecast");
}

TEST_F(MaterialTest, ColourAndTextureChangesReachEveryUserButPowerDoesNot) {
  TMaterial3D& stone = Add("Stone");
  ChangeCounter firstHeard;  // outlives the references, which notify when they detach
  ChangeCounter secondHeard;
  TReference3D first;
  TReference3D second;
  first.SetItem(&stone);
  second.SetItem(&stone);
  firstHeard.Listen(first);
  secondHeard.Listen(second);

  stone.Color.SetRGBA(1, 2, 3, 4);
  stone.SetTexture(Moss);
  stone.SetTexture(Moss);  // unchanged: nobody hears
  stone.SetPower(5);       // lives in the platform material the users already hold
  EXPECT_EQ(firstHeard.Count(), 2);
  EXPECT_EQ(secondHeard.Count(), 2);

  stone.SetTexture(nullptr);
  EXPECT_EQ(firstHeard.Count(), 3);
  EXPECT_EQ(stone.GetTexture(), nullptr);
}

TEST_F(MaterialTest, TextureNamesWaitForTheTextureCollection) {
  TCollectionMaterial3D late(nullptr, "Late");
  auto* stone = static_cast<TMaterial3D*>(late.Add("Stone"));
  auto stream = StreamOf(Hex(kStoneRecord));
  stone->LoadFromStream(stream);
  EXPECT_EQ(stone->GetTexture(), nullptr);
  EXPECT_EQ(ToHex(Saved(*stone)), ToHex(Hex(kStoneRecord)));  // the pending name is kept

  ChangeCounter heard;
  TReference3D user;
  user.SetItem(stone);
  heard.Listen(user);
  late.SetTextures(&Textures);
  EXPECT_EQ(stone->GetTexture(), Moss);
  EXPECT_EQ(heard.Count(), 1);

  ExpectRaises([&] { Load("Lava", "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 04 00 00 00 4C 61 76 61"); },
               "Collection3D error: Item Lava not found");
}

TEST_F(MaterialTest, TextureLinkNeedsAMaterialCollectionButNotAnyCollection) {
  TCollection3D plain(nullptr, "Plain");
  auto* stray = new TMaterial3D(&plain, "Stray");  // the collection owns it
  ExpectRaises([&] { stray->GetTextureRef(); }, "Invalid class typecast");

  TMaterial3D loose(nullptr, "Loose");
  EXPECT_EQ(loose.GetTexture(), nullptr);
  loose.SetTexture(Moss);
  EXPECT_EQ(loose.GetTexture(), Moss);
}

TEST_F(MaterialTest, PlatformFailuresNameTheCallAndKeepTheSwitch) {
  const std::string code = " code: " + std::to_string(rm::D3DRMERR_BADOBJECT & 0xFFF);
  TMaterial3D& stone = Add("Stone");
  rtl::faults::Arm("rm.Direct3DRM.CreateMaterial", rm::D3DRMERR_BADOBJECT);
  ExpectRaises([&] { stone.GetDXMaterial(); }, "Material3D error: Create material failed" + code);

  rtl::faults::Arm("rm.Material.SetSpecular", rm::D3DRMERR_BADOBJECT);
  ExpectRaises([&] { stone.SetSpecularEnabled(true); }, "Material3D error: Set specular failed" + code);
  rtl::faults::Arm("rm.Material.SetPower", rm::D3DRMERR_BADOBJECT);
  ExpectRaises([&] { stone.SetSpecularEnabled(true); }, "Material3D error: Set power failed" + code);
  EXPECT_FALSE(stone.SpecularEnabled());
  rtl::faults::Arm("rm.Material.SetEmissive", rm::D3DRMERR_BADOBJECT);
  ExpectRaises([&] { stone.SetEmissiveEnabled(true); }, "Material3D error: Set emissive failed" + code);
  EXPECT_FALSE(stone.EmissiveEnabled());
}

TEST_F(MaterialTest, DamagedRecordsRaiseReadErrors) {
  const auto record = Hex(kStoneRecord);
  for (std::size_t cut = 0; cut < record.size(); ++cut) {
    TMaterial3D& material = Add("Cut" + std::to_string(cut));
    auto stream = StreamOf({record.begin(), record.begin() + static_cast<std::ptrdiff_t>(cut)});
    EXPECT_EQ(MessageOf([&] { material.LoadFromStream(stream); }), "Stream read error") << "cut at " << cut;
  }
  // A texture name claiming two gigabytes.
  ExpectRaises([&] { Load("Huge", "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 FF FF FF 7F 41"); },
               "Stream read error");
}

TEST(Mapping3DTest, NotifiesOnlyWhenTheFlagsChange) {
  TMapping3D mapping;
  TMapping3D source;
  ChangeCounter heard;
  heard.Listen(mapping);
  mapping.Assign(source);
  EXPECT_EQ(heard.Count(), 0);
  source.SetMapping(rm::D3DRMMAP_WRAPU | rm::D3DRMMAP_PERSPCORRECT);
  mapping.Assign(source);
  EXPECT_EQ(heard.Count(), 1);
  EXPECT_EQ(mapping.Mapping(), 5u);

  auto same = StreamOf(Hex("05 00 00 00"));
  mapping.LoadFromStream(same);
  EXPECT_EQ(heard.Count(), 1);
  auto other = StreamOf(Hex("02 00 00 00"));
  mapping.LoadFromStream(other);
  EXPECT_EQ(heard.Count(), 2);
  EXPECT_EQ(ToHex(Saved(mapping)), "02 00 00 00");
}

}  // namespace
