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

struct TInvocation {
  // The classic switches.
  TSaverMode Mode = smNone;
  std::optional<std::uintptr_t> ParentWindow;  // the window named after the switch
  bool Wallpaper = false;                      // a "-W" or "/W" anywhere, any case

  // Host mode: the show draws into a window the host made, and only a signal ends it.
  bool Host = false;
  std::uintptr_t HostWindow = 0;  // 0: the root window of the screen
  bool ShowFps = false;
  std::vector<std::string> Ignored;  // host options this program does not know
};

// `args` without the program name; `hostWindow` is XSCREENSAVER_WINDOW or null. A window number
// that is not a number raises "'x' is not a valid integer value".
TInvocation ParseInvocation(const std::vector<std::string>& args, const char* hostWindow);

// A window id as hosts write it: decimal or 0x hexadecimal.
std::uintptr_t ParseWindowId(const std::string& text);
