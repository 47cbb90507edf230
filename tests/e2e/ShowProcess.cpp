#include "tests/e2e/ShowProcess.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QMap>
#include <QScreen>
#include <QThread>
#include <fstream>
#include <set>

#include "core3d/RetainedMode.h"
#include "platform/rm/Direct3DRM.h"
#include "tests/scene/TestWorld.h"

namespace e2e {

void UseDisplay() {
  static int argc = 1;
  static char name[] = "e2e_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* application = new QApplication(argc, argv);
  application->setApplicationDisplayName("Quorlith 3D");  // as the program names itself: its settings key
}

namespace {

// The test world, saved once for every run: the program loads it as its default world.
void WriteWorld(const QString& fileName) {
  rtl::Ref<rm::Direct3DRM> root;
  ASSERT_EQ(rm::Direct3DRMCreate(&root), rm::D3DRM_OK);
  SetRetainedMode(root.Get());
  {
    TSoundDevice sound(0);
    TWorld3D world(&sound);
    testing_support::BuildTestWorld(world);
    world.SaveToFile(fileName.toStdString());
  }
  SetRetainedMode(nullptr);
}

void AppendLines(const QString& fileName, const std::string& lines) {
  std::ofstream file(fileName.toStdString(), std::ios::app);
  file << lines;
}

}  // namespace

ShowFolders::ShowFolders() {
  UseDisplay();
  WriteWorld(WorldFile());
  QImage picture(64, 48, QImage::Format_RGB32);
  picture.fill(QColor(200, 120, 40));
  EXPECT_TRUE(picture.save(FData.path() + "/Quorlith 3D.jpg", "JPEG"));
}

QString ShowFolders::WorldFile() const { return FData.path() + "/Quorlith 3D.q3w"; }

void ShowFolders::SetSaverValue(const std::string& name, int value) {
  AppendLines(FConfig.path() + "/local-machine.ini",
              "[Software\\Talven Software\\Quorlith 3D]\n" + name + "=" + std::to_string(value) + "\n");
}

void ShowFolders::SetSaverText(const std::string& name, const std::string& value) {
  AppendLines(FConfig.path() + "/local-machine.ini",
              "[Software\\Talven Software\\Quorlith 3D]\n" + name + "=\"" + value + "\"\n");
}

void ShowFolders::SetDesktopValue(const std::string& name, int value) {
  AppendLines(FConfig.path() + "/current-user.ini",
              "[Control Panel\\desktop]\n" + name + "=" + std::to_string(value) + "\n");
}

ShowProcess::ShowProcess(const ShowFolders& folders) : FEnvironment(QProcessEnvironment::systemEnvironment()) {
  FEnvironment.insert("QUORLITH_CONFIG_DIR", folders.ConfigFolder());
  FEnvironment.insert("QUORLITH_DATA_DIR", folders.DataFolder());
  FEnvironment.insert("ALSOFT_DRIVERS", "null");
  FEnvironment.remove("XSCREENSAVER_WINDOW");
}

ShowProcess::~ShowProcess() {
  if (!Running()) return;
  FProcess.kill();
  FProcess.waitForFinished(2000);
}

void ShowProcess::Start(const QStringList& arguments, const QString& program) {
  FProcess.setProcessEnvironment(FEnvironment);
  FProcess.start(program, arguments);
  ASSERT_TRUE(FProcess.waitForStarted(5000));
}

bool ShowProcess::WaitEnded(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (Running() && clock.elapsed() < ms) {
    FProcess.waitForFinished(10);
    QApplication::processEvents();
  }
  return !Running();
}

QString ShowProcess::Errors() {
  FErrors += QString::fromUtf8(FProcess.readAllStandardError());
  return FErrors;
}

long ShowProcess::CpuTicks() const {
  QFile stat(QString("/proc/%1/stat").arg(FProcess.processId()));
  if (!stat.open(QIODevice::ReadOnly)) return -1;
  // The fields after the command name, which is in parentheses and may hold spaces.
  const QString text = QString::fromUtf8(stat.readAll());
  const QStringList fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
  return fields.value(11).toLong() + fields.value(12).toLong();
}

void XDoTool(const QStringList& arguments) { ASSERT_EQ(QProcess::execute("xdotool", arguments), 0) << "xdotool"; }

unsigned long WaitForDialog(const QString& title) {
  const QSize screen = QGuiApplication::primaryScreen()->size();
  QElapsedTimer clock;
  clock.start();
  do {
    QProcess search;
    search.start("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"});
    search.waitForFinished(5000);
    for (const QByteArray& line : search.readAllStandardOutput().split('\n')) {
      const unsigned long window = line.toULong();
      if (window != 0 && WindowRect(window).size() != screen) return window;
    }
    Pause(50);
  } while (clock.elapsed() < 5000);
  return 0;
}

QRect WindowRect(unsigned long window) {
  QProcess geometry;
  geometry.start("xdotool", {"getwindowgeometry", "--shell", QString::number(window)});
  geometry.waitForFinished(5000);
  QMap<QString, int> values;
  for (const QString& line : QString::fromUtf8(geometry.readAllStandardOutput()).split('\n'))
    values[line.section('=', 0, 0)] = line.section('=', 1).toInt();
  return {values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]};
}

QImage Screenshot(unsigned long window) {
  return QGuiApplication::primaryScreen()->grabWindow(window).toImage().convertToFormat(QImage::Format_RGB32);
}

int ColourCount(const QImage& picture, int enough) {
  std::set<QRgb> colours;
  for (int y = 0; y < picture.height(); y += 2) {
    const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    for (int x = 0; x < picture.width(); x += 2) {
      colours.insert(row[x]);
      if (static_cast<int>(colours.size()) >= enough) return enough;
    }
  }
  return static_cast<int>(colours.size());
}

QImage WaitForPicture(int colours, int ms, unsigned long window) {
  QElapsedTimer clock;
  clock.start();
  QImage picture;
  do {
    picture = Screenshot(window);
    if (ColourCount(picture, colours) >= colours) break;
    Pause(100);
  } while (clock.elapsed() < ms);
  return picture;
}

void Pause(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
}

}  // namespace e2e
