#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core3d/RetainedMode.h"
#include "platform/rtl/Faults.h"
#include "resources/Texture3D.h"

namespace testing_support {

// A test that builds resources with platform objects: a fresh retained-mode root for each test,
// and every armed fault disarmed after it.
class RetainedModeTest : public ::testing::Test {
 protected:
  RetainedModeTest() {
    rtl::Ref<rm::Direct3DRM> root;
    if (rm::Direct3DRMCreate(&root) != rm::D3DRM_OK) ADD_FAILURE() << "no retained-mode root";
    SetRetainedMode(root.Get());
  }
  ~RetainedModeTest() override {
    rtl::faults::Reset();
    SetRetainedMode(nullptr);
  }
};

// A texture of 2 × 2 opaque 32-bit pixels with its platform texture.
inline TTexture3D* AddTexture(TCollectionTexture3D& textures, const std::string& name) {
  auto* texture = static_cast<TTexture3D*>(textures.Add(name));
  rm::Image& image = texture->Image().Desc;
  image.width = image.height = 2;
  image.depth = 32;
  image.rgb = true;
  image.bytesPerLine = 8;
  image.redMask = 0xFF0000;
  image.greenMask = 0xFF00;
  image.blueMask = 0xFF;
  texture->Image().Allocate();
  texture->CreateDXTexture();
  return texture;
}

}  // namespace testing_support
