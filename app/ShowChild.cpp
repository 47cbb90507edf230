#include "app/ShowChild.h"

#include <signal.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

namespace {

// How long a show asked to end may take to release its window and sound.
constexpr int kEndMs = 500;

}  // namespace

TShowChild::TShowChild(std::uintptr_t window) {
  FProcess.setProgram(QCoreApplication::applicationFilePath());
  FProcess.setArguments({"--window-id", QString::number(window), "--lock-child"});
  FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  connect(&FProcess, &QProcess::readyReadStandardOutput, this, [this] {
    FProcess.readAllStandardOutput();
    FReported = true;
    FSinceReport.restart();
  });
  // A show started again while the prompt is up stands still like the one before it.
  connect(&FProcess, &QProcess::started, this, [this] {
    if (FPaused) Send("pause");
  });
  connect(&FProcess, &QProcess::finished, this, &TShowChild::Ended);
  connect(&FProcess, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) Ended(-1, QProcess::CrashExit);
  });
  FWatchdog.setInterval(kCheckMs);
  connect(&FWatchdog, &QTimer::timeout, this, &TShowChild::Check);
  FWatchdog.start();
  Start();
}

TShowChild::~TShowChild() {
  FWatchdog.stop();
  disconnect(&FProcess, nullptr, this, nullptr);
  if (FProcess.state() == QProcess::NotRunning) return;
  FProcess.terminate();
  ::kill(static_cast<pid_t>(FProcess.processId()), SIGCONT);  // a stopped show would not see the request
  if (!FProcess.waitForFinished(kEndMs)) FProcess.kill();
  FProcess.waitForFinished(kEndMs);
}

void TShowChild::Start() {
  FReported = false;
  FSinceReport.start();
  FSinceStart.start();
  FProcess.start();
}

void TShowChild::Pause() {
  if (FPaused) return;
  FPaused = true;
  Send("pause");
}

void TShowChild::Resume() {
  if (!FPaused) return;
  FPaused = false;
  FSinceReport.restart();  // the prompt's time is not the show's silence
  Send("resume");
}

void TShowChild::Send(const char* command) {
  if (FProcess.state() != QProcess::Running) return;
  FProcess.write(command);
  FProcess.write("\n");
}

// A stopped or hung show keeps its last picture on the screen; killed, its window goes and the
// locker's black shows.
void TShowChild::Check() {
  if (FPaused || FProcess.state() != QProcess::Running) return;
  if (FSinceReport.elapsed() <= (FReported ? kSilenceMs : kStartAllowanceMs)) return;
  std::fputs("quorlith3d: the show stopped drawing; starting it again\n", stderr);
  FProcess.kill();
}

void TShowChild::Ended(int status, QProcess::ExitStatus how) {
  if (how == QProcess::CrashExit) {
    std::fputs("quorlith3d: the show ended abnormally; starting it again\n", stderr);
  } else {
    std::fprintf(stderr, "quorlith3d: the show ended with status %d; starting it again\n", status);
  }
  const int delay = FSinceStart.elapsed() >= kHealthyRunMs ? kFirstRestartMs : FRestartMs;
  FRestartMs = std::min(delay * 2, kLastRestartMs);
  QTimer::singleShot(delay, this, [this] {
    if (FProcess.state() == QProcess::NotRunning) Start();
  });
}
