#pragma once

// The real program under the test's X display, with settings and data folders of its own: a data
// folder holding the test world and a picture, settings written as the program's store keeps them,
// input through xdotool, and pictures of the screen taken by the test process.

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QTemporaryDir>
#include <string>

namespace e2e {

// The test process's own Qt application on the display the program runs on.
void UseDisplay();

// Folders for one program run: settings, data with the test world and "Quorlith 3D.jpg". Making
// them starts the test's own application, so fixtures hold them first.
class ShowFolders {
 public:
  ShowFolders();

  // A value in the saver's settings key, or in the desktop's key that holds the password flag.
  void SetSaverValue(const std::string& name, int value);
  void SetSaverText(const std::string& name, const std::string& value);
  void SetDesktopValue(const std::string& name, int value);
  QString DataFolder() const { return FData.path(); }
  QString ConfigFolder() const { return FConfig.path(); }
  // The file the program reads its world from.
  QString WorldFile() const;

 private:
  QTemporaryDir FConfig;
  QTemporaryDir FData;
};

// One run of the program.
class ShowProcess {
 public:
  explicit ShowProcess(const ShowFolders& folders);
  ~ShowProcess();

  QProcessEnvironment& Environment() { return FEnvironment; }
  void Start(const QStringList& arguments, const QString& program = Q3D_PROGRAM);
  // Waits for the program to end; false when it still runs after `ms`.
  bool WaitEnded(int ms);
  bool Running() const { return FProcess.state() != QProcess::NotRunning; }
  int ExitCode() const { return FProcess.exitCode(); }
  bool Crashed() const { return FProcess.exitStatus() == QProcess::CrashExit; }
  qint64 Pid() const { return FProcess.processId(); }
  QString Errors();
  // Processor time the program has used so far, in clock ticks (user and system).
  long CpuTicks() const;

 private:
  QProcessEnvironment FEnvironment;
  QProcess FProcess;
  QString FErrors;
};

// Runs xdotool with these arguments and waits for it.
void XDoTool(const QStringList& arguments);
// Waits up to 5 s for a window of that exact title that does not fill the screen (the show's own
// full-screen window bears the program's name too); its id, or 0.
unsigned long WaitForDialog(const QString& title);
// Where a window lies on the screen.
QRect WindowRect(unsigned long window);
// How much longer the sanitized build takes for the same work.
#ifdef Q3D_SANITIZED
constexpr int kSlowdown = 5;
#else
constexpr int kSlowdown = 1;
#endif
// The whole screen, or one window of the display.
QImage Screenshot(unsigned long window = 0);
// How many different colours a picture has (counted up to `enough`).
int ColourCount(const QImage& picture, int enough = 64);
// Waits until the screen (or window) shows at least `colours` colours; the last picture taken.
QImage WaitForPicture(int colours, int ms, unsigned long window = 0);
// Lets the event loop of the test process run for `ms`.
void Pause(int ms);

}  // namespace e2e
