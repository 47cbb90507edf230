// An installation into a folder of its own: the files the desktop's hosts look for, and the
// installed program finding its world without any variable set.

#include <gtest/gtest.h>
#include <signal.h>

#include <QFile>
#include <QWidget>
#include <QXmlStreamReader>

#include "app/Invocation.h"
#include "tests/e2e/ShowProcess.h"

using namespace e2e;

namespace {

int RunTool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(60000)) return -1;
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// The command lines the host's settings can give: every arg-set of the registration.
std::vector<std::vector<std::string>> OfferedArguments(const QString& fileName) {
  QFile file(fileName);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  std::vector<std::vector<std::string>> offered;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const QString set = xml.attributes().value("arg-set").toString();
    if (set.isEmpty()) continue;
    std::vector<std::string> args{"--root"};
    for (const QString& word : set.split(' ')) args.push_back(word.toStdString());
    offered.push_back(args);
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return offered;
}

}  // namespace

TEST(InstallTest, TheInstallationHoldsWhatHostsLookForAndItsProgramFindsItsWorld) {
  ShowFolders folders;
  QTemporaryDir prefix;
  ASSERT_EQ(RunTool("cmake", {"--install", Q3D_BUILD_DIR, "--prefix", prefix.path()}), 0);
  for (const char* file :
       {"bin/quorlith3d", "libexec/xscreensaver/quorlith3d", "share/xscreensaver/config/quorlith3d.xml",
        "share/applications/screensavers/quorlith3d.desktop", "share/quorlith3d/Quorlith 3D.q3w",
        "share/quorlith3d/Quorlith 3D.jpg", "share/quorlith3d/Quorlith 3D.html", "share/man/man6/quorlith3d.6.gz",
        "share/icons/hicolor/scalable/apps/quorlith3d.svg", "etc/pam.d/quorlith3d"})
    EXPECT_TRUE(QFile::exists(prefix.filePath(file))) << file;
  EXPECT_EQ(RunTool("desktop-file-validate", {prefix.filePath("share/applications/screensavers/quorlith3d.desktop")}),
            0);
  const QString xml = prefix.filePath("share/xscreensaver/config/quorlith3d.xml");
  EXPECT_EQ(RunTool("xmllint", {"--noout", xml}), 0);
  const auto offered = OfferedArguments(xml);
  EXPECT_GE(offered.size(), 15u);
  for (const auto& args : offered) {
    const TInvocation invocation = ParseInvocation(args, nullptr);
    EXPECT_TRUE(invocation.Host && invocation.Ignored.empty()) << args[1];
    EXPECT_NE(UsageText().find(args[1]), std::string::npos) << args[1] << " is in --help";
  }

  QWidget host;
  host.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  host.setGeometry(50, 50, 320, 240);
  host.show();
  Pause(300);
  ShowProcess installed(folders);
  installed.Environment().remove("QUORLITH_DATA_DIR");
  installed.Start({"-window-id", QString::number(host.winId())}, prefix.filePath("libexec/xscreensaver/quorlith3d"));
  EXPECT_GE(ColourCount(WaitForPicture(32, 10000 * kSlowdown, host.winId())), 32) << installed.Errors().toStdString();
  ::kill(static_cast<pid_t>(installed.Pid()), SIGTERM);
  EXPECT_TRUE(installed.WaitEnded(2000 * kSlowdown));
}
