#include "app/Signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>

namespace {

int gSignalPipe[2] = {-1, -1};

// Only async-signal-safe work here: one byte into the pipe the event loop watches.
void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(gSignalPipe[0], &byte, 1);
}

}  // namespace

void CloseOnSignals(QWidget* form) {
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(gSignalPipe[1], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, form, [form] {
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(gSignalPipe[1], &byte, 1);
    form->close();
    QApplication::exit(0);
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}
