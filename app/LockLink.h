#pragma once

// The show's side of the screen lock: the locker starts the show as its child and watches it. The
// show reports a few times a second on its standard output while it runs (a hung or stopped show
// falls silent), pauses and resumes on "pause" and "resume" lines on its standard input, and ends
// when that input closes, so that it never outlives its locker.

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <string>

class TFormSaver;

class TLockLink : public QObject {
 public:
  static constexpr int kReportMs = 250;

  explicit TLockLink(TFormSaver& form);
  ~TLockLink() override;

 private:
  void ReadCommands();
  void Report();

  TFormSaver& FForm;
  QSocketNotifier FInput;
  QTimer FReports;
  std::string FPending;  // a command line read in part
};
