// The program as an X screen-saver host's hack: drawing into a window it did not make, following its
// size, deaf to input, ended only by a signal.

#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QWidget>

#include "tests/e2e/ShowProcess.h"

using namespace e2e;

namespace {

class HostTest : public testing::Test {
 protected:
  HostTest() {
    Host.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    Host.setGeometry(100, 80, 400, 300);
    Host.setStyleSheet("background: black;");
    Host.show();
    Pause(300);
  }
  unsigned long HostId() { return static_cast<unsigned long>(Host.winId()); }
  QString HostIdText() { return "0x" + QString::number(HostId(), 16); }

  // SIGTERM ends the program with status 0 within 200 ms.
  static void ExpectEndsOnSigterm(ShowProcess& show) {
    QElapsedTimer clock;
    clock.start();
    ::kill(static_cast<pid_t>(show.Pid()), SIGTERM);
    EXPECT_TRUE(show.WaitEnded(1000));
    EXPECT_LT(clock.elapsed(), 200 * kSlowdown);
    EXPECT_FALSE(show.Crashed());
    EXPECT_EQ(show.ExitCode(), 0) << show.Errors().toStdString();
  }

  ShowFolders Folders;
  QWidget Host;
};

}  // namespace

TEST_F(HostTest, TheWorldFillsTheHostWindowFollowsItsSizeIgnoresInputAndEndsOnSigterm) {
  ShowProcess show(Folders);
  show.Start({"-root", "-window-id", HostIdText(), "-fps", "-some-option"});
  QImage picture = WaitForPicture(32, 5000, HostId());
  EXPECT_GE(ColourCount(picture), 32) << "the world shows in the host window";
  EXPECT_EQ(picture.size(), QSize(400, 300));

  Host.resize(560, 420);
  Pause(800);
  picture = Screenshot(HostId());
  EXPECT_EQ(picture.size(), QSize(560, 420));
  EXPECT_GE(ColourCount(picture.copy(420, 300, 140, 120)), 16) << "the world reaches the grown corner";

  XDoTool({"mousemove", "300", "250", "click", "1", "key", "space", "Escape"});
  Pause(10000 - 800);
  EXPECT_TRUE(show.Running()) << "input never ends a hosted show, nor does it end by itself";
  EXPECT_TRUE(show.Errors().contains("-some-option")) << "an unknown option gets one warning line";

  // Nobody can see an unmapped window: the show sleeps instead of drawing.
  const long drawing = show.CpuTicks();
  Pause(1000);
  const long drawn = show.CpuTicks() - drawing;
  EXPECT_GT(drawn, 5) << "the show draws while it can be seen";
  Host.hide();
  Pause(600);
  const long hidden = show.CpuTicks();
  Pause(1000);
  EXPECT_LT(show.CpuTicks() - hidden, std::max(2L, drawn / 5)) << "drawing took " << drawn << " ticks a second";
  Host.show();
  ExpectEndsOnSigterm(show);
}

// Desktops that start savers with the window in XSCREENSAVER_WINDOW and no arguments at all.
TEST_F(HostTest, TheHostWindowMayComeFromTheEnvironment) {
  ShowProcess show(Folders);
  show.Environment().insert("XSCREENSAVER_WINDOW", HostIdText());
  show.Start({});
  EXPECT_GE(ColourCount(WaitForPicture(32, 5000, HostId())), 32);
  ExpectEndsOnSigterm(show);
}

// A hosted show that cannot load its world says so in its window and on stderr, then waits.
TEST_F(HostTest, AMissingOrDamagedWorldIsReportedAndTheProgramWaitsForItsSignal) {
  ShowProcess missing(Folders);
  QFile::rename(Folders.WorldFile(), Folders.WorldFile() + ".away");
  missing.Start({"-window-id", HostIdText()});
  Pause(2000);
  EXPECT_TRUE(missing.Running());
  EXPECT_TRUE(missing.Errors().contains("Cannot open file")) << missing.Errors().toStdString();
  EXPECT_TRUE(missing.Errors().contains("Quorlith 3D.q3w"));
  ExpectEndsOnSigterm(missing);

  QFile::rename(Folders.WorldFile() + ".away", Folders.WorldFile());
  QFile damaged(Folders.WorldFile());
  ASSERT_TRUE(damaged.resize(damaged.size() / 2));
  ShowProcess show(Folders);
  show.Start({"-window-id", HostIdText()});
  Pause(2000);
  EXPECT_TRUE(show.Running());
  EXPECT_TRUE(show.Errors().contains("Stream read error")) << show.Errors().toStdString();
  ExpectEndsOnSigterm(show);
}

// The preview shows the product picture stretched over the window it is given, and draws nothing.
TEST_F(HostTest, ThePreviewStretchesThePictureOverItsWindow) {
  ShowProcess preview(Folders);
  preview.Start({"/p", QString::number(HostId())});
  Pause(1500);
  const QImage picture = Screenshot(HostId());
  ASSERT_EQ(picture.size(), QSize(400, 300));
  for (const QPoint at : {QPoint(5, 5), QPoint(200, 150), QPoint(394, 294)}) {
    const QColor colour = picture.pixelColor(at);
    EXPECT_NEAR(colour.red(), 200, 12);
    EXPECT_NEAR(colour.green(), 120, 12);
    EXPECT_NEAR(colour.blue(), 40, 12);
  }
  XDoTool({"mousemove", "300", "250", "click", "1", "key", "space"});
  Pause(300);
  EXPECT_TRUE(preview.Running()) << "keys and clicks do nothing in a preview";
}

// A settings program's preview: the hack is stopped and started again within a quarter second at
// every change. Every run ends cleanly and none is left behind.
TEST_F(HostTest, StoppingAndRestartingQuicklyLeavesNoStrayProcess) {
  QTemporaryDir runtime;
  std::vector<std::unique_ptr<ShowProcess>> runs;
  for (int i = 0; i < 5; ++i) {
    runs.push_back(std::make_unique<ShowProcess>(Folders));
    runs.back()->Environment().insert("XDG_RUNTIME_DIR", runtime.path());
    runs.back()->Start({"--window-id", HostIdText(), "--sound"});
    Pause(300 + 100 * i);
    ::kill(static_cast<pid_t>(runs.back()->Pid()), SIGTERM);
    Pause(200);
  }
  for (const auto& run : runs) {
    EXPECT_TRUE(run->WaitEnded(2000 * kSlowdown));
    EXPECT_FALSE(run->Crashed());
    EXPECT_EQ(run->ExitCode(), 0) << run->Errors().toStdString();
  }
}

// A host starts one show per monitor: with sound on, one plays it and the others say they stay
// silent; when the one that plays ends, a show started later plays.
TEST_F(HostTest, OfOneShowPerMonitorOnlyOnePlaysSound) {
  QTemporaryDir runtime;
  const auto start = [&](ShowProcess& show) {
    show.Environment().insert("XDG_RUNTIME_DIR", runtime.path());
    show.Start({"--window-id", HostIdText(), "--sound"});
  };
  constexpr const char* kSilent = "another show plays the sound";
  ShowProcess first(Folders), second(Folders);
  start(first);
  Pause(1500 * kSlowdown);
  start(second);
  Pause(1500 * kSlowdown);
  EXPECT_FALSE(first.Errors().contains(kSilent));
  EXPECT_TRUE(second.Errors().contains(kSilent));
  ExpectEndsOnSigterm(first);
  ShowProcess third(Folders);
  start(third);
  Pause(1500 * kSlowdown);
  EXPECT_FALSE(third.Errors().contains(kSilent)) << "the lock went with the show that held it";
  ExpectEndsOnSigterm(second);
  ExpectEndsOnSigterm(third);
}

// At a device pixel ratio of 2 the hosted show still fills its window, its overlay where it belongs:
// the host's window size is in device pixels, the program's widgets count logical ones.
TEST_F(HostTest, OnADenseScreenTheShowStillFillsItsWindow) {
  ShowProcess show(Folders);
  show.Environment().insert("QT_SCALE_FACTOR", "2");
  show.Start({"-window-id", HostIdText(), "--time"});
  const QImage picture = WaitForPicture(32, 5000 * kSlowdown, HostId());
  Pause(1000);
  const QImage bottom = Screenshot(HostId()).copy(0, 300 - 30, 400, 30);
  int yellow = 0;
  for (int y = 0; y < bottom.height(); ++y)
    for (int x = 0; x < bottom.width(); ++x) {
      const QColor c = bottom.pixelColor(x, y);
      yellow += c.red() > 160 && c.green() > 160 && c.blue() < 90;
    }
  EXPECT_GT(yellow, 50) << "the time, in the window's bottom line";
  ExpectEndsOnSigterm(show);
}
