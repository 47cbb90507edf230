#include "render/HeadlessView.h"

#include "core3d/CheckResult.h"
#include "core3d/RetainedMode.h"
#include "platform/dd/Direct3D.h"
#include "platform/dd/SurfacePicture.h"
#include "platform/rm/DeviceSetUp.h"
#include "platform/rm/Mesh.h"
#include "render/PngFile.h"
#include "render/ShowView.h"

namespace {

constexpr int kDepthBits = 16;
// The headless view's words for each step of the device set-up.
constexpr rm::SetUpMessages kSetUpMessages{
    .createTarget = "Window3D error: Create back surface failed",
    .createZBuffer = "Window3D error: Create z-buffer surface failed",
    .attachZBuffer = "Window3D error: Attach z-buffer failed",
    .createPalette = "Window3D error: Create palette failed",
    .setPalette = "Window3D error: Set palette failed",
    .createRasterizer = "Window3D error: Create device failed",
    .createDevice = "Window3D error: Create device failed",
};

}  // namespace

THeadlessView::THeadlessView(int width, int height, d3d::PixelFormat format, const std::array<std::uint8_t, 16>& driver)
    : FWidth(width), FHeight(height) {
  CreateSurfaces(format);
  CreateDevice(driver);
  FScene = std::make_unique<TFrame3D>();
  FCamera = std::make_unique<TFrame3D>();
  FCamera->SetParent(FScene.get());
  CheckResult(FRoot->CreateViewport(FDevice.Get(), FCamera->DXFrame(), 0, 0, width, height, &FViewport),
              "Window3D error: Create viewport failed");
  CheckResult(FViewport->SetBack(kShowBack), "Window3D error: Can't set back plane");
  CheckResult(FViewport->SetFront(kShowFront), "Window3D error: Can't set front plane");
  CheckResult(FViewport->SetField(kShowField), "Window3D error: Can't set field of view");
  FPainter = std::make_unique<TMapPainter>(*FViewport, *FDevice, *FScene, *FCamera);
}

// The frames and the device go while the root they were made through is still the current one.
THeadlessView::~THeadlessView() {
  FPainter.reset();
  FViewport.Reset();
  FCamera.reset();
  FScene.reset();
  FDevice.Reset();
  SetRetainedMode(nullptr);
}

void THeadlessView::CreateSurfaces(d3d::PixelFormat format) {
  CheckResult(dd::DirectDrawCreate(nullptr, &FDirectDraw), "Window3D error: Create DirectDraw failed");
  const rm::DeviceSetUp setUp(*FDirectDraw, CheckResult, kSetUpMessages);
  FTarget = setUp.CreateMemoryTarget(FWidth, FHeight, format);
  FDepth = setUp.AttachZBuffer(*FTarget, FWidth, FHeight, kDepthBits, dd::DDSCAPS_SYSTEMMEMORY);
  FPalette = setUp.AttachEvenPalette(*FTarget);
}

void THeadlessView::CreateDevice(const std::array<std::uint8_t, 16>& driver) {
  rtl::Ref<dd::Direct3D> direct3D;
  CheckResult(FDirectDraw->QueryDirect3D(&direct3D), "Window3D error: Query Direct3D failed");
  CheckResult(rm::Direct3DRMCreate(&FRoot), "Window3D error: Create Direct3DRM failed");
  SetRetainedMode(FRoot.Get());
  FDevice = rm::DeviceSetUp(*FDirectDraw, CheckResult, kSetUpMessages)
                .CreateDevice(*direct3D, *FRoot, driver, *FTarget, false);
  CheckResult(FDevice->SetQuality(rm::D3DRMRENDER_GOURAUD), "Window3D error: Set quality failed");
  CheckResult(FDevice->SetTextureQuality(rm::D3DRMTEXTURE_NEAREST), "Window3D error: Set texture quality failed");
  CheckResult(FDevice->SetDither(false), "Window3D error: Set dither failed");
}

bool THeadlessView::PlaceCamera(TMap3D& map) {
  TCamera3D* camera = FindCamera(map);
  if (camera == nullptr) return false;
  if (map.Root().Parent() == nullptr) map.Root().SetParent(FScene.get());
  FCamera->GetPosition().Assign(camera->GetPosition());
  FCamera->GetOrientation().Assign(camera->GetOrientation());
  return true;
}

void THeadlessView::Render(TMap3D& map) { FPainter->DrawMap(map); }

std::vector<std::uint32_t> THeadlessView::Picture() const { return dd::SurfacePicture(*FTarget); }

void THeadlessView::SavePng(const std::string& fileName) const { WritePngFile(fileName, FWidth, FHeight, Picture()); }

TCamera3D* FindCamera(TMap3D& map) {
  TCamera3D* found = nullptr;
  for (int s = 0; s < map.Scenes().Count(); ++s) {
    const TCollectionObject3D& objects = static_cast<TScene3D*>(map.Scenes().GetItem(s))->Objects();
    for (int i = 0; i < objects.Count(); ++i) {
      const auto* object = static_cast<TObject3D*>(objects.GetItem(i));
      for (int j = 0; j < object->ItemCount(); ++j) {
        if (auto* camera = dynamic_cast<TCamera3D*>(object->GetItem(j))) {
          found = camera;
          break;
        }
      }
    }
  }
  return found;
}
