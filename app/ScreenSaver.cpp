#include "app/ScreenSaver.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

#include "app/PasswordPrompt.h"
#include "app/X11Window.h"
#include "platform/os/Clock.h"

namespace {

// The desktop settings that hold the password flag, as the platform names them.
constexpr const char* kDesktopKey = "Control Panel\\desktop";
constexpr const char* kUsePassword = "ScreenSaveUsePassword";

// The settings key: the company, then the application title up to its first '.'.
std::string SettingsKey() {
  std::string base = QApplication::applicationDisplayName().toStdString();
  if (const auto dot = base.find('.'); dot != std::string::npos && dot > 0) base.resize(dot);
  return std::string("Software\\") + TScreenSaver::kCompany + "\\" + base;
}

}  // namespace

TScreenSaver::TScreenSaver(QWidget* owner, TInvocation invocation) : FOwner(owner), FInvocation(std::move(invocation)) {
  FIdle.setInterval(0);
  FIdle.setTimerType(Qt::PreciseTimer);
  connect(&FIdle, &QTimer::timeout, this, [this] { DoIdle(); });
}

TScreenSaver::~TScreenSaver() {
  SetScreenSaverRunning(false);
  RemoveIdle();
  RemoveMessageHook();
  ReleaseResources();
  if (FCursorHidden) QApplication::restoreOverrideCursor();
}

void TScreenSaver::Loaded() {
  ResetMouse();
  if (FInvocation.Host) {
    FMode = smSaver;
    InstallIdle();
    return;
  }
  const std::uintptr_t parent = FInvocation.ParentWindow.value_or(0);
  FParentWindow = parent;
  switch (FInvocation.Mode) {
    case smConfigure:
      RunConfigure(parent);
      break;
    case smChangePassword:
      RunChangePassword();
      break;
    case smPreview:
      RunPreview(parent);
      break;
    case smSaver:
      RunSaver();
      break;
    case smNone:
      break;
  }
}

os::Registry& TScreenSaver::Registry() {
  if (FRegistry == nullptr) {
    auto registry = std::make_unique<os::Registry>(os::RootKey::LocalMachine);
    registry->OpenKey(SettingsKey(), true);
    FRegistry = std::move(registry);
  }
  return *FRegistry;
}

void TScreenSaver::RunSaver() {
  FMode = smSaver;
  FOwner->setWindowTitle({});
  // A lock keeps the window manager out: nothing it does may stack a window above the lock.
  FOwner->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         (PasswordEnabled() ? Qt::X11BypassWindowManagerHint : Qt::WindowType(0)));
  FOwner->setGeometry(QGuiApplication::primaryScreen()->geometry());
  ShowCursor(false);
  InstallIdle();
  qApp->installEventFilter(this);
  FHooked = true;
}

// A preview draws nothing, so it needs no idle handler: it would only spin. The form puts itself
// into the parent window.
void TScreenSaver::RunPreview(std::uintptr_t) {
  FMode = smPreview;
  FOwner->setWindowTitle({});
  // Takes no input; a disabled widget would draw the picture greyed out.
  FOwner->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  FOwner->setAttribute(Qt::WA_TransparentForMouseEvents);
}

// The dialog stays above the window that asked for it (a desktop's settings panel).
void TScreenSaver::RunConfigure(std::uintptr_t parent) {
  FMode = smConfigure;
  FOwner->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  if (parent == 0) return;
  FOwner->winId();
  FOwner->windowHandle()->setTransientParent(x11::ForeignWindow(parent));
}

// The login password is the saver's password: there is none of its own to change.
void TScreenSaver::RunChangePassword() {
  FMode = smChangePassword;
  std::puts(
      "Quorlith 3D asks for your login password when the show ends; change it with your system's "
      "password tool.");
}

void TScreenSaver::InstallIdle() { FIdle.start(); }
void TScreenSaver::RemoveIdle() { FIdle.stop(); }

void TScreenSaver::RemoveMessageHook() {
  if (!FHooked) return;
  qApp->removeEventFilter(this);
  FHooked = false;
}

// With a delay the timer waits it out instead of polling the clock.
void TScreenSaver::DoIdle() {
  if (OnExecute && Delay > 0) {
    const std::uint32_t now = os::timeGetTime();
    if (static_cast<std::int32_t>(now - FNextExecute) < 0) {
      FIdle.setInterval(static_cast<int>(FNextExecute - now));
      ReleaseResources();
      return;
    }
    FNextExecute = now + Delay;
  }
  FIdle.setInterval(Delay > 0 ? static_cast<int>(Delay) : 0);
  OnExecute(this);
  ReleaseResources();
}

void TScreenSaver::ResetMouse() {
  FMouseX = -1;
  FMouseY = -1;
  FMouseSkip = kMouseSkip;
}

bool TScreenSaver::CheckMouseMove(int x, int y) {
  if (!MouseMoveExit) return false;
  if (FMouseSkip > 0) {
    --FMouseSkip;
    return false;
  }
  if (FMouseX == -1 && FMouseY == -1) {
    FMouseX = x;
    FMouseY = y;
    return false;
  }
  if (std::abs(x - FMouseX) > kMouseThreshold && std::abs(y - FMouseY) > kMouseThreshold) {
    ResetMouse();
    return true;
  }
  return false;
}

bool TScreenSaver::PasswordEnabled() {
  try {
    os::Registry desktop(os::RootKey::CurrentUser);
    return desktop.OpenKeyReadOnly(kDesktopKey) && desktop.ValueExists(kUsePassword) &&
           desktop.ReadInteger(kUsePassword) != 0;
  } catch (const std::exception&) {
    return false;
  }
}

bool TScreenSaver::VerifyPassword() {
  OnPassword(this);
  ShowCursor(true);
  RemoveIdle();  // the show stands still while the prompt is up
  const bool verified = AskPassword(FOwner);
  InstallIdle();
  ShowCursor(false);
  return verified;
}

void TScreenSaver::ShowCursor(bool show) {
  FCursorCount += show ? 1 : -1;
  const bool hide = FCursorCount < 0;
  if (hide == FCursorHidden) return;
  if (hide) {
    QApplication::setOverrideCursor(Qt::BlankCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
  FCursorHidden = hide;
}

void TScreenSaver::ReleaseResources() { FRegistry.reset(); }

void TScreenSaver::SetScreenSaverRunning(bool running) {
  if (running == FRunning) return;
  FRunning = running;
  if (running) {
    TakeInput();
  } else {
    FOwner->releaseKeyboard();
    FOwner->releaseMouse();
  }
}

// Asking the window again tells whether the server granted the grabs the widget asked for. The
// password prompt holds them while it is up, and hands them back when it goes.
void TScreenSaver::TakeInput() {
  if (!FRunning) return;
  if (QApplication::activeModalWidget() == nullptr) {
    FOwner->grabKeyboard();
    FOwner->grabMouse();
    QWindow* window = FOwner->windowHandle();
    if (window != nullptr && window->setKeyboardGrabEnabled(true) && window->setMouseGrabEnabled(true)) return;
  }
  QTimer::singleShot(kGrabRetryMs, this, [this] { TakeInput(); });
}

// Each input reaches a window of the program first: counting there sees it once, however far it
// is passed on to widgets afterwards.
bool TScreenSaver::IsInput(QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
      return true;
    case QEvent::MouseMove: {
      const QPointF at = static_cast<QMouseEvent*>(event)->globalPosition();
      return CheckMouseMove(static_cast<int>(at.x()), static_cast<int>(at.y()));
    }
    default:
      return false;
  }
}

bool TScreenSaver::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWindowType() || FMode != smSaver || QApplication::activeModalWidget() != nullptr) return false;
  if (!IsInput(event)) return false;
  try {
    HandleInput();
  } catch (const std::exception&) {  // input never raises out of the hook
  }
  return true;
}

void TScreenSaver::HandleInput() {
  if (PasswordEnabled()) {
    OnPassword(this);
    ShowCursor(false);
    const bool verified = VerifyPassword();
    ShowCursor(true);
    if (!verified) {
      ResetMouse();
      return;
    }
  }
  FOwner->close();
}
