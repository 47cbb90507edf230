#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace os {

enum class RootKey { CurrentUser, LocalMachine };

// The folder of the settings files: $QUORLITH_CONFIG_DIR (so that tests never touch a user's files),
// else $XDG_CONFIG_HOME/quorlith3d, else ~/.config/quorlith3d. The fall-backs matter: some desktops
// start savers without any XDG variable.
std::filesystem::path ConfigDirectory();
// The user's home folder: $HOME, else the account's.
std::filesystem::path HomeDirectory();

// The settings store, shaped like the system registry the shell was written against: each root key is
// one INI file in the configuration folder ("current-user.ini", "local-machine.ini"), each key path an
// INI group ("[Software\Talven Software\Quorlith 3D]"). Integers are written bare ("Hardware=1"),
// strings in double quotes with \\, \", \n and \r escaped, so the two types stay apart and any text
// round-trips. Every call reads the file anew and every write replaces it whole, keeping each line it
// does not change, so a user's edits, comments and even malformed lines survive. Key and value names
// compare case-insensitively, as the registry's do. Failures raise rtl::Exception naming the file.
class Registry {
 public:
  explicit Registry(RootKey root);

  const std::filesystem::path& FileName() const { return file_; }

  // A key that does not exist yet is created on disk by the first value written into it.
  bool OpenKey(const std::string& path, bool canCreate);
  bool OpenKeyReadOnly(const std::string& path);
  void CloseKey();

  bool ValueExists(const std::string& name) const;
  std::int32_t ReadInteger(const std::string& name) const;
  // An integer; non-zero is true.
  bool ReadBool(const std::string& name) const;
  std::string ReadString(const std::string& name) const;

  void WriteInteger(const std::string& name, std::int32_t value);
  void WriteBool(const std::string& name, bool value);
  void WriteString(const std::string& name, const std::string& value);

 private:
  struct Value {
    bool isString;
    std::string text;  // decoded string, or the integer's digits
  };

  std::vector<std::string> ReadLines() const;
  std::optional<Value> Find(const std::string& name) const;
  Value Require(const std::string& name, bool isString) const;
  void Write(const std::string& name, const std::string& encoded);
  void ReplaceFile(const std::vector<std::string>& lines) const;

  std::filesystem::path file_;
  std::optional<std::string> key_;  // the open key's path; empty when none is open
  bool readOnly_ = false;
};

}  // namespace os
