// The world show of the main form: start-up, the world's containers, loading the world at the first
// frame, one frame per idle pass, the overlay text, and the teardown.

#include <QApplication>
#include <QDateTime>
#include <QFontMetrics>
#include <QLocale>
#include <QScreen>
#include <cmath>
#include <cstdio>

#include "app/FQuorlith.h"
#include "app/ShowChild.h"
#include "app/ShowWatch.h"
#include "core3d/CheckResult.h"
#include "platform/dd/qt/SurfaceWidget.h"
#include "platform/rtl/Format.h"
#include "render/ShowView.h"
#include "scene/Camera3D.h"

namespace {

// Fog of the plain background: off, and far out should a world switch it on.
constexpr float kFogStart = 8000.0f;
constexpr float kFogEnd = 20000.0f;
constexpr float kCustomFogStart = 0.0f;
constexpr float kCustomFogEnd = 15000.0f;
constexpr std::uint8_t kGouraud = 3;
constexpr int kWindowMargin = 7;
// The sound every world plays with: 1 unit is 1 cm.
constexpr float kDistanceFactor = 0.01f;
// What the overlay draws with: a font every Debian desktop has.
constexpr const char* kOverlayFont = "DejaVu Sans";
constexpr const char* kLoadingText = "Loading...";
constexpr const char* kHostModeText = "Window mode";

// Every object that lies in a scene: the scene's own, then those linked into it.
template <class Action>
void ForEachSceneObject(TMap3D& map, Action action) {
  for (int s = 0; s < map.Scenes().Count(); ++s) {
    auto& scene = static_cast<TScene3D&>(*map.Scenes().GetItem(s));
    for (int i = 0; i < scene.Objects().Count(); ++i) action(static_cast<TObject3D&>(*scene.Objects().GetItem(i)));
    for (int i = 0; i < scene.LinkedCount(); ++i) action(*scene.GetLinked(i));
  }
}

template <class Item>
Item* FirstItem(TObject3D& object) {
  for (int i = 0; i < object.ItemCount(); ++i)
    if (auto* item = dynamic_cast<Item*>(object.GetItem(i))) return item;
  return nullptr;
}

TLight3D* FirstAmbientLight(TObject3D& object) {
  for (int i = 0; i < object.ItemCount(); ++i)
    if (auto* light = dynamic_cast<TLight3D*>(object.GetItem(i)); light != nullptr && light->LightKind() == 0)
      return light;
  return nullptr;
}

// The screen's refresh period, rounded up so that the show never draws more frames than it shows.
std::uint32_t FramePeriodMs() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double hertz = screen != nullptr && screen->refreshRate() > 1.0 ? screen->refreshRate() : 60.0;
  return static_cast<std::uint32_t>(std::ceil(1000.0 / hertz));
}

long double SecondsSinceMidnight() { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0L; }

}  // namespace

void TFormSaver::StartShow() {
  const std::uint8_t requested =
      RadioButtonSoftware->isChecked() ? rmSoftware : (CheckBox3DFX->isChecked() ? rmSecondAccelerator : rmHardware);
  dd::qt::UseScreen();
  Engine3D().SetRenderMode(requested);
  Engine3D().Initialize();
  const bool hardware = Engine3D().RenderMode() >= rmHardware;
  if (Engine3D().RenderMode() == rmSoftware && requested != rmSoftware) CheckBoxWindow->setChecked(true);
  CreateWorld();

  TSoundDevice& sound = *FSoundDevice;
  // Hosts start one show per monitor: only the one holding the lock plays.
  if (ScreenSaver1.Invocation().Host && CheckBox3Dsound->isChecked()) {
    FSoundLock = std::make_unique<TSoundLock>();
    if (!FSoundLock->Held()) std::fputs("quorlith3d: another show plays the sound; this one stays silent\n", stderr);
  }
  sound.SetEnabled(CheckBox3Dsound->isChecked() && (FSoundLock == nullptr || FSoundLock->Held()));
  sound.SetUse3D(true);
  sound.SetStereo(true);
  sound.SetBitsPerSample(16);
  sound.SetSampleRate(kShowSampleRate);
  sound.SetDistanceFactor(kDistanceFactor);
  sound.SetDopplerFactor(1.0f);
  sound.SetRolloffFactor(1.0f);
  sound.Update();

  TCollectionTexture3D& textures = FWorld->Textures();
  textures.MinSize = kShowTextureMinSize;
  textures.MaxSize = kShowTextureMaxSize;
  textures.Depth = Engine3D().RenderMode() == rmMMX ? 8 : kShowTextureDepth;
  textures.Shift = kShowTextureShift;
  textures.AlphaFormats = false;

  FFramePeriodMs = FramePeriodMs();
  FVideoModeText.clear();
  FWindow3D->OnCreateScene = TWindowEvent::Bind<&TFormSaver::LoadScene>(this);
  ApplyRenderSettings(hardware);
  SelectVideoMode();
}

// What the start and the load both set: filtering and dithering only with hardware rendering,
// flat unlit meshes without it (the software driver's speed setting), and the show's view.
void TFormSaver::ApplyRenderSettings(bool hardware) {
  FWindow3D->WaitHardware = CheckBoxWaitHardware->isChecked();
  FWindow3D->SetTextureQuality(hardware ? 1 : 0);
  FWindow3D->SetDither(hardware);
  if (!hardware) {
    FWorld->Meshes().SetShadeAll(0);
    FWorld->Meshes().SetLightingAll(false);
  }
  FWindow3D->Viewport().SetBack(kShowBack);
  FWindow3D->Viewport().SetFront(kShowFront);
  FWindow3D->Viewport().SetField(kShowField);
}

// A hosted show draws at its window's size: the desktop entry of the mode list.
void TFormSaver::SelectVideoMode() {
  const std::string wanted =
      ScreenSaver1.Invocation().Host ? std::string(kHostModeText) : ComboBoxVideoModes->currentText().toStdString();
  const TVideoModeList& modes = *FWindow3D->CurrentDriver().VideoModes;
  for (int i = 0; i < modes.Count(); ++i) {
    if (modes.GetMode(i).Text != wanted) continue;
    FWindow3D->SetVideoMode(i);
    FVideoModeText = wanted;
    return;
  }
  throw rtl::Exception(
      rtl::Format("The video mode %s is not offered by the driver \"%s\".\n", wanted, FWindow3D->CurrentDriver().Text) +
      "Choose another resolution or render mode in the settings dialog.");
}

void TFormSaver::CreateWorld() {
  Engine3D().SetSearchPath(Engine3D().SearchPath() + ";" + FDataPath);
  FTimer = std::make_unique<TTimer>();
  FSoundDevice = std::make_unique<TSoundDevice>(static_cast<ds::WindowHandle>(winId()));
  FWorld = std::make_unique<TWorld3D>(FSoundDevice.get());
  FWindow3D = new TWindow3D(this);
  FWindow3D->OnDrawOverlay = TOverlayEvent::Bind<&TFormSaver::DrawOverlay>(this);
  FWindow3D->TransparentItems = false;
  FWindow3D->DecalItems = false;
  FWorld->Map().MarkItems(false, false);
}

void TFormSaver::LoadScene(TWindow3D*) {
  const bool hardware = Engine3D().RenderMode() > rmSoftware;
  LoadWorldFile(FDataPath + kWorldFile);
  SetupWindowOptions();
  ApplyRenderSettings(hardware);

  TMap3D& map = FWorld->Map();
  map.MarkItems(false, false);
  map.SetBoxMode(0);
  map.SetTiled(false);
  map.Background().SetEnabled(true);
  map.Background().SetFogEnable(false);
  map.Background().SetFogStart(kFogStart);
  map.Background().SetFogEnd(kFogEnd);
  if (hardware) SetupDayTime();

  FCameraFrame = nullptr;
  ForEachSceneObject(map, [this](TObject3D& object) {
    if (object.Motions().Count() > 0) {
      auto& motion = static_cast<TMotion3D&>(*object.Motions().GetItem(0));
      motion.SetLoop(true);
      object.Motions().Play(motion);
    }
    if (auto* camera = FirstItem<TCamera3D>(object)) FCameraFrame = camera;
  });
  AdvanceMotions(static_cast<float>(FTimer->Time().AsSeconds()));
  CopyCamera();
  FTimer->Start();
}

void TFormSaver::SetupWindowOptions() {
  FWindow3D->SetQuality(kGouraud);
  FWindow3D->SetTextureQuality(1);
  FWindow3D->SetDither(true);
  if (CheckBoxWindow->isChecked()) FWindow3D->SetViewportMargin(kWindowMargin);
  FWindow3D->Viewport().SetBack(kShowBack);
  FWindow3D->Viewport().SetFront(TViewport3D::kDefaultFront);
  FWindow3D->Viewport().SetField(TViewport3D::kDefaultField);
}

void TFormSaver::LoadWorldFile(const std::string& fileName) { FWorld->LoadFromFile(fileName); }

void TFormSaver::SetupDayTime() {
  SetAmbientColor(255, 255, 255);
  if (RadioButtonAuto->isChecked() || RadioButtonClock->isChecked()) {
    FDayAnimation = std::make_unique<TDayAnimation>();
    AddDayCycle(*FDayAnimation);
    return;
  }
  const int item = ComboBoxTime->currentIndex();
  if (item < 0 || item >= static_cast<int>(kCustomDayTimes.size())) return;
  const TDayTime& row = kCustomDayTimes[static_cast<std::size_t>(item)];
  SetAmbientColor(row.Light[0], row.Light[1], row.Light[2]);
  TBackground3D& background = FWorld->Map().Background();
  background.Color().SetRGBA(row.Back[0], row.Back[1], row.Back[2], 255);
  background.SetFogEnable(row.Fog);
  background.SetFogStart(kCustomFogStart);
  background.SetFogEnd(kCustomFogEnd);
}

void TFormSaver::SetAmbientColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  ForEachSceneObject(FWorld->Map(), [&](TObject3D& object) {
    if (TLight3D* light = FirstAmbientLight(object)) {
      light->Color().SetRGBA(red, green, blue, 255);
      FAmbientLight = light;
    }
  });
}

void TFormSaver::ScreenSaverExecute(TScreenSaver*) {
  if (FShowChild != nullptr) {  // the locker: its show runs apart, and goes on after the prompt
    FShowChild->Resume();
    RaiseLock();
    ScreenSaver1.Delay = TShowWatch::kPollMs;
    return;
  }
  if (FFailed || ScreenSaver1.Mode() == smPreview) return;
  if (!ScreenSaver1.Invocation().Host && QApplication::activeModalWidget() == nullptr) {
    if (isActiveWindow()) {
      FWasActive = true;
    } else if (FWasActive) {
      close();  // another window took the focus
      return;
    }
  }
  // No more frames than the screen shows, and none while nobody can see them: the idle handler
  // waits instead of spinning.
  const bool visible = FWatch == nullptr || FWatch->Visible();
  ScreenSaver1.Delay = visible ? FFramePeriodMs : TShowWatch::kPollMs;
  if (!visible) return;
  try {
    if (FFrameState > 1) {
      const float t = static_cast<float>(FTimer->Time().AsSeconds());
      AdvanceMotions(t);
      if (FDayAnimation != nullptr) ApplyDayKey();
    }
    StepFrame();
  } catch (const std::exception& error) {
    FailShow(error.what());
  }
}

void TFormSaver::ApplyDayKey() {
  const bool clock = RadioButtonClock->isChecked();
  FDayAnimation->Update(clock ? ClockCycleTime(SecondsSinceMidnight()) : FTimer->Time().AsSeconds());
  const TDayKey& key = FDayAnimation->CurrentKey();
  if (FAmbientLight != nullptr) FAmbientLight->Color().Assign(key.LightColor);
  TBackground3D& background = FWorld->Map().Background();
  background.SetFogEnable(key.Fog);
  background.SetFogStart(key.FogStart);
  background.SetFogEnd(key.FogEnd);
  background.Color().Assign(key.BackColor);
}

void TFormSaver::ScreenSaverPassword(TScreenSaver*) {
  if (FShowChild != nullptr) {
    FShowChild->Pause();
    return;
  }
  FTimer->Pause();
  FFrameState = 1;
  FWindow3D->FlipToGDI();
}

void TFormSaver::PauseShow() {
  if (FFailed || FTimer == nullptr) return;
  ScreenSaverPassword(&ScreenSaver1);
  ScreenSaver1.RemoveIdle();
}

void TFormSaver::ResumeShow() {
  if (!FFailed) ScreenSaver1.InstallIdle();
}

void TFormSaver::StepFrame() {
  if (FFrameState == 0) {
    try {
      FWindow3D->RequestClear();
      FWindow3D->Render(nullptr);
    } catch (const std::exception&) {
      throw rtl::Exception(rtl::Format("The video mode %s cannot be shown.\n", FVideoModeText) +
                           "Choose another resolution or render mode in the settings dialog.");
    }
  } else if (FFrameState > 1 && !FTimer->Running()) {
    FTimer->Resume();
    return;
  } else {
    CopyCamera();
    FWindow3D->Render(&FWorld->Map());
  }
  if (FFrameState < 2) ++FFrameState;
}

// The tour camera's pose, seen from its scene's root, goes to the window's camera and the listener.
void TFormSaver::CopyCamera() {
  if (FCameraFrame == nullptr) return;
  rm::Frame* scene = FCameraFrame->GetScene();
  rm::Vector position, direction, up;
  CheckResult(FCameraFrame->DXFrame()->GetPosition(scene, &position), "Frame3D error: Get position failed");
  CheckResult(FCameraFrame->DXFrame()->GetOrientation(scene, &direction, &up), "Frame3D error: Get orientation failed");
  rm::Frame* camera = FWindow3D->Camera().DXFrame();
  CheckResult(camera->SetPosition(scene, position.x, position.y, position.z), "Frame3D error: Set position failed");
  CheckResult(camera->SetOrientation(scene, direction.x, direction.y, direction.z, up.x, up.y, up.z),
              "Frame3D error: Set Orientation failed");
  try {
    FSoundDevice->ListenerPosition().SetXYZ(position.x, position.y, position.z);
    FSoundDevice->ListenerOrientation().SetOrientation(direction.x, direction.y, direction.z, up.x, up.y, up.z);
    FSoundDevice->Update();
  } catch (const std::exception&) {  // the frame is drawn even when the listener cannot follow
  }
}

void TFormSaver::DrawOverlay(TWindow3D*, TDDCanvas* canvas) {
  const TVideoMode& mode = FWindow3D->CurrentVideoMode();
  const int w = mode.Text == kHostModeText ? FWindow3D->DeviceWidth() : mode.Width;
  const int h = mode.Text == kHostModeText ? FWindow3D->DeviceHeight() : mode.Height;
  QPainter& painter = canvas->Painter();
  painter.setBrush(CheckBoxWindow->isChecked() ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
  QFont font(kOverlayFont);
  font.setPixelSize(std::max(1, h / 20));
  painter.setFont(font);
  const QFontMetrics metrics(font);
  const int fa = metrics.horizontalAdvance('f') + metrics.horizontalAdvance('a');
  if (FFrameState == 0) {
    painter.setPen(Qt::red);
    canvas->TextOut((w - 5 * fa) / 2, (h - metrics.height()) / 2, kLoadingText);
    return;
  }
  painter.setPen(Qt::yellow);
  if (CheckBoxFPS->isChecked()) {
    canvas->TextOut(10, 0, QString("FPS %1").arg(FWindow3D->FramesPerSecond()));
  }
  if (!CheckBoxDate->isChecked() && !CheckBoxTime->isChecked()) return;
  const QString text = BottomText(CheckBoxDate->isChecked(), CheckBoxTime->isChecked(), QDateTime::currentDateTime());
  canvas->TextOut((w - (fa * static_cast<int>(text.size())) / 2) / 2, h - metrics.height(), text);
}

QString TFormSaver::BottomText(bool date, bool time, const QDateTime& now) {
  const QLocale locale = QLocale::system();
  QString text = date ? locale.toString(now.date(), QLocale::LongFormat) : QString();
  if (time) text += "   " + locale.toString(now.time(), QLocale::ShortFormat);
  return text;
}

// Reverse order of making: nothing outlives what it refers to.
void TFormSaver::DestroyWorld() {
  if (FTimer != nullptr) FTimer->Pause();
  ScreenSaver1.RemoveIdle();
  ScreenSaver1.RemoveMessageHook();
  FDayAnimation.reset();
  FAmbientLight = nullptr;
  FCameraFrame = nullptr;
  delete FWindow3D;
  FWindow3D = nullptr;
  FWorld.reset();
  FSoundDevice.reset();
  FSoundLock.reset();
}
