// The program as a hack of the real xscreensaver daemon. The daemon refuses to launch hacks as
// root, so it runs as an unprivileged user of the test's own, on the test's display.

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <functional>

#include "tests/e2e/ShowProcess.h"

using namespace e2e;

namespace {

constexpr const char* kUser = "q3dsaver";

// Runs a program as the test's user with its home and the test's display.
QProcess* AsUser(const QString& home, const QStringList& command) {
  auto* process = new QProcess;
  process->start(
      "runuser",
      QStringList{"-u", kUser, "--", "env", "HOME=" + home, "DISPLAY=" + qEnvironmentVariable("DISPLAY")} + command);
  return process;
}

// The hacks of the test's user that are still alive (not ended, not waiting to be reaped).
int LiveHacks() {
  QProcess pgrep;
  pgrep.start("pgrep", {"-u", kUser, "-r", "R,S,D", "-f", "quorlith3d --root"});
  pgrep.waitForFinished();
  return static_cast<int>(pgrep.readAllStandardOutput().split('\n').count() - 1);
}

void Readable(const QString& folder) { QProcess::execute("chmod", {"-R", "a+rX", folder}); }

}  // namespace

TEST(XScreenSaverTest, TheDaemonShowsTheWorldAndEndsTheHackWithoutACrash) {
  if (getpwnam(kUser) == nullptr) {
    if (getuid() != 0) GTEST_SKIP() << "needs root to make the user " << kUser;
    ASSERT_EQ(QProcess::execute("useradd", {"--create-home", kUser}), 0);
  }
  ShowFolders folders;
  Readable(folders.DataFolder());
  Readable(folders.ConfigFolder());
  QTemporaryDir home;
  const QString log = home.filePath("xscreensaver.log");
  // The user may not reach into the build tree (a private clone): the hack runs from its home.
  const QString hack = home.filePath("quorlith3d");
  ASSERT_TRUE(QFile::copy(Q3D_PROGRAM, hack));
  QFile settings(home.filePath(".xscreensaver"));
  ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
  settings.write(("mode: one\nselected: 0\ntimeout: 0:10:00\nlock: False\nsplash: False\nfade: False\n"
                  "unfade: False\nprograms: GL: \"Quorlith 3D\" env QUORLITH_DATA_DIR=" +
                  folders.DataFolder() + " QUORLITH_CONFIG_DIR=" + folders.ConfigFolder() + " ALSOFT_DRIVERS=null " +
                  hack + " --root \\n\n")
                     .toUtf8());
  settings.close();
  QProcess::execute("chown", {"-R", kUser, home.path()});

  std::unique_ptr<QProcess> daemon(AsUser(home.path(), {"xscreensaver", "--no-splash", "--log", log}));
  // Whatever happens below, the daemon and its black windows go, or they would cover later tests.
  const auto exit = [&] {
    std::unique_ptr<QProcess>(AsUser(home.path(), {"xscreensaver-command", "-exit"}))->waitForFinished();
    if (!daemon->waitForFinished(3000)) QProcess::execute("pkill", {"-u", kUser});
  };
  struct AtEnd {
    std::function<void()> Run;
    ~AtEnd() { Run(); }
  } atEnd{exit};
  Pause(1500);
  std::unique_ptr<QProcess>(AsUser(home.path(), {"xscreensaver-command", "-activate"}))->waitForFinished();
  QElapsedTimer activated;
  activated.start();
  while (LiveHacks() == 0 && activated.elapsed() < 5000 * kSlowdown) Pause(50);
  ASSERT_EQ(LiveHacks(), 1) << "the daemon started the hack";
  EXPECT_GE(ColourCount(WaitForPicture(32, 5000 * kSlowdown - activated.elapsed())), 32) << "the world within 5 s";
  EXPECT_LT(activated.elapsed(), 5000 * kSlowdown);

  std::unique_ptr<QProcess>(AsUser(home.path(), {"xscreensaver-command", "-deactivate"}))->waitForFinished();
  QElapsedTimer clock;
  clock.start();
  while (LiveHacks() > 0 && clock.elapsed() < 3000) Pause(50);
  EXPECT_LT(clock.elapsed(), 1000 * kSlowdown) << "the hack ends within a second";
  exit();
  QFile logFile(log);
  ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
  const QByteArray written = logFile.readAll();
  EXPECT_TRUE(written.contains("quorlith3d --root")) << "the daemon ran the hack";
  EXPECT_FALSE(written.contains("crashed")) << written.toStdString();
}
