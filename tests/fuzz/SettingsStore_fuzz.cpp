// libFuzzer target: a user's settings file of any content. The input's first line names a key, its
// second line a value, the rest is the file. Reading raises only the store's own errors (a value
// that is missing or of the other type); a value written reads back as written, and every line of
// the file but the one the value replaces survives, in order.
//
// The files live in a private temporary configuration folder, never a user's.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "platform/os/Registry.h"
#include "platform/rtl/Exceptions.h"

namespace {

std::string NextLine(std::string& text) {
  const std::size_t end = std::min(text.find('\n'), text.size());
  std::string line = text.substr(0, end);
  text.erase(0, end + 1);
  return line;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::string rest = text; !rest.empty();) lines.push_back(NextLine(rest));
  return lines;
}

std::string FileText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Whether `after` is `before` with one line replaced in place, or with lines inserted.
bool KeepsEveryOtherLine(const std::vector<std::string>& before, const std::vector<std::string>& after) {
  if (after.size() == before.size()) {
    return std::inner_product(before.begin(), before.end(), after.begin(), std::size_t{0}, std::plus<>(),
                              std::not_equal_to<>()) <= 1;
  }
  auto from = after.begin();
  for (const std::string& line : before) {
    from = std::find(from, after.end(), line);
    if (from == after.end()) return false;
    ++from;
  }
  return true;
}

void ReadWhatIsThere(const std::string& key, const std::string& name) {
  os::Registry registry(os::RootKey::CurrentUser);
  if (!registry.OpenKeyReadOnly(key) || !registry.ValueExists(name)) return;
  try {
    registry.ReadInteger(name);
  } catch (const rtl::Exception&) {
    registry.ReadString(name);  // a value that is not an integer is a string
  }
}

// A value that needs every escape the store knows.
const std::string kText = "a \"quoted\"\\ line\r\nand another;=[x]";

void WriteAndReadBack(const std::string& key, const std::string& name) {
  os::Registry registry(os::RootKey::CurrentUser);
  if (!registry.OpenKey(key, true)) std::abort();
  const auto before = Lines(FileText(registry.FileName()));
  try {
    registry.WriteString(name, kText);
  } catch (const rtl::Exception&) {
    return;  // a name or key that cannot be stored on a line: nothing was written
  }
  if (registry.ReadString(name) != kText) std::abort();
  registry.WriteInteger(name, -2147483647 - 1);
  if (registry.ReadInteger(name) != -2147483647 - 1 || !registry.ValueExists(name)) std::abort();
  if (!KeepsEveryOtherLine(before, Lines(FileText(registry.FileName())))) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "q3d-settings-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return std::filesystem::path(pattern);
  }();
  setenv("QUORLITH_CONFIG_DIR", folder.c_str(), 1);
  std::atexit([] { std::filesystem::remove_all(folder); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string file(reinterpret_cast<const char*>(data), size);
  const std::string key = NextLine(file);
  const std::string name = NextLine(file);
  {
    std::ofstream out(os::Registry(os::RootKey::CurrentUser).FileName(), std::ios::binary | std::ios::trunc);
    out << file;
  }
  ReadWhatIsThere(key, name);
  WriteAndReadBack(key, name);
  return 0;
}
