#include "render/View3D.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <algorithm>
#include <cstdlib>

#include "platform/dd/SurfacePicture.h"
#include "platform/dd/qt/DisplayCheck.h"
#include "platform/rtl/Cast.h"
#include "platform/rtl/Faults.h"
#include "render/HeadlessView.h"
#include "render/ShowView.h"
#include "scene/World3D.h"
#include "tests/scene/TestWorld.h"
#include "tests/support/Picture.h"
#include "tests/support/Raises.h"

using namespace testing_support;

namespace {

constexpr std::int32_t kFault = rm::D3DRMERR_BADVALUE;

QApplication& Application() {
  static int argc = 1;
  static char name[] = "view_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* application = new QApplication(argc, argv);
  return *application;
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
      return false;
  }
  return true;
}

// Share of pixels whose channels all lie within `tolerance` of the other picture's.
double ShareNear(const Picture& a, const Picture& b, int tolerance) {
  if (a.Width != b.Width || a.Height != b.Height) return 0.0;
  std::size_t near = 0;
  for (std::size_t i = 0; i < a.Pixels.size(); ++i) near += Near(a.Pixels[i], b.Pixels[i], tolerance);
  return static_cast<double>(near) / static_cast<double>(a.Pixels.size());
}

Picture PictureOf(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  Picture picture{rgb.width(), rgb.height(), {}};
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(rgb.constScanLine(y));
    picture.Pixels.insert(picture.Pixels.end(), row, row + rgb.width());
  }
  for (std::uint32_t& pixel : picture.Pixels) pixel |= 0xFF000000u;
  return picture;
}

// Draws white text on the frame, as the shell draws its frame rate.
struct Overlay {
  void Draw(TWindow3D*, TDDCanvas* canvas) {
    canvas->Painter().setPen(Qt::white);
    QFont font = canvas->Painter().font();
    font.setPixelSize(20);
    canvas->Painter().setFont(font);
    canvas->TextOut(10, 10, "FPS 60");
    ++Calls;
  }
  void Created(TWindow3D*) { ++Scenes; }
  int Calls = 0;
  int Scenes = 0;
};

// A fresh engine (its render mode chosen by the test), a form with the render window filling it,
// and the test world, its dinosaur walking. The world goes first, then the window, then the engine.
class ViewTest : public ::testing::Test {
 protected:
  ViewTest() {
    Application();
    dd::qt::UseScreen();
    FSavedEngine = ReplaceEngine3D(std::make_unique<TEngine3D>());
  }
  ~ViewTest() override {
    rtl::faults::Reset();
    World.reset();
    Window.reset();
    Form.reset();
    ReplaceEngine3D(std::move(FSavedEngine));
  }

  // The engine, the window in a form of the given client size, and the world.
  void Open(int width, int height, std::uint8_t renderMode = rmSoftware) {
    Engine3D().SetRenderMode(renderMode);
    Engine3D().Initialize();
    Form = std::make_unique<QWidget>();
    Form->resize(width, height);
    Window = std::make_unique<TWindow3D>(Form.get());
    Form->show();
    Settle();
    World = std::make_unique<TWorld3D>(&Sounds);
    BuildTestWorld(*World);
    TCollectionMotion3D& motions = World->Map().FindObject("Dino1")->Motions();
    motions.Play(rtl::CheckedCast<TMotion3D>(*motions.GetItem(0)));
    AdvanceMotions(1.0f);
  }

  int DriverNamed(const std::string& part) {
    for (int i = 0; i < Engine3D().DriverCount(); ++i)
      if (Engine3D().Drivers().GetDriver(i).Text.find(part) != std::string::npos) return i;
    return -1;
  }
  int HardwareDriver() {
    for (int i = 0; i < Engine3D().DriverCount(); ++i)
      if (Engine3D().Drivers().GetDriver(i).Hardware) return i;
    return -1;
  }
  int ModeNamed(const std::string& text) { return Window->CurrentDriver().VideoModes->IndexOf(text); }

  // The show's view through the world's camera item.
  void LookThroughCamera() {
    TCamera3D* camera = FindCamera(World->Map());
    ASSERT_NE(camera, nullptr);
    Window->Camera().GetPosition().Assign(camera->GetPosition());
    Window->Camera().GetOrientation().Assign(camera->GetOrientation());
    Window->Viewport().SetFront(kShowFront);
    Window->Viewport().SetField(kShowField);
    Window->Viewport().SetBack(kShowBack);
  }

  void Settle() {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 100) QApplication::processEvents(QEventLoop::AllEvents, 20);
  }

  // What the X server shows in the window; kept as <test>.png when Q3D_SAVE_SCREENSHOTS is set, to
  // be looked at.
  Picture Screenshot() {
    Window->repaint();
    Settle();
    Picture shot = PictureOf(QGuiApplication::primaryScreen()->grabWindow(Window->WindowId()).toImage());
    if (std::getenv("Q3D_SAVE_SCREENSHOTS") != nullptr)
      WritePng(std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".png", shot);
    return shot;
  }

  TSoundDevice Sounds{1};
  std::unique_ptr<QWidget> Form;
  std::unique_ptr<TWindow3D> Window;
  std::unique_ptr<TWorld3D> World;

 private:
  std::unique_ptr<TEngine3D> FSavedEngine;
};

TEST_F(ViewTest, AWindowShowsTheWorldAsTheHeadlessViewDrawsIt) {
  Open(160, 120);
  Window->SetDriverIndex(DriverNamed("RGB Emulation"));
  LookThroughCamera();
  Overlay overlay;
  Window->OnCreateScene = TWindowEvent::Bind<&Overlay::Created>(&overlay);
  Window->Render(&World->Map());
  Window->Render(&World->Map());
  EXPECT_EQ(overlay.Scenes, 1);
  EXPECT_FALSE(Window->FullScreen());
  EXPECT_EQ(Window->DeviceWidth(), 160);
  EXPECT_EQ(Window->CurrentVideoMode().Text, "Window mode");
  const Picture shot = Screenshot();
  EXPECT_TRUE(MatchesReference(shot, "world_01_start", 0));
  EXPECT_EQ(World->Map().RenderCount(), 2);
}

TEST_F(ViewTest, TheOpenGLDriverDrawsWhatTheSoftwareDriverDraws) {
  Open(160, 120, rmHardware);
  const int hardware = HardwareDriver();
  ASSERT_GE(hardware, 0) << "no OpenGL driver: Mesa's OpenGL is needed";
  EXPECT_EQ(Engine3D().RenderMode(), rmHardware);
  EXPECT_EQ(Window->DriverIndex(), hardware);
  LookThroughCamera();
  Window->Render(&World->Map());
  const Picture shot = Screenshot();
  const Picture reference = ReadPng(std::string(Q3D_SOURCE_DIR) + "/tests/references/world_01_start.png");
  const double share = ShareNear(shot, reference, 24);
  EXPECT_GE(share, 0.97) << "pixels within 24 of the software picture";
  if (share < 0.97) WritePng("gl_world.actual.png", shot);
}

TEST_F(ViewTest, AFullScreenModeIsScaledIntoTheWindowWithBlackBars) {
  Open(400, 240);
  Window->SetDriverIndex(DriverNamed("RGB Emulation"));
  const int mode = ModeNamed("640X480X16");
  ASSERT_GT(mode, 0);
  Window->SetVideoMode(mode);
  LookThroughCamera();
  Window->Render(&World->Map());
  EXPECT_TRUE(Window->FullScreen() && Window->Flipping());
  EXPECT_EQ(Window->DeviceWidth(), 640);
  EXPECT_EQ(Window->BackSurface().Desc().format, d3d::PixelFormat::RGB565);
  const Picture shot = Screenshot();
  ASSERT_EQ(shot.Width, 400);
  // 640X480 fits 320X240: bars of 40 columns on both sides.
  for (int y = 0; y < 240; y += 7) {
    EXPECT_EQ(shot.At(5, y) & 0xFFFFFF, 0u);
    EXPECT_EQ(shot.At(395, y) & 0xFFFFFF, 0u);
  }
  EXPECT_TRUE(Near(shot.At(200, 2), 0xFF7090D0u, 60)) << std::hex << shot.At(200, 2);
  // The world fills the picture: the ground's colours differ from the sky's below the horizon.
  EXPECT_FALSE(Near(shot.At(200, 230), shot.At(200, 2), 10));
}

TEST_F(ViewTest, AnEightBitModeIsShownThroughItsPalette) {
  Open(320, 240);
  Window->SetDriverIndex(DriverNamed("RGB Emulation"));
  Window->SetVideoMode(ModeNamed("640X480X8"));
  LookThroughCamera();
  Window->Render(&World->Map());
  ASSERT_TRUE(Window->HasPalette());
  const Picture shot = Screenshot();
  EXPECT_TRUE(Near(shot.At(160, 2), 0xFF7090D0u, 70)) << std::hex << shot.At(160, 2);
  EXPECT_FALSE(Near(shot.At(160, 230), shot.At(160, 2), 10));
}

TEST_F(ViewTest, WithoutAMapAClearedFrameIsBlackWithTheOverlay) {
  Open(160, 120);
  Overlay overlay;
  Window->OnDrawOverlay = TOverlayEvent::Bind<&Overlay::Draw>(&overlay);
  Window->OnCreateScene = TWindowEvent::Bind<&Overlay::Created>(&overlay);
  Window->RequestClear();
  Window->Render(nullptr);
  EXPECT_EQ(overlay.Calls, 1);
  EXPECT_EQ(overlay.Scenes, 0);
  EXPECT_FALSE(Window->Canvas()->HandleAllocated());
  const Picture shot = Screenshot();
  int white = 0, other = 0;
  for (int y = 0; y < shot.Height; ++y) {
    for (int x = 0; x < shot.Width; ++x) {
      const std::uint32_t pixel = shot.At(x, y) & 0xFFFFFF;
      const bool inText = x >= 10 && x < 90 && y >= 10 && y < 34;
      if (inText && Near(pixel, 0xFFFFFF, 40)) ++white;
      if (!inText && pixel != 0) ++other;
    }
  }
  EXPECT_GT(white, 40);
  EXPECT_EQ(other, 0);
}

TEST_F(ViewTest, SettingsAreMarkedAndAppliedLazily) {
  Open(160, 120);
  EXPECT_EQ(Window->Changes(), TWindow3D::kCreationChanges);
  Window->SetDriverIndex(DriverNamed("RGB Emulation"));
  Window->Render(nullptr);
  EXPECT_EQ(Window->Changes(), TWindow3D::chReady);
  Window->SetVideoMode(0);
  EXPECT_EQ(Window->Changes(), TWindow3D::chReady);
  Window->SetQuality(3);
  Window->SetDither(false);
  EXPECT_EQ(Window->Changes(), TWindow3D::chReady);
  Window->SetQuality(0);
  Window->SetTextureQuality(9);
  Window->SetDither(true);
  Window->Render(nullptr);
  EXPECT_EQ(Window->D3DRMDevice().GetQuality(), rm::D3DRMRENDER_WIREFRAME);
  EXPECT_EQ(Window->D3DRMDevice().GetTextureQuality(), rm::D3DRMTEXTURE_NEAREST);
  EXPECT_TRUE(Window->D3DRMDevice().GetDither());
  Window->SetQuality(4);
  Window->SetTextureQuality(5);
  Window->Render(nullptr);
  EXPECT_EQ(Window->D3DRMDevice().GetQuality(), rm::D3DRMRENDER_PHONG);
  EXPECT_EQ(Window->D3DRMDevice().GetTextureQuality(), rm::D3DRMTEXTURE_LINEARMIPLINEAR);

  const int modes = Window->CurrentDriver().VideoModes->Count();
  ExpectRaises([&] { Window->SetVideoMode(modes); }, "Window3D error: video mode index out of range");
  ExpectRaises([&] { Window->SetVideoMode(-1); }, "Window3D error: video mode index out of range");
  Window->SetVideoMode(1);
  EXPECT_EQ(Window->Changes(), TWindow3D::chReady | TWindow3D::chDevice | TWindow3D::chMode);
}

TEST_F(ViewTest, TheViewportMarginInsetsTheViewportInFortieths) {
  Open(160, 120);
  Window->SetDriverIndex(DriverNamed("RGB Emulation"));
  Window->SetVideoMode(ModeNamed("640X480X32"));
  Window->SetViewportMargin(20);
  EXPECT_EQ(Window->ViewportMargin(), 16);
  Window->SetViewportMargin(-3);
  EXPECT_EQ(Window->ViewportMargin(), 0);
  Window->SetViewportMargin(7);
  EXPECT_NE(Window->Changes() & TWindow3D::chClear, 0);
  Window->Render(nullptr);
  const rm::Viewport& viewport = Window->D3DRMViewport();
  EXPECT_EQ((std::array{viewport.GetX(), viewport.GetY(), viewport.GetWidth(), viewport.GetHeight()}),
            (std::array{112, 84, 416, 312}));
  // A new projection or plane reaches the platform viewport with the next frame.
  Window->Viewport().SetProjection(TViewport3D::kOrthographic);
  Window->Viewport().SetFront(2.5f);
  EXPECT_NE(Window->Changes() & TWindow3D::chViewport, 0);
  Window->Render(nullptr);
  EXPECT_EQ(viewport.GetProjection(), rm::Projection::Orthographic);
  EXPECT_EQ(viewport.GetFront(), 2.5f);
}

TEST_F(ViewTest, SurfacesFollowTheDriverAndTheModeDepth) {
  dd::DirectDraw::SetDesktop({160, 120, 8, 160, 0});
  Open(160, 120);
  Window->SetDriverIndex(DriverNamed("RGB Emulation"));
  Window->Render(nullptr);
  // An 8-bit window keeps the platform's twenty colours.
  std::array<dd::PaletteEntry, 256> entries{};
  Window->Palette().GetEntries(0, entries);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(entries[i].flags, i < 10 || i >= 246 ? 0x40 : 0x01) << i;
  EXPECT_EQ(Window->ZBufferSurface().Desc().zBufferBitDepth, 16);

  Window->SetVideoMode(ModeNamed("640X480X8"));
  Window->Render(nullptr);
  Window->Palette().GetEntries(0, entries);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(entries[i].flags, i == 0 || i == 255 ? 0x40 : 0x01) << i;

  Window->SetVideoMode(ModeNamed("640X480X16"));
  Window->CurrentDriver().ZBufferDepth = 0;
  Window->Render(nullptr);
  ExpectRaises([&] { Window->Palette(); }, "Window3D error: palette not assigned");
  ExpectRaises([&] { Window->ZBufferSurface(); }, "Window3D error: zbuffer surface not assigned");
}

TEST_F(ViewTest, TheDefaultDriverStepsDownToSoftware) {
  Open(160, 120);
  Engine3D().SetRenderMode(rmSecondAccelerator);
  for (int i = 0; i < Engine3D().DriverCount(); ++i) Engine3D().Drivers().GetDriver(i).Hardware = false;
  const int mmx = DriverNamed("MMX");
  const int ramp = DriverNamed("Ramp");
  EXPECT_EQ(Window->DefaultDriverIndex(), mmx);
  Engine3D().Drivers().GetDriver(mmx).Text = "Other (software)";
  EXPECT_EQ(Window->DefaultDriverIndex(), ramp);
  Engine3D().Drivers().GetDriver(ramp).HasModes = false;
  ExpectRaises([&] { Window->DefaultDriverIndex(); }, "Window3D error: Default driver not found");
  Engine3D().SetRenderMode(rmSoftware);
  Engine3D().Drivers().GetDriver(ramp).HasModes = true;
  EXPECT_EQ(Window->DriverIndex(), ramp);
}

TEST_F(ViewTest, ATiledWorldIsRenderedOnceTwiceOrFourTimesPerPass) {
  Open(160, 120);
  Window->SetDriverIndex(DriverNamed("RGB Emulation"));
  LookThroughCamera();
  World->Map().Background().SetEnabled(false);
  World->Map().SetTiled(true);
  Window->Viewport().SetBack(300);
  const TBox3D& box = World->Map().Root().GetBox();
  const float middleX = (box.Min.X() + box.Max.X()) / 2, middleZ = (box.Min.Z() + box.Max.Z()) / 2;
  // The number of renders: the first that fails says how many ran.
  bool twoPasses = false;
  const auto renders = [&](float x, float z) {
    Window->TransparentItems = twoPasses;
    Window->Camera().GetPosition().SetXYZ(x, 50, z);
    for (int skip = 0; skip <= 8; ++skip) {
      rtl::faults::Arm("rm.Viewport.Render", kFault, skip);
      const std::string message = MessageOf([&] { Window->Render(&World->Map()); });
      rtl::faults::Reset();
      if (message == "(nothing raised)") return skip;
      // A failed frame leaves the window not ready: a fresh window goes on.
      Window = std::make_unique<TWindow3D>(Form.get());
      Window->SetDriverIndex(DriverNamed("RGB Emulation"));
      Window->Viewport().SetBack(300);
      Window->TransparentItems = twoPasses;
      Window->Camera().GetPosition().SetXYZ(x, 50, z);
    }
    return -1;
  };
  EXPECT_EQ(renders(middleX, middleZ), 1);
  EXPECT_EQ(renders(box.Max.X() - 100, middleZ), 2);
  EXPECT_EQ(renders(box.Max.X() - 100, box.Min.Z() + 100), 4);
  EXPECT_EQ(Window->Camera().GetPosition().X(), box.Max.X() - 100);
  twoPasses = true;
  EXPECT_EQ(renders(box.Max.X() - 100, box.Min.Z() + 100), 8);
}

TEST_F(ViewTest, ALostSurfaceIsRestoredAndClearedInFullScreenOnly) {
  Open(160, 120);
  Window->SetDriverIndex(DriverNamed("RGB Emulation"));
  Window->Render(nullptr);
  // In a window a lost surface is not looked for.
  Window->BackSurface().MarkLost();
  Window->Render(nullptr);
  EXPECT_NE(Window->BackSurface().IsLost(), dd::DD_OK);

  Window->SetVideoMode(ModeNamed("640X480X32"));
  Window->Render(nullptr);
  ASSERT_TRUE(Window->FullScreen());
  const int frames = Window->FrameCount() + Window->FramesPerSecond();
  Window->BackSurface().MarkLost();
  rtl::faults::Arm("dd.Surface.Restore", kFault);
  Window->Render(nullptr);  // skipped: the surface cannot come back yet
  EXPECT_EQ(Window->FrameCount() + Window->FramesPerSecond(), frames);
  rtl::faults::Arm("dd.Surface.BltColorFill", kFault);
  ExpectRaises([&] { Window->Render(nullptr); }, "color fill bliting failed code: 781");
  EXPECT_EQ(Window->BackSurface().IsLost(), dd::DD_OK);
  EXPECT_EQ(Window->ForceUpdateCount(), 0);
}

TEST_F(ViewTest, PlatformFailuresNameTheirStep) {
  // One step of each kind: the surfaces, the device, its settings and the viewport.
  const std::pair<const char*, const char*> cases[] = {
      {"dd.DirectDraw.CreateClipper", "Window3D error: create clipper failed"},
      {"dd.Direct3D.CreateDevice", "Window3D error: create d3ddevice2 failed"},
      {"rm.Device.SetQuality", "Window3D error: Can't set quality on device"},
      {"rm.Viewport.SetField", "Window3D error: Can't set field of view"},
  };
  Open(160, 120);
  for (const auto& [call, message] : cases) {
    SCOPED_TRACE(call);
    Window = std::make_unique<TWindow3D>(Form.get());
    Window->SetDriverIndex(DriverNamed("RGB Emulation"));
    rtl::faults::Arm(call, kFault);
    ExpectRaises([&] { Window->Render(nullptr); }, std::string(message) + " code: 781");
    rtl::faults::Reset();
    // The frame that failed leaves the window not ready: later frames return at once.
    Window->Render(nullptr);
    EXPECT_EQ(Window->Changes() & TWindow3D::chReady, 0);
  }
  Window = std::make_unique<TWindow3D>(Form.get());
  Window->SetDriverIndex(DriverNamed("RGB Emulation"));
  Window->SetVideoMode(ModeNamed("640X480X16"));
  rtl::faults::Arm("dd.DirectDraw.SetDisplayMode", kFault);
  ExpectRaises([&] { Window->Render(nullptr); }, "Window3D error: set display mode failed code: 781");
  ExpectRaises([&] { Window->D3DRMViewport(); }, "Window3D error: viewport not assigned");
  EXPECT_THROW(TDDCanvas(nullptr), rtl::Exception);
}

TEST(DisplayCheckTest, TheDisplayLayerStartsOnlyWithADisplayAndAPrimarySurface) {
  Application();
  EXPECT_TRUE(dd::qt::DisplayAvailable());
  for (const char* call : {"dd.DirectDrawCreate", "dd.DirectDraw.SetCooperativeLevel", "dd.DirectDraw.CreateSurface"}) {
    rtl::faults::Arm(call, kFault);
    EXPECT_FALSE(dd::qt::DisplayAvailable()) << call;
    rtl::faults::Reset();
  }
}

}  // namespace
