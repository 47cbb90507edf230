#include "app/FQuorlith.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QScreen>
#include <QVBoxLayout>
#include <cstdio>

#include "app/LockLink.h"
#include "app/PasswordPrompt.h"
#include "app/ShowChild.h"
#include "app/ShowWatch.h"
#include "platform/dd/qt/DisplayCheck.h"
#include "platform/os/Password.h"
#include "wallpaper/WallpaperPro.h"

TFormSaver::TFormSaver(TInvocation invocation) : ScreenSaver1(this, std::move(invocation)) {
  setWindowTitle(kTitle);
  CreateControls();
  ScreenSaver1.OnExecute = TSaverEvent::Bind<&TFormSaver::ScreenSaverExecute>(this);
  ScreenSaver1.OnPassword = TSaverEvent::Bind<&TFormSaver::ScreenSaverPassword>(this);
  ScreenSaver1.Loaded();
  // Into the host's window before the first show, so the form never appears on the desktop.
  const TInvocation& parsed = ScreenSaver1.Invocation();
  FHostWindow = parsed.Host ? (parsed.HostWindow != 0 ? parsed.HostWindow : x11::RootWindowId())
                            : (ScreenSaver1.Mode() == smPreview ? ScreenSaver1.ParentWindow() : 0);
  if (FHostWindow != 0) FEmbedded = EmbedInWindow(this, FHostWindow);
  if (parsed.LockChild) FLockLink = std::make_unique<TLockLink>(*this);
}

TFormSaver::~TFormSaver() { DestroyWorld(); }

// Queued, so that it also ends a program whose first show ends it before the event loop runs.
void TFormSaver::EndProgram(int status) {
  QMetaObject::invokeMethod(
      qApp, [status] { QApplication::exit(status); }, Qt::QueuedConnection);
}

void TFormSaver::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (FShown) return;
  FShown = true;
  FormShow();
}

void TFormSaver::FormShow() {
  if (!dd::qt::DisplayAvailable()) {
    ScreenSaver1.ShowCursor(true);
    FailShow(
        "Quorlith 3D cannot start: no display with a usable drawing surface was found.\n"
        "Check that the program runs on an X display (DISPLAY is set) and that it can be reached.");
    return;
  }
  if (ScreenSaver1.Invocation().Wallpaper) {
    InstallWallpaper();
    return;
  }
  try {
    LoadSettings();
  } catch (const std::exception& error) {
    FailShow(error.what());
    return;
  }
  if (FHostWindow != 0 && !FEmbedded) {
    std::fprintf(stderr, "quorlith3d: there is no window 0x%lx to draw into\n",
                 static_cast<unsigned long>(FHostWindow));
    FFailed = true;
    FExitCode = 1;
    EndProgram(FExitCode);
    return;
  }
  switch (ScreenSaver1.Mode()) {
    case smPreview:
      ShowPicture();
      break;
    case smSaver:
      PanelConfigure->hide();
      if (!ScreenSaver1.Invocation().Host && TScreenSaver::PasswordEnabled()) {
        StartLock();
        break;
      }
      try {
        StartShow();
        if (!ScreenSaver1.Invocation().Host) {
          CoverOtherScreens();
          ScreenSaver1.SetScreenSaverRunning(true);
        }
        FWatch = std::make_unique<TShowWatch>(this, ScreenSaver1.Invocation().Host ? FHostWindow : 0);
      } catch (const std::exception& error) {
        FailShow(error.what());
      }
      break;
    default:
      PrepareDialog();
      break;
  }
}

// The world shows on the primary monitor; the others go black, and input on them counts too.
void TFormSaver::CoverOtherScreens() {
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen == QGuiApplication::primaryScreen()) continue;
    auto cover = std::make_unique<QWidget>(nullptr, windowFlags());
    cover->setStyleSheet("background: black;");
    cover->setAttribute(Qt::WA_QuitOnClose, false);
    cover->setScreen(screen);
    cover->setGeometry(screen->geometry());
    cover->show();
    FCovers.push_back(std::move(cover));
  }
}

// With the password on, this process only locks: it covers every monitor in black, holds the
// keyboard and the pointer and asks for the password, while the show runs as its child, drawing
// into this window. Whatever becomes of the show, the desktop stays covered until PAM says yes.
void TFormSaver::StartLock() {
  if (const std::string problem = os::PasswordServiceProblem(kPamService); !problem.empty()) {
    FailShow("The screen cannot be locked: the password could not be checked.\n" + problem);
    return;
  }
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);
  CoverOtherScreens();
  ScreenSaver1.SetScreenSaverRunning(true);
  FShowChild = std::make_unique<TShowChild>(winId());
}

// Windows that other programs map later, such as notifications, go back under the lock.
void TFormSaver::RaiseLock() {
  x11::Raise(winId());
  for (const auto& cover : FCovers) x11::Raise(cover->winId());
}

// The wallpaper switch: the product picture, centred, becomes the desktop's wallpaper; nothing else.
void TFormSaver::InstallWallpaper() {
  hide();
  try {
    InstallProductWallpaper(StoredDataPath(ScreenSaver1.Registry()) + kPictureFile);
  } catch (const std::exception& error) {
    FailShow(error.what());
    return;
  }
  close();
  EndProgram(0);
}

void TFormSaver::ShowPicture() {
  PanelConfigure->hide();
  const QString picture = QString::fromStdString(FDataPath + kPictureFile);
  QPixmap pixmap(picture);
  if (pixmap.isNull()) {
    FailShow("Quorlith 3D: cannot read the picture " + picture.toStdString());
    return;
  }
  layout()->setContentsMargins(0, 0, 0, 0);
  Image1->setPixmap(pixmap);
  Image1->show();
}

void TFormSaver::ShowError(const std::string& message) {
  FErrorMessage = message;
  std::fprintf(stderr, "quorlith3d: %s\n", message.c_str());
  if (!ScreenSaver1.Invocation().Host) {
    QMessageBox::critical(isVisible() ? this : nullptr, kTitle, QString::fromStdString(message));
    return;
  }
  if (FMessage == nullptr) {
    FMessage = new QLabel(this);
    FMessage->setStyleSheet("background: black; color: white; padding: 20px;");
    FMessage->setWordWrap(true);
    FMessage->setAlignment(Qt::AlignCenter);
    QFont font = FMessage->font();
    font.setPixelSize(std::max(14, height() / 30));
    FMessage->setFont(font);
    layout()->addWidget(FMessage);
  }
  if (FWindow3D != nullptr) FWindow3D->hide();
  FMessage->setText(QString::fromStdString(message));
  FMessage->show();
}

// The show stops for good. A hosted show keeps its window with the message in it until its host
// ends it; a standalone one closes after the message.
void TFormSaver::FailShow(const std::string& message) {
  FFailed = true;
  FExitCode = 1;
  ScreenSaver1.SetScreenSaverRunning(false);
  ScreenSaver1.RemoveIdle();
  ScreenSaver1.RemoveMessageHook();
  if (FWindow3D != nullptr && ScreenSaver1.Mode() == smSaver) {
    try {
      FWindow3D->FlipToGDI();
    } catch (const std::exception&) {  // the message matters more than the desktop surface
    }
  }
  if (!ScreenSaver1.Invocation().Host) hide();
  ScreenSaver1.ShowCursor(true);
  ShowError(message);
  if (!ScreenSaver1.Invocation().Host) EndProgram(FExitCode);
}

// Closing always succeeds. A running show gives the display back and frees the world first. The
// program ends with its last window.
void TFormSaver::closeEvent(QCloseEvent* event) {
  if (ScreenSaver1.Mode() == smSaver && !FFailed && FWindow3D != nullptr) {
    try {
      FWindow3D->RestoreDisplay();
    } catch (const std::exception& error) {  // said, but the show ends all the same
      std::fprintf(stderr, "quorlith3d: %s\n", error.what());
    }
  }
  FWatch.reset();
  FShowChild.reset();
  FCovers.clear();
  DestroyWorld();
  ScreenSaver1.SetScreenSaverRunning(false);
  event->accept();
}
