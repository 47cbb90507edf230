#include "platform/os/Registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Text.h"

namespace os {

namespace {

constexpr std::string_view kBlanks = " \t\r";  // \r: a file saved with Windows line ends still reads

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsComment(std::string_view line) { return line.empty() || line[0] == ';' || line[0] == '#'; }

// "[Software\Talven Software]" -> its key path; none for any other line.
std::optional<std::string_view> GroupOf(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
  return line.substr(1, line.size() - 2);
}

// "name = value" -> the trimmed name and value text; none for comments and lines without '='.
std::optional<std::pair<std::string_view, std::string_view>> EntryOf(std::string_view line) {
  line = Trim(line);
  const auto equals = line.find('=');
  if (IsComment(line) || equals == std::string_view::npos) return std::nullopt;
  return std::pair{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

// Characters that a quoted string writes as a backslash and a letter: its own delimiters and line ends.
constexpr std::pair<char, char> kEscapes[] = {{'\\', '\\'}, {'"', '"'}, {'\n', 'n'}, {'\r', 'r'}};

std::string Quote(std::string_view text) {
  std::string result = "\"";
  for (const char c : text) {
    const auto* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes), [c](auto e) { return e.first == c; });
    if (escape != std::end(kEscapes)) {
      result += '\\';
      result += escape->second;
    } else {
      result += c;
    }
  }
  return result + '"';
}

// The string inside quotes; none when the quotes are unbalanced or an escape is unknown.
std::optional<std::string> Unquote(std::string_view text) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return std::nullopt;
  std::string result;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == '"') return std::nullopt;
    if (text[i] != '\\') {
      result += text[i];
      continue;
    }
    const char letter = ++i + 1 < text.size() ? text[i] : '\0';
    const auto* escape =
        std::find_if(std::begin(kEscapes), std::end(kEscapes), [letter](auto e) { return e.second == letter; });
    if (escape == std::end(kEscapes)) return std::nullopt;
    result += escape->first;
  }
  return result;
}

bool IsInteger(std::string_view text) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// Key paths start at the root key; a backslash at either end changes nothing, as in the registry.
std::string KeyPathOf(std::string_view path) {
  const auto first = path.find_first_not_of('\\');
  if (first == std::string_view::npos) return {};
  return std::string(path.substr(first, path.find_last_not_of('\\') - first + 1));
}

// A name that would read back differently once written into a line, or not at all.
bool FitsOnLine(std::string_view name, std::string_view forbidden) {
  return !name.empty() && name == Trim(name) && name.find_first_of(forbidden) == std::string_view::npos &&
         !IsComment(name) && name[0] != '[';
}

struct Place {
  std::size_t value = std::string::npos;  // the line of the value
  std::size_t end = std::string::npos;    // after the key's last line: where a new value goes
};

// Where value `name` stands in the group of `key`; an empty name only finds the group. A damaged value
// line is passed over, so a write adds a good line after it and the damaged one stays as it was.
Place Locate(const std::vector<std::string>& lines, const std::string& key, std::string_view name) {
  Place place;
  bool inKey = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (const auto group = GroupOf(lines[i])) inKey = rtl::SameText(*group, key);
    if (!inKey || Trim(lines[i]).empty()) continue;
    place.end = i + 1;
    const auto entry = EntryOf(lines[i]);
    if (place.value == std::string::npos && entry && !name.empty() && rtl::SameText(entry->first, name) &&
        (IsInteger(entry->second) || Unquote(entry->second)))
      place.value = i;
  }
  return place;
}

bool WriteAll(int file, std::string_view text) {
  while (!text.empty()) {
    const ssize_t count = ::write(file, text.data(), text.size());
    if (count <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(count));
  }
  return true;
}

[[noreturn]] void Raise(const char* action, const std::filesystem::path& path, int error) {
  throw rtl::Exception(rtl::Format("Cannot %s %s: %s", action, path.c_str(), std::strerror(error)));
}

}  // namespace

std::filesystem::path ConfigDirectory() {
  if (const char* own = std::getenv("QUORLITH_CONFIG_DIR"); own != nullptr && *own != '\0') return own;
  // A relative XDG_CONFIG_HOME is invalid by the XDG rules and ignored.
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
    return std::filesystem::path(config) / "quorlith3d";
  return HomeDirectory() / ".config" / "quorlith3d";
}

std::filesystem::path HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    const passwd* entry = getpwuid(getuid());
    if (entry == nullptr) throw rtl::Exception("No home folder: HOME is not set");
    home = entry->pw_dir;
  }
  return home;
}

Registry::Registry(RootKey root)
    : file_(ConfigDirectory() / (root == RootKey::CurrentUser ? "current-user.ini" : "local-machine.ini")) {}

bool Registry::OpenKey(const std::string& path, bool canCreate) {
  const std::string key = KeyPathOf(path);
  // Read even when the key may be created, so that a file that cannot be read fails here.
  const bool exists = Locate(ReadLines(), key, {}).end != std::string::npos;
  if (!exists && !canCreate) return false;
  key_ = key;
  readOnly_ = false;
  return true;
}

bool Registry::OpenKeyReadOnly(const std::string& path) {
  if (!OpenKey(path, false)) return false;
  readOnly_ = true;
  return true;
}

void Registry::CloseKey() { key_.reset(); }

bool Registry::ValueExists(const std::string& name) const { return key_ && Find(name); }

std::int32_t Registry::ReadInteger(const std::string& name) const {
  const Value value = Require(name, false);
  std::int32_t result = 0;
  std::from_chars(value.text.data(), value.text.data() + value.text.size(), result);
  return result;
}

bool Registry::ReadBool(const std::string& name) const { return ReadInteger(name) != 0; }

std::string Registry::ReadString(const std::string& name) const { return Require(name, true).text; }

void Registry::WriteInteger(const std::string& name, std::int32_t value) { Write(name, std::to_string(value)); }

void Registry::WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void Registry::WriteString(const std::string& name, const std::string& value) { Write(name, Quote(value)); }

std::vector<std::string> Registry::ReadLines() const {
  const int file = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0 && errno == ENOENT) return {};
  if (file < 0) Raise("read the settings file", file_, errno);
  std::string text;
  char buffer[4096];
  ssize_t count = 0;
  while ((count = ::read(file, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(count));
  const int error = errno;
  ::close(file);
  if (count < 0) Raise("read the settings file", file_, error);

  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::optional<Registry::Value> Registry::Find(const std::string& name) const {
  const auto lines = ReadLines();
  const Place place = Locate(lines, *key_, name);
  if (place.value == std::string::npos) return std::nullopt;
  const std::string_view text = EntryOf(lines[place.value])->second;
  if (const auto string = Unquote(text)) return Value{true, *string};
  return Value{false, std::string(text)};
}

Registry::Value Registry::Require(const std::string& name, bool isString) const {
  if (!key_) throw rtl::Exception(rtl::Format("No settings key is open to read \"%s\"", name));
  const auto value = Find(name);
  if (value && value->isString == isString) return *value;
  const char* problem = !value ? "is missing" : isString ? "is not a string" : "is not an integer";
  throw rtl::Exception(rtl::Format("Settings value \"%s\" in [%s] of %s %s", name, *key_, file_.c_str(), problem));
}

void Registry::Write(const std::string& name, const std::string& encoded) {
  if (!key_ || readOnly_)
    throw rtl::Exception(rtl::Format("Cannot write settings value \"%s\": the key is not open for writing", name));
  if (!FitsOnLine(name, "=\r\n") || !FitsOnLine(*key_, "\r\n"))
    throw rtl::Exception(
        rtl::Format("Cannot write settings value \"%s\" in [%s]: the name cannot be stored", name, *key_));
  auto lines = ReadLines();
  const Place place = Locate(lines, *key_, name);
  const std::string line = name + "=" + encoded;
  if (place.value != std::string::npos) {
    lines[place.value] = line;
  } else if (place.end != std::string::npos) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.end), line);
  } else {
    if (lines.empty()) lines.push_back("; Quorlith 3D settings. Integers are bare numbers, strings are quoted.");
    if (!Trim(lines.back()).empty()) lines.emplace_back();
    lines.push_back("[" + *key_ + "]");
    lines.push_back(line);
  }
  ReplaceFile(lines);
}

// Written beside the file and renamed over it, so that the settings are never half written.
void Registry::ReplaceFile(const std::vector<std::string>& lines) const {
  std::error_code created;
  std::filesystem::create_directories(file_.parent_path(), created);
  if (created) Raise("create the settings folder", file_.parent_path(), created.value());
  std::string text;
  for (const auto& line : lines) text += line + '\n';
  const std::filesystem::path partial = file_.string() + ".partial";
  const auto fail = [&](int error) {
    ::unlink(partial.c_str());
    Raise("write the settings file", file_, error);
  };
  const int file = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (file < 0) fail(errno);
  const bool written = WriteAll(file, text) && ::fsync(file) == 0;
  const int error = errno;
  if (::close(file) != 0 || !written) fail(written ? errno : error);
  if (::rename(partial.c_str(), file_.c_str()) != 0) fail(errno);
}

}  // namespace os
