#pragma once

// The saver component of the main form: it reads the command line, puts the form into the shape of
// its mode, drives the show from the application's idle time, watches the user's input while the
// show runs, asks for the password, and gives back what it took (cursor, grabs) when it goes.
//
// Idle time is a zero-interval timer that fires between events; the show paces itself to the
// screen's refresh when it presents, so the loop sleeps rather than spins. The message hook is an
// application event filter that sees every input event of the program's windows once.

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>

#include "app/Invocation.h"
#include "platform/os/Registry.h"
#include "platform/rtl/Event.h"

class QWidget;
class TScreenSaver;

using TSaverEvent = rtl::TEvent<TScreenSaver*>;

class TScreenSaver : public QObject {
 public:
  // Values the main form gives its saver.
  static constexpr const char* kCompany = "Talven Software";
  static constexpr int kMouseSkip = 5;       // moves ignored after the start or a failed password
  static constexpr int kMouseThreshold = 2;  // pixels on both axes a move must pass
  static constexpr int kGrabRetryMs = 50;    // the server grabs only for a window on the screen

  TScreenSaver(QWidget* owner, TInvocation invocation);
  ~TScreenSaver() override;

  // The mode dispatch, once the form exists.
  void Loaded();

  TSaverMode Mode() const { return FMode; }
  const TInvocation& Invocation() const { return FInvocation; }
  std::uintptr_t ParentWindow() const { return FParentWindow; }
  // The saver's settings key, opened on first use.
  os::Registry& Registry();

  // Stops and restarts the idle handler (the show ends, fails, or waits for a dialog).
  void InstallIdle();
  void RemoveIdle();
  void RemoveMessageHook();

  void ResetMouse();
  // Whether a move to (x, y) counts as input.
  bool CheckMouseMove(int x, int y);
  // The desktop's "use a password" flag.
  static bool PasswordEnabled();
  bool VerifyPassword();
  // The cursor's show count, as the platform keeps it: the cursor shows while the count is >= 0.
  void ShowCursor(bool show);
  void ReleaseResources();
  // The "screen saver running" flag: while the show runs it holds the keyboard and the pointer, so
  // no other program gets them.
  void SetScreenSaverRunning(bool running);

  std::uint32_t Delay = 0;  // least milliseconds between two executes; 0: every idle pass
  bool SuspendEnabled = false;
  bool MouseMoveExit = false;
  TSaverEvent OnExecute;
  TSaverEvent OnPassword;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void RunSaver();
  void RunPreview(std::uintptr_t parent);
  void RunConfigure(std::uintptr_t parent);
  void RunChangePassword();
  void DoIdle();
  // Whether an event is input that ends the show.
  bool IsInput(QEvent* event);
  void HandleInput();
  // Takes the keyboard and the pointer, and tries again until the server gives them.
  void TakeInput();

  QWidget* FOwner;
  TInvocation FInvocation;
  TSaverMode FMode = smNone;
  std::uintptr_t FParentWindow = 0;
  std::unique_ptr<os::Registry> FRegistry;
  QTimer FIdle;
  bool FHooked = false;
  bool FCursorHidden = false;
  bool FRunning = false;
  int FCursorCount = 0;
  int FMouseX = -1;
  int FMouseY = -1;
  int FMouseSkip = kMouseSkip;
  std::uint32_t FNextExecute = 0;
};
