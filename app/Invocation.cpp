#include "app/Invocation.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/rtl/Exceptions.h"

namespace {

// "--opt" means "-opt" to a host; the classic switches never start with two dashes.
std::string HostOption(const std::string& arg) { return arg.starts_with("--") ? arg.substr(1) : arg; }

// The run options, by their single-dash names.
struct TFlag {
  const char* Name;
  std::optional<bool> TRunOptions::*Field;
  const char* Help;
};
constexpr TFlag kFlags[] = {
    {"-window", &TRunOptions::Window, "draw in a smaller area in the middle (faster)"},
    {"-sound", &TRunOptions::Sound, "play the world's 3D sound"},
    {"-fps", &TRunOptions::Fps, "show the frames per second"},
    {"-date", &TRunOptions::Date, "show the date"},
    {"-time", &TRunOptions::Time, "show the time"},
    {"-exit-on-mouse-move", &TRunOptions::MouseMoveExit, "a move of the mouse ends the standalone show"},
};
constexpr const char* kRenderValues[] = {"software", "hardware"};
constexpr const char* kDayTimeValues[] = {"auto", "clock", "morning", "afternoon", "evening", "night"};

bool IsOneOf(const std::string& value, const auto& values) {
  return std::any_of(std::begin(values), std::end(values), [&](const char* v) { return value == v; });
}

// "800X600X16": width, height and depth, any case.
bool IsResolution(const std::string& value) {
  int fields = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= value.size(); ++i) {
    if (i < value.size() && std::isdigit(static_cast<unsigned char>(value[i]))) continue;
    if (i == start || (i < value.size() && std::toupper(static_cast<unsigned char>(value[i])) != 'X')) return false;
    ++fields;
    start = i + 1;
  }
  return fields == 3;
}

bool IsHostOption(const std::string& arg) {
  const std::string option = HostOption(arg);
  return option == "-root" || option == "-window-id";
}

bool IsValueOption(const std::string& option) {
  return option == "-render" || option == "-resolution" || option == "-daytime";
}

// A value option and its value; false when the value is not one the option takes.
bool ReadValue(const std::string& option, const std::string& value, TRunOptions& options) {
  if (option == "-render" && IsOneOf(value, kRenderValues)) {
    options.Software = value == "software";
  } else if (option == "-resolution" && IsResolution(value)) {
    std::string upper = value;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    options.Resolution = upper;
  } else if (option == "-daytime" && IsOneOf(value, kDayTimeValues)) {
    options.DayTime = value;
  } else {
    return false;
  }
  return true;
}

// Parameter 1 upper-cased, its first character dropped and only the next one kept: /s, -s and /S
// all give 'S', /c:1234 gives 'C'.
char SwitchLetter(const std::string& first) {
  return first.size() < 2 ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(first[1])));
}

TSaverMode ModeOf(char letter) {
  switch (letter) {
    case 'C':
      return smConfigure;
    case 'A':
      return smChangePassword;
    case 'P':
    case 'L':
      return smPreview;
    case 'S':
      return smSaver;
    default:
      return smNone;
  }
}

// The window after the switch: parameter 2, else up to 10 characters after the first ':'.
std::optional<std::uintptr_t> ClassicWindow(const std::vector<std::string>& args) {
  std::string text;
  if (args.size() >= 2) {
    text = args[1];
  } else if (const auto colon = args[0].find(':'); colon != std::string::npos) {
    text = args[0].substr(colon + 1, 10);
  } else {
    return std::nullopt;
  }
  return static_cast<std::uintptr_t>(rtl::StrToInt(text));
}

bool HasWallpaperSwitch(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), [](const std::string& arg) {
    for (const char* mark : {"-W", "-w", "/W", "/w"})
      if (arg.find(mark) != std::string::npos) return true;
    return false;
  });
}

void ParseHost(const std::vector<std::string>& args, const char* hostWindow, TInvocation& invocation) {
  invocation.Host = true;
  bool windowGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string option = HostOption(args[i]);
    if (option == "-window-id" && i + 1 < args.size()) {
      invocation.HostWindow = ParseWindowId(args[++i]);
      windowGiven = true;
    } else if (option == "-lock-child") {
      invocation.LockChild = true;
    } else if (option != "-root") {
      invocation.Ignored.push_back(args[i]);
    }
  }
  if (!windowGiven && hostWindow != nullptr && *hostWindow != '\0') invocation.HostWindow = ParseWindowId(hostWindow);
}

// Takes the run options out of `args`, in either family of switches, into `invocation`.
std::vector<std::string> TakeRunOptions(const std::vector<std::string>& args, TInvocation& invocation) {
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string option = HostOption(args[i]);
    const auto flag =
        std::find_if(std::begin(kFlags), std::end(kFlags), [&](const TFlag& f) { return option == f.Name; });
    if (flag != std::end(kFlags)) {
      invocation.Options.*(flag->Field) = true;
    } else if (IsValueOption(option) && i + 1 < args.size()) {
      if (!ReadValue(option, args[i + 1], invocation.Options))
        invocation.Ignored.push_back(args[i] + " " + args[i + 1]);
      ++i;
    } else {
      rest.push_back(args[i]);
    }
  }
  return rest;
}

}  // namespace

std::uintptr_t ParseWindowId(const std::string& text) {
  const bool hex = text.starts_with("0x") || text.starts_with("0X");
  const char* first = text.data() + (hex ? 2 : 0);
  const char* last = text.data() + text.size();
  std::uintptr_t id = 0;
  const auto [end, error] = std::from_chars(first, last, id, hex ? 16 : 10);
  if (error != std::errc() || end != last || first == last) throw rtl::EConvertError(text);
  return id;
}

std::string UsageText() {
  std::string text =
      "Usage: quorlith3d [switch] | [host options]\n"
      "A real-time 3D screen saver: a prehistoric world with a camera tour, day-time light and 3D sound.\n\n"
      "Switches (\"-\" or \"/\", any case):\n"
      "  /s                  run the show full screen\n"
      "  /c[:id], /c id      the settings dialog (no switch does the same), above window id\n"
      "  /p id, /l id        the preview picture inside window id\n"
      "  /a                  about the password: the login password is the saver's\n"
      "  /w                  make the product picture the desktop wallpaper\n\n"
      "For an X screen-saver host (\"-\" or \"--\"):\n"
      "  --root                    draw into $XSCREENSAVER_WINDOW, else the root window\n"
      "  --window-id ID            draw into window ID (decimal or 0x hexadecimal)\n"
      "  --lock-child              (the program's own) the show under its screen lock\n\n"
      "Options for one run, with any of the above; they override the stored settings:\n"
      "  --render software|hardware\n"
      "  --resolution WxHxD        the size the world is drawn at, e.g. 800X600X16\n"
      "  --daytime auto|clock|morning|afternoon|evening|night\n";
  for (const TFlag& flag : kFlags) {
    std::string name = std::string("  -") + flag.Name;
    name.resize(28, ' ');
    text += name + flag.Help + "\n";
  }
  return text + "  --help                    this text\n  --version                 the program's version\n";
}

TInvocation ParseInvocation(const std::vector<std::string>& args, const char* hostWindow) {
  TInvocation invocation;
  for (const std::string& arg : args) {
    const std::string option = HostOption(arg);
    invocation.Help = invocation.Help || option == "-help" || option == "-h";
    invocation.Version = invocation.Version || option == "-version";
  }
  if (invocation.Help || invocation.Version) return invocation;
  const std::vector<std::string> classic = TakeRunOptions(args, invocation);
  const bool hosted = hostWindow != nullptr && *hostWindow != '\0';
  if (std::any_of(classic.begin(), classic.end(), IsHostOption) || (classic.empty() && hosted)) {
    ParseHost(classic, hostWindow, invocation);
    return invocation;
  }
  if (classic.empty()) {
    invocation.Mode = smConfigure;
    return invocation;
  }
  invocation.Wallpaper = HasWallpaperSwitch(classic);
  invocation.ParentWindow = ClassicWindow(classic);
  invocation.Mode = ModeOf(SwitchLetter(classic[0]));
  return invocation;
}
