#pragma once

// What the shell asks the X server directly, about windows it did not make (a host's window, a
// preview pane) and about the monitor: whether a window exists and how big it is, whether it can be
// seen, and whether the monitor's power management has switched it off. Each answer is one round
// trip, so callers ask a few times a second at most.

#include <QSize>
#include <QWindow>
#include <cstdint>
#include <optional>

namespace x11 {

// A Qt window standing for another program's window `window`. It lives as long as the application:
// deleting it would delete the windows of this program placed in or above it.
QWindow* ForeignWindow(std::uintptr_t window);

// The root window of the default screen.
std::uintptr_t RootWindowId();
// The window's size, or nothing when no such window exists.
std::optional<QSize> WindowSize(std::uintptr_t window);
// Mapped, and every ancestor mapped.
bool WindowViewable(std::uintptr_t window);
// The monitor is in standby, suspend or off.
bool MonitorAsleep();
// Puts a window above its siblings, asking the server directly: QWidget::raise left the lock under
// a window mapped after it.
void Raise(std::uintptr_t window);

// From now on a lost connection to the X server (the server ended or was killed) ends the program
// at once with one line on stderr and status 1: every window is gone, and nothing is left to save.
void EndOnLostConnection();

// Follows whether a window of this process is fully covered by others (the X server says so when
// the window's visibility changes).
class CoverWatch {
 public:
  explicit CoverWatch(std::uintptr_t window);
  ~CoverWatch();
  CoverWatch(const CoverWatch&) = delete;
  CoverWatch& operator=(const CoverWatch&) = delete;

  bool Covered() const;

 private:
  class Filter;
  Filter* FFilter;
};

}  // namespace x11
