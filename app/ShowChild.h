#pragma once

// The show under the screen lock, as a child process drawing into the locker's window. The locker
// only covers, grabs and asks for the password; the show, with its drivers, world and sound, runs
// apart, so that nothing it does can uncover the desktop. A show that ends, crashes or stops
// reporting is killed if need be and started again, while the locker's black window stays.

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <cstdint>

class TShowChild : public QObject {
 public:
  // A running show reports a few times a second; this much silence means it hangs or is stopped.
  static constexpr int kSilenceMs = 2000;
  // Starting a show and loading its world come before its first report.
  static constexpr int kStartAllowanceMs = 20000;
  // A show that keeps failing is started again less and less often, down to this pace.
  static constexpr int kFirstRestartMs = 500;
  static constexpr int kLastRestartMs = 8000;
  // A show that ran this long before it ended starts again at the first pace.
  static constexpr int kHealthyRunMs = 10000;
  // How often the locker looks at its show.
  static constexpr int kCheckMs = 250;

  // Starts the show in `window`, the locker's full-screen window.
  explicit TShowChild(std::uintptr_t window);
  // Asks the show to end, and kills it when it does not.
  ~TShowChild() override;

  // The show stands still while the password prompt is up; a silent paused show is not hung.
  void Pause();
  void Resume();
  // The show's process id, or 0 between runs.
  qint64 Pid() const { return FProcess.processId(); }

 private:
  void Start();
  void Check();
  void Ended(int status, QProcess::ExitStatus how);
  void Send(const char* command);

  QProcess FProcess;
  QTimer FWatchdog;
  QElapsedTimer FSinceReport;  // since the last report, or since the start before the first
  QElapsedTimer FSinceStart;
  bool FReported = false;  // the running show has reported once
  bool FPaused = false;
  int FRestartMs = kFirstRestartMs;
};
