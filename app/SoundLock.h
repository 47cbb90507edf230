#pragma once

// One show plays sound at a time: a host starts one hack per monitor, and the same calls from every
// monitor would only echo. The first process to take the lock file in the user's runtime folder
// plays; the lock goes with its process, so one started later takes over.

#include <string>

class TSoundLock {
 public:
  TSoundLock();
  ~TSoundLock();
  TSoundLock(const TSoundLock&) = delete;
  TSoundLock& operator=(const TSoundLock&) = delete;

  bool Held() const { return FFile >= 0; }

  // $XDG_RUNTIME_DIR, else a folder of this user's own under /tmp.
  static std::string LockFile();

 private:
  int FFile = -1;
};
