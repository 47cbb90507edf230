// Meshes, textures, materials, lights and the root object's creation calls.

#include <gtest/gtest.h>

#include "platform/rm/Direct3DRM.h"
#include "platform/rtl/Faults.h"

namespace {

rm::Image RgbImage(int width, int height, int depth, const void* pixels, int bytesPerLine, std::uint32_t r,
                   std::uint32_t g, std::uint32_t b, std::uint32_t a) {
  rm::Image image;
  image.width = width;
  image.height = height;
  image.depth = depth;
  image.rgb = true;
  image.bytesPerLine = bytesPerLine;
  image.buffer1 = pixels;
  image.redMask = r;
  image.greenMask = g;
  image.blueMask = b;
  image.alphaMask = a;
  return image;
}

std::uint32_t Texel(const rm::Texture& texture, int x, int y) {
  const auto& level = texture.DeviceTexture().Level(0);
  return level.texels[y * level.width + x];
}

rtl::Ref<rm::Direct3DRM> Root() {
  rtl::Ref<rm::Direct3DRM> root;
  EXPECT_EQ(rm::Direct3DRMCreate(&root), rm::D3DRM_OK);
  return root;
}

}  // namespace

TEST(RmTexture, EveryPixelFormatWidensToEightBitChannels) {
  auto root = Root();
  rtl::Ref<rm::Texture> texture;

  const std::uint16_t rgb565[2] = {0xF800, 0x07E0};  // red, green
  ASSERT_EQ(root->CreateTexture(RgbImage(2, 1, 16, rgb565, 4, 0xF800, 0x07E0, 0x001F, 0), &texture), rm::D3DRM_OK);
  EXPECT_EQ(Texel(*texture, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Texel(*texture, 1, 0), 0xFF00FF00u);
  EXPECT_FALSE(texture->HasAlpha());

  const std::uint16_t argb1555[2] = {0x801F, 0x7C00};  // opaque blue, transparent red
  ASSERT_EQ(root->CreateTexture(RgbImage(2, 1, 15, argb1555, 4, 0x7C00, 0x03E0, 0x001F, 0x8000), &texture),
            rm::D3DRM_OK);
  EXPECT_EQ(Texel(*texture, 0, 0), 0xFF0000FFu);
  EXPECT_EQ(Texel(*texture, 1, 0), 0x00FF0000u);
  EXPECT_TRUE(texture->HasAlpha());

  const std::uint16_t argb4444[1] = {0x8F84};  // alpha 8 of 15, red 15, green 8, blue 4
  ASSERT_EQ(root->CreateTexture(RgbImage(1, 1, 16, argb4444, 2, 0x0F00, 0x00F0, 0x000F, 0xF000), &texture),
            rm::D3DRM_OK);
  EXPECT_EQ(Texel(*texture, 0, 0), 0x88FF8844u);

  // 24 bits: bytes blue, green, red; rows padded to 8 bytes.
  const std::uint8_t rgb888[16] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0, 0, 0xAA, 0xBB, 0xCC, 1, 2, 3, 0, 0};
  ASSERT_EQ(root->CreateTexture(RgbImage(2, 2, 24, rgb888, 8, 0xFF0000, 0x00FF00, 0x0000FF, 0), &texture),
            rm::D3DRM_OK);
  EXPECT_EQ(Texel(*texture, 0, 0), 0xFF302010u);
  EXPECT_EQ(Texel(*texture, 1, 0), 0xFF605040u);
  EXPECT_EQ(Texel(*texture, 0, 1), 0xFFCCBBAAu);
  EXPECT_EQ(Texel(*texture, 1, 1), 0xFF030201u);

  const std::uint32_t argb8888[1] = {0x7F123456u};
  ASSERT_EQ(root->CreateTexture(RgbImage(1, 1, 32, argb8888, 4, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u), &texture),
            rm::D3DRM_OK);
  EXPECT_EQ(Texel(*texture, 0, 0), 0x7F123456u);
}

TEST(RmTexture, PalettisedPicturesAndPixelChanges) {
  auto root = Root();
  rm::PaletteEntry palette[2] = {{255, 0, 0, 0}, {0, 0, 255, 0}};
  std::uint8_t pixels[4] = {0, 1, 1, 7};  // 7 lies past the palette: black
  rm::Image image;
  image.width = 2;
  image.height = 2;
  image.depth = 8;
  image.bytesPerLine = 2;
  image.buffer1 = pixels;
  image.paletteSize = 2;
  image.palette = palette;
  rtl::Ref<rm::Texture> texture;
  ASSERT_EQ(root->CreateTexture(image, &texture), rm::D3DRM_OK);
  EXPECT_EQ(Texel(*texture, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Texel(*texture, 1, 0), 0xFF0000FFu);
  EXPECT_EQ(Texel(*texture, 1, 1), 0xFF000000u);

  const auto version = texture->DeviceTexture().Version();
  palette[0] = {0, 255, 0, 0};
  pixels[1] = 0;
  EXPECT_EQ(Texel(*texture, 0, 0), 0xFFFF0000u) << "nothing changes until the application says so";
  ASSERT_EQ(texture->Changed(true, true), rm::D3DRM_OK);
  EXPECT_EQ(Texel(*texture, 0, 0), 0xFF00FF00u);
  EXPECT_EQ(Texel(*texture, 1, 0), 0xFF00FF00u);
  EXPECT_NE(texture->DeviceTexture().Version(), version);
}

TEST(RmTexture, IncompleteDescriptorsAreRefused) {
  auto root = Root();
  const std::uint32_t pixel = 0;
  rtl::Ref<rm::Texture> texture;
  const rm::Image good = RgbImage(1, 1, 32, &pixel, 4, 0xFF0000, 0xFF00, 0xFF, 0);
  ASSERT_EQ(root->CreateTexture(good, &texture), rm::D3DRM_OK);
  auto refused = [&](rm::Image image) { return root->CreateTexture(image, &texture) == rm::D3DRMERR_BADVALUE; };
  rm::Image bad = good;
  bad.buffer1 = nullptr;
  EXPECT_TRUE(refused(bad));
  bad = good;
  bad.bytesPerLine = 3;
  EXPECT_TRUE(refused(bad));
  bad = good;
  bad.depth = 12;
  EXPECT_TRUE(refused(bad));
  bad = good;
  bad.width = 0;
  EXPECT_TRUE(refused(bad));
  bad = good;
  bad.rgb = false;
  bad.depth = 8;  // palettised without a palette
  EXPECT_TRUE(refused(bad));
}

TEST(RmMesh, FacesBecomeFansAndBadFaceDataIsRefused) {
  rm::Mesh mesh;
  rm::GroupIndex group = -1;
  const std::uint32_t quads[] = {0, 1, 2, 3};
  ASSERT_EQ(mesh.AddGroup(4, 1, 4, quads, &group), rm::D3DRM_OK);
  EXPECT_EQ(group, 0);
  EXPECT_EQ(mesh.Group(0).indices, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3}));
  const std::uint32_t counted[] = {3, 0, 1, 2, 4, 4, 3, 2, 1};  // a triangle, then a quad
  ASSERT_EQ(mesh.AddGroup(5, 2, 0, counted, &group), rm::D3DRM_OK);
  EXPECT_EQ(mesh.Group(1).indices, (std::vector<std::uint32_t>{0, 1, 2, 4, 3, 2, 4, 2, 1}));

  const std::uint32_t missingVertex[] = {0, 1, 9};
  EXPECT_EQ(mesh.AddGroup(3, 1, 3, missingVertex, &group), rm::D3DRMERR_BADVALUE);
  const std::uint32_t shortData[] = {0, 1};
  EXPECT_EQ(mesh.AddGroup(3, 1, 3, shortData, &group), rm::D3DRMERR_BADVALUE);
  const std::uint32_t hugeCount[] = {0xFFFFFFFFu, 0, 1};
  EXPECT_EQ(mesh.AddGroup(3, 1, 0, hugeCount, &group), rm::D3DRMERR_BADVALUE);
  EXPECT_EQ(mesh.GroupCount(), 2) << "refused groups are not added";
}

TEST(RmMesh, VerticesGroupSettingsAndBox) {
  rm::Mesh mesh;
  rm::Box box{{9, 9, 9}, {9, 9, 9}};
  ASSERT_EQ(mesh.GetBox(&box), rm::D3DRM_OK);
  EXPECT_EQ(box.max.x, 0.0f) << "an empty mesh has an all-zero box";
  rm::GroupIndex group;
  const std::uint32_t face[] = {0, 1, 2};
  mesh.AddGroup(3, 1, 3, face, &group);
  const rm::MeshVertex vertices[3] = {
      {{-1, 0, 2}, {0, 0, -1}, 0, 0, 0}, {{1, 5, 2}, {0, 0, -1}, 1, 0, 0}, {{0, -3, 4}, {0, 0, -1}, 0, 1, 0}};
  ASSERT_EQ(mesh.SetVertices(group, 0, vertices), rm::D3DRM_OK);
  EXPECT_EQ(mesh.SetVertices(group, 1, vertices), rm::D3DRMERR_BADVALUE) << "past the group's end";
  mesh.GetBox(&box);
  EXPECT_EQ(box.min.y, -3.0f);
  EXPECT_EQ(box.max.y, 5.0f);
  EXPECT_EQ(box.max.z, 4.0f);

  auto material = rtl::MakeRef<rm::Material>(8.0f);
  EXPECT_EQ(mesh.SetGroupMaterial(group, material.Get()), rm::D3DRM_OK);
  EXPECT_EQ(material->RefCount(), 2u) << "the group holds the material";
  EXPECT_EQ(mesh.SetGroupQuality(group, rm::D3DRMRENDER_WIREFRAME), rm::D3DRM_OK);
  EXPECT_EQ(mesh.Group(group).quality, static_cast<std::uint32_t>(rm::D3DRMRENDER_WIREFRAME));
  EXPECT_EQ(mesh.SetGroupColor(5, 0), rm::D3DRMERR_BADVALUE);
}

TEST(RmRoot, InjectedFaultsAndSearchPath) {
  auto root = Root();
  rtl::faults::Reset();
  rtl::faults::Arm("rm.Frame.AddChild", rm::D3DRMERR_BADOBJECT);
  rtl::Ref<rm::Frame> parent, child;
  ASSERT_EQ(root->CreateFrame(nullptr, &parent), rm::D3DRM_OK);
  EXPECT_EQ(root->CreateFrame(parent.Get(), &child), rm::D3DRMERR_BADOBJECT);
  EXPECT_EQ(root->CreateFrame(parent.Get(), &child), rm::D3DRM_OK) << "armed for one call only";
  rtl::faults::Arm("rm.Mesh.SetGroupQuality", 0x887601F4);
  rm::Mesh mesh;
  EXPECT_EQ(mesh.SetGroupQuality(0, 0), static_cast<std::int32_t>(0x887601F4));
  rtl::faults::Reset();

  std::uint32_t size = 0;
  ASSERT_EQ(root->GetSearchPath(&size, nullptr), rm::D3DRM_OK);
  EXPECT_EQ(size, 1u);
  root->SetSearchPath("/usr/share/quorlith3d");
  root->AddSearchPath("/home/me/worlds");
  root->GetSearchPath(&size, nullptr);
  std::string path(size, '\0');
  ASSERT_EQ(root->GetSearchPath(&size, path.data()), rm::D3DRM_OK);
  EXPECT_STREQ(path.c_str(), "/usr/share/quorlith3d;/home/me/worlds");
  std::uint32_t tooSmall = 4;
  EXPECT_EQ(root->GetSearchPath(&tooSmall, path.data()), rm::D3DRMERR_BADVALUE);
}

TEST(RmLight, EnableFrameIsForgottenWhenTheFrameGoes) {
  auto light = rtl::MakeRef<rm::Light>(rm::LightType::Point, rm::ColorRGB{1, 1, 1});
  {
    auto frame = rtl::MakeRef<rm::Frame>();
    light->SetEnableFrame(frame.Get());
    EXPECT_EQ(light->EnableFrame(), frame.Get());
  }
  EXPECT_EQ(light->EnableFrame(), nullptr);
  EXPECT_EQ(light->SetRange(-1), rm::D3DRMERR_BADVALUE);
}
