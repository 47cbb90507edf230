#include "app/Invocation.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/rtl/Exceptions.h"

namespace {

// "--opt" means "-opt" to a host; the classic switches never start with two dashes.
std::string HostOption(const std::string& arg) { return arg.starts_with("--") ? arg.substr(1) : arg; }

bool IsHostOption(const std::string& arg) {
  const std::string option = HostOption(arg);
  return option == "-root" || option == "-window-id" || option == "-fps";
}

// Parameter 1 upper-cased, its first character dropped and only the next one kept: /s, -s and /S
// all give 'S', /c:1234 gives 'C'.
char SwitchLetter(const std::string& first) {
  return first.size() < 2 ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(first[1])));
}

TSaverMode ModeOf(char letter) {
  switch (letter) {
    case 'C': return smConfigure;
    case 'A': return smChangePassword;
    case 'P':
    case 'L': return smPreview;
    case 'S': return smSaver;
    default: return smNone;
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
    } else if (option == "-fps") {
      invocation.ShowFps = true;
    } else if (option != "-root") {
      invocation.Ignored.push_back(args[i]);
    }
  }
  if (!windowGiven && hostWindow != nullptr && *hostWindow != '\0') invocation.HostWindow = ParseWindowId(hostWindow);
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

TInvocation ParseInvocation(const std::vector<std::string>& args, const char* hostWindow) {
  TInvocation invocation;
  const bool hosted = hostWindow != nullptr && *hostWindow != '\0';
  if (std::any_of(args.begin(), args.end(), IsHostOption) || (args.empty() && hosted)) {
    ParseHost(args, hostWindow, invocation);
    return invocation;
  }
  if (args.empty()) {
    invocation.Mode = smConfigure;
    return invocation;
  }
  invocation.Wallpaper = HasWallpaperSwitch(args);
  invocation.ParentWindow = ClassicWindow(args);
  invocation.Mode = ModeOf(SwitchLetter(args[0]));
  return invocation;
}
