#include "app/SoundLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

std::string TSoundLock::LockFile() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = runtime != nullptr && *runtime == '/' ? runtime : "/tmp/quorlith3d-" + std::to_string(getuid());
  mkdir(folder.c_str(), 0700);
  return folder + "/quorlith3d-sound.lock";
}

TSoundLock::TSoundLock() {
  const int file = open(LockFile().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (file < 0) return;
  if (flock(file, LOCK_EX | LOCK_NB) != 0) {
    close(file);
    return;
  }
  FFile = file;
}

TSoundLock::~TSoundLock() {
  if (FFile >= 0) close(FFile);  // closing lets the lock go
}
