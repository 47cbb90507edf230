// The program end to end under the test's X display: the standalone show and its input rules.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>
#include <csignal>

#include "tests/e2e/ShowProcess.h"
#include "wallpaper/WallpaperPro.h"

using namespace e2e;

namespace {

class ShowTest : public testing::Test {
 protected:
  // Starts the standalone show and waits for the world on the screen.
  void StartShow(ShowProcess& show) {
    show.Start({"/s"});
    const QImage picture = WaitForPicture(32, 5000);
    ASSERT_GE(ColourCount(picture), 32) << "the world is on the screen within 5 s";
  }
  // A standalone show that cannot start: its message box, and status 1 once the user has read it.
  static void ExpectMessageThenStatus1(ShowProcess& show, const char* message) {
    show.Start({"/s"});
    Pause(2000);
    EXPECT_TRUE(show.Errors().contains(message)) << show.Errors().toStdString();
    XDoTool({"key", "Return"});
    ASSERT_TRUE(show.WaitEnded(2000));
    EXPECT_EQ(show.ExitCode(), 1);
  }
  // Whether input ends the show within a second, with status 0.
  static bool EndsWithin1s(ShowProcess& show) { return show.WaitEnded(1000 * kSlowdown) && show.ExitCode() == 0; }

  // The desktop's password flag on, checked by the PAM services in `services`, never the machine's.
  void UsePasswordThrough(ShowProcess& show, const QString& services) {
    Folders.SetDesktopValue("ScreenSaveUsePassword", 1);
    for (const QString& variable : QString(Q3D_PAM_ENVIRONMENT).split(',', Qt::SkipEmptyParts))
      show.Environment().insert(variable.section('=', 0, 0), variable.section('=', 1));
    show.Environment().insert("PAM_WRAPPER_SERVICE_DIR", services);
    show.Environment().insert("USER", qEnvironmentVariable("USER", "root"));
  }

  ShowFolders Folders;
};

}  // namespace

TEST_F(ShowTest, TheShowFillsTheScreenAndAKeyOrAReleasedButtonEndsIt) {
  {
    ShowProcess show(Folders);
    StartShow(show);
    XDoTool({"key", "space"});
    EXPECT_TRUE(EndsWithin1s(show)) << show.Errors().toStdString();
  }
  ShowProcess show(Folders);
  StartShow(show);
  XDoTool({"mousedown", "1"});
  Pause(500);
  EXPECT_TRUE(show.Running()) << "a pressed button does not end the show";
  XDoTool({"mouseup", "1"});
  EXPECT_TRUE(EndsWithin1s(show)) << show.Errors().toStdString();
}

// With exit on mouse move on: the first five moves are ignored, the sixth is the reference point,
// and only a move of more than two pixels on both axes from it ends the show.
TEST_F(ShowTest, MouseMovesEndTheShowOnlyWhenAskedAndPastTheThresholdOnBothAxes) {
  XDoTool({"mousemove", "600", "500"});
  {
    ShowProcess show(Folders);
    StartShow(show);
    for (int x = 700; x <= 1000; x += 100) XDoTool({"mousemove", QString::number(x), "600"});
    Pause(300);
    EXPECT_TRUE(show.Running()) << "no move ends the show while exit on mouse move is off";
  }
  Folders.SetSaverValue("ExitOnMouseMove", 1);
  ShowProcess show(Folders);
  StartShow(show);
  for (int i = 1; i <= 6; ++i) {
    XDoTool({"mousemove", QString::number(600 + i), "500"});
    Pause(60);
  }
  XDoTool({"mousemove", "609", "500"});  // three pixels from the reference, on one axis only
  Pause(300);
  EXPECT_TRUE(show.Running());
  XDoTool({"mousemove", "609", "503"});
  EXPECT_TRUE(EndsWithin1s(show)) << show.Errors().toStdString();
}

// The show's process under the locker, once the locker has (re)started one other than `old`.
qint64 WaitForShowChild(qint64 locker, qint64 old, int ms) {
  QElapsedTimer clock;
  clock.start();
  do {
    QProcess children;
    children.start("pgrep", {"-P", QString::number(locker)});
    children.waitForFinished(2000);
    const qint64 child = QString::fromUtf8(children.readAllStandardOutput()).section('\n', 0, 0).toLongLong();
    if (child != 0 && child != old) return child;
    Pause(50);
  } while (clock.elapsed() < ms);
  return 0;
}

// A window of another program, which the lock must never let be seen.
bool DesktopSeen(const QImage& screen) {
  for (int y = 0; y < screen.height(); y += 4) {
    const auto* row = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
    for (int x = 0; x < screen.width(); x += 4)
      if ((row[x] & 0xFFFFFF) == 0xFF00FF) return true;
  }
  return false;
}

// With the desktop's password flag on, the program locks: it covers the screen and holds the input,
// while the show runs as its child. PAM checks the password (a service of the test's own that knows
// one password for the user running it). The show stands still while the prompt is up and goes on
// after a wrong password. A show that is killed or stops leaves the screen covered and is started
// again; only the right password ends the lock.
TEST_F(ShowTest, WithThePasswordOnTheScreenStaysLockedWhateverTheShowDoesUntilTheRightPassword) {
  QTemporaryDir services;
  const QString user = qEnvironmentVariable("USER", "root");
  {
    QFile passdb(services.filePath("passdb"));
    ASSERT_TRUE(passdb.open(QIODevice::WriteOnly));
    passdb.write((user + ":open sesame:quorlith3d\n").toUtf8());
    QFile service(services.filePath("quorlith3d"));
    ASSERT_TRUE(service.open(QIODevice::WriteOnly));
    const QString matrix = QString(Q3D_PAM_MODULES "/pam_matrix.so passdb=") + passdb.fileName();
    service.write(("auth required " + matrix + "\naccount required " + matrix + "\n").toUtf8());
  }
  QWidget desktop;
  desktop.setStyleSheet("background: #FF00FF;");
  desktop.setGeometry(100, 100, 300, 200);
  desktop.show();
  Pause(300);
  ASSERT_TRUE(DesktopSeen(Screenshot()));

  ShowProcess show(Folders);
  UsePasswordThrough(show, services.path());
  StartShow(show);
  qint64 child = WaitForShowChild(show.Pid(), 0, 1000);
  ASSERT_NE(child, 0) << "the show runs as the locker's child";
  desktop.raise();
  Pause(1000);
  EXPECT_FALSE(DesktopSeen(Screenshot())) << "a window raised later goes back under the lock";

  // Everything but the prompt and its blinking cursor: the dinosaur walks and its light moves over
  // the ground while the show runs.
  XDoTool({"key", "space"});
  const unsigned long prompt = WaitForDialog("Quorlith 3D");
  ASSERT_NE(prompt, 0UL) << "the prompt";
  const QRect promptRect = WindowRect(prompt);
  const auto around = [&promptRect] {
    QImage screen = Screenshot();
    QPainter(&screen).fillRect(promptRect, Qt::black);
    return screen;
  };
  Pause(300);
  const QImage asked = around();
  Pause(700);
  EXPECT_EQ(around(), asked) << "the show stands still while the prompt is up";
  XDoTool({"type", "wrong guess"});
  XDoTool({"key", "Return"});
  QElapsedTimer clock;
  clock.start();
  while (around() == asked && clock.elapsed() < 3000 * kSlowdown) Pause(100);
  EXPECT_NE(around(), asked) << "a wrong password keeps the lock, and the show goes on";

  kill(static_cast<pid_t>(child), SIGKILL);
  Pause(300);
  const QImage killed = Screenshot();
  EXPECT_EQ(ColourCount(killed), 1) << "a killed show leaves the screen black";
  EXPECT_FALSE(DesktopSeen(killed));
  child = WaitForShowChild(show.Pid(), child, 2000 * kSlowdown);
  ASSERT_NE(child, 0) << "and is started again";
  EXPECT_GE(ColourCount(WaitForPicture(32, 5000 * kSlowdown)), 32);
  Pause(1000);  // the new show has reported that it draws

  kill(static_cast<pid_t>(child), SIGSTOP);
  clock.restart();
  const qint64 stopped = child;
  while ((child = WaitForShowChild(show.Pid(), stopped, 100)) == 0 && clock.elapsed() < 4000 * kSlowdown)
    EXPECT_FALSE(DesktopSeen(Screenshot()));
  EXPECT_NE(child, 0) << "a stopped show is replaced";
  EXPECT_GE(clock.elapsed(), 2000) << "after two seconds of silence";
  EXPECT_FALSE(DesktopSeen(Screenshot()));

  XDoTool({"key", "space"});
  ASSERT_NE(WaitForDialog("Quorlith 3D"), 0UL) << "the prompt, whatever became of the show";
  Pause(300);
  XDoTool({"type", "open sesame"});
  XDoTool({"key", "Return"});
  EXPECT_TRUE(EndsWithin1s(show)) << show.Errors().toStdString();
  EXPECT_NE(kill(static_cast<pid_t>(child), 0), 0) << "the show ends with its locker";
  EXPECT_TRUE(DesktopSeen(Screenshot()));
}

// A lock that no password could open is not taken: the user is told, and the show does not start.
TEST_F(ShowTest, WithoutAWorkingPasswordCheckTheScreenIsNotLocked) {
  QTemporaryDir noServices;
  ShowProcess show(Folders);
  UsePasswordThrough(show, noServices.path());
  ExpectMessageThenStatus1(show, "The screen cannot be locked");
}

// The saver's password is the login password: there is nothing to change, and the program says so.
TEST_F(ShowTest, ChangingThePasswordEndsAtOnceWithOneLine) {
  ShowProcess change(Folders);
  change.Start({"/a"});
  ASSERT_TRUE(change.WaitEnded(3000));
  EXPECT_EQ(change.ExitCode(), 0);
}

// Standalone, a world that cannot be loaded is a message box; the program ends with status 1 once
// the user has read it.
TEST_F(ShowTest, AMissingWorldIsAMessageAndAFailingStatus) {
  QFile::remove(Folders.WorldFile());
  ShowProcess show(Folders);
  ExpectMessageThenStatus1(show, "Cannot open file");
}

// The wallpaper switch installs the product picture and ends; nothing of the show starts.
TEST_F(ShowTest, TheWallpaperSwitchInstallsThePictureAndEnds) {
  QTemporaryDir data;
  ShowProcess wallpaper(Folders);
  wallpaper.Environment().insert("XDG_DATA_HOME", data.path());
  wallpaper.Environment().remove("XDG_CURRENT_DESKTOP");
  wallpaper.Start({"-W"});
  ASSERT_TRUE(wallpaper.WaitEnded(5000 * kSlowdown));
  EXPECT_EQ(wallpaper.ExitCode(), 0) << wallpaper.Errors().toStdString();
  const QString bitmap = data.filePath("quorlith3d/Quorlith 3D.bmp");
  EXPECT_EQ(QImage(bitmap).size(), QGuiApplication::primaryScreen()->size());
  QFile store(Folders.ConfigFolder() + "/current-user.ini");
  ASSERT_TRUE(store.open(QIODevice::ReadOnly));
  EXPECT_TRUE(store.readAll().contains(("WallPaper=\"" + bitmap + "\"").toUtf8()));
  TWallpaperPro none;  // the root window as it was, for the tests that follow
  none.Apply();
}

// Two monitors: the world on the primary one, the other covered black; input there ends the show.
TEST_F(ShowTest, TheStandaloneShowCoversEveryScreen) {
  // A server of its own, on a display number it picks itself and writes to its output.
  QProcess server;
  server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "800x600x24", "-screen", "1", "640x480x24", "-nolisten",
                        "tcp"});
  ASSERT_TRUE(server.waitForStarted());
  ASSERT_TRUE(server.waitForReadyRead(10000));
  const QString display = ":" + QString::fromUtf8(server.readAllStandardOutput()).trimmed();
  const auto shot = [&](const char* screen) {
    QProcess import;
    import.start("import", {"-display", display + screen, "-window", "root", "png:-"});
    import.waitForFinished(10000);
    return QImage::fromData(import.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
  };
  QProcess::execute("xsetroot", {"-display", display + ".1", "-solid", "white"});
  ShowProcess show(Folders);
  show.Environment().insert("DISPLAY", display);
  show.Start({"/s"});
  Pause(3000 * kSlowdown);
  EXPECT_GE(ColourCount(shot(".0")), 32) << show.Errors().toStdString();
  const QImage other = shot(".1");
  ASSERT_EQ(other.size(), QSize(640, 480));
  EXPECT_EQ(ColourCount(other), 1);
  EXPECT_EQ(other.pixel(320, 240), qRgb(0, 0, 0)) << "black, not the white desktop";
  QProcess key;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("DISPLAY", display + ".1");
  key.setProcessEnvironment(environment);
  key.start("xdotool", {"key", "space"});
  key.waitForFinished();
  EXPECT_TRUE(EndsWithin1s(show));
  server.terminate();
  server.waitForFinished();
}

// A killed X server ends the show on it with one line and status 1: no crash, no core, nothing else
// said. The server is the test's own, on a display number it picks itself.
TEST_F(ShowTest, LosingTheDisplayEndsTheShowWithOneLine) {
  QProcess server;
  server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
  ASSERT_TRUE(server.waitForReadyRead(5000));
  ShowProcess show(Folders);
  show.Environment().insert("DISPLAY", ":" + QString(server.readAllStandardOutput()).trimmed());
  show.Start({"/s"});
  Pause(2000 * kSlowdown);
  ASSERT_TRUE(show.Running()) << show.Errors().toStdString();
  EXPECT_GT(show.CpuTicks(), 10) << "the show draws";
  server.kill();
  server.waitForFinished(2000);
  ASSERT_TRUE(show.WaitEnded(3000 * kSlowdown));
  EXPECT_FALSE(show.Crashed());
  EXPECT_EQ(show.ExitCode(), 1);
  QStringList lines = show.Errors().split('\n', Qt::SkipEmptyParts);
  lines.removeIf([](const QString& line) { return line.startsWith("QStandardPaths:"); });
  EXPECT_EQ(lines, QStringList{"quorlith3d: the connection to the X display was lost"}) << show.Errors().toStdString();
}
