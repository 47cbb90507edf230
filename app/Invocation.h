#pragma once

// What the command line asks of the program. Two families of options meet here: the classic saver
// switches (/s, /c[:id], /p id, /l id, /a, /w, in either "-" or "/" form and any case), and the
// options an X screen-saver host starts its hacks with (-root, -window-id ID, -fps, and the
// XSCREENSAVER_WINDOW variable). Every option the program understands is read in this one place.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum TSaverMode { smNone = 0, smSaver = 1, smPreview = 2, smConfigure = 3, smChangePassword = 4 };

// Options of one run that override the stored settings: an X screen-saver host keeps a hack's
// settings as its command line. Absent: the stored setting holds.
struct TRunOptions {
  std::optional<bool> Software;           // --render software|hardware
  std::optional<std::string> Resolution;  // --resolution 800X600X16
  std::optional<std::string> DayTime;     // --daytime auto|clock|morning|afternoon|evening|night
  std::optional<bool> Window;             // --window
  std::optional<bool> Sound;              // --sound
  std::optional<bool> Fps;                // --fps
  std::optional<bool> Date;               // --date
  std::optional<bool> Time;               // --time
  std::optional<bool> MouseMoveExit;      // --exit-on-mouse-move
};

struct TInvocation {
  // The classic switches.
  TSaverMode Mode = smNone;
  std::optional<std::uintptr_t> ParentWindow;  // the window named after the switch
  bool Wallpaper = false;                      // a "-W" or "/W" anywhere, any case

  // Host mode: the show draws into a window the host made, and only a signal ends it.
  bool Host = false;
  std::uintptr_t HostWindow = 0;  // 0: the root window of the screen
  // The show under the program's own screen lock: it reports on its standard output that it runs,
  // takes "pause" and "resume" on its standard input, and ends when that input closes.
  bool LockChild = false;
  TRunOptions Options;
  std::vector<std::string> Ignored;  // host options this program does not know, or values it cannot use
  bool Help = false;                 // --help: the options, then the end
  bool Version = false;              // --version
};

// `args` without the program name; `hostWindow` is XSCREENSAVER_WINDOW or null. A window number
// that is not a number raises "'x' is not a valid integer value".
TInvocation ParseInvocation(const std::vector<std::string>& args, const char* hostWindow);

// A window id as hosts write it: decimal or 0x hexadecimal.
std::uintptr_t ParseWindowId(const std::string& text);

// What --help prints: every switch and option, one a line.
std::string UsageText();
