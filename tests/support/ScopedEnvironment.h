#pragma once

#include <cstdlib>
#include <string>

namespace testing_support {

// Sets an environment variable (or unsets it, for nullptr) for the life of the object, then puts back
// what was there.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old, FHad = true;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    if (FHad) {
      setenv(FName.c_str(), FOld.c_str(), 1);
    } else {
      unsetenv(FName.c_str());
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string FName, FOld;
  bool FHad = false;
};

}  // namespace testing_support
