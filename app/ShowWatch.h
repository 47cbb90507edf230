#pragma once

// Whether anybody can see the show: its window mapped and not fully covered, and the monitor awake.
// A hosted show also follows its host window: the form takes the host's size, and the program ends
// when the host window goes away. The server is asked a few times a second, never once a frame.

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "app/X11Window.h"

class QWidget;

class TShowWatch : public QObject {
 public:
  static constexpr int kPollMs = 250;

  // `host` is the window the show was put into, or 0.
  TShowWatch(QWidget* show, std::uintptr_t host);

  bool Visible() const { return FViewable && !FAsleep && !FCover.Covered(); }

 private:
  void Poll();
  void FollowHost();

  QWidget* FShow;
  std::uintptr_t FHost;
  x11::CoverWatch FCover;
  QTimer FTimer;
  bool FViewable = true;
  bool FAsleep = false;
};

// Puts `widget` inside the foreign window `window` at its size; false when there is no such window.
bool EmbedInWindow(QWidget* widget, std::uintptr_t window);
