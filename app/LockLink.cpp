#include "app/LockLink.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>

#include "app/FQuorlith.h"

TLockLink::TLockLink(TFormSaver& form) : FForm(form), FInput(STDIN_FILENO, QSocketNotifier::Read) {
  // A locker that stops reading must not stop the show: reports it has no room for are dropped.
  fcntl(STDOUT_FILENO, F_SETFL, fcntl(STDOUT_FILENO, F_GETFL) | O_NONBLOCK);
  connect(&FInput, &QSocketNotifier::activated, this, &TLockLink::ReadCommands);
  FReports.setInterval(kReportMs);
  connect(&FReports, &QTimer::timeout, this, &TLockLink::Report);
  FReports.start();
  // The locker hides the pointer on its windows; this window lies inside them.
  QApplication::setOverrideCursor(Qt::BlankCursor);
}

TLockLink::~TLockLink() { QApplication::restoreOverrideCursor(); }

void TLockLink::ReadCommands() {
  char buffer[64];
  const ssize_t count = read(STDIN_FILENO, buffer, sizeof(buffer));
  if (count <= 0) {  // the locker is gone
    FInput.setEnabled(false);
    FForm.close();
    QApplication::exit(0);
    return;
  }
  FPending.append(buffer, static_cast<std::size_t>(count));
  for (std::size_t end = FPending.find('\n'); end != std::string::npos; end = FPending.find('\n')) {
    const std::string command = FPending.substr(0, end);
    FPending.erase(0, end + 1);
    if (command == "pause") FForm.PauseShow();
    if (command == "resume") FForm.ResumeShow();
  }
}

// Only a show that draws, or that has failed and shows its message, reports: one still loading
// has the locker's start-up allowance.
void TLockLink::Report() {
  if (FForm.FrameState() < 2 && !FForm.Failed()) return;
  [[maybe_unused]] const ssize_t written = write(STDOUT_FILENO, "+", 1);
}
