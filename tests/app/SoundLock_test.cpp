#include "app/SoundLock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/StreamBytes.h"

// Several hosted shows, one per monitor: the first plays, the others stay silent until it ends.
TEST(SoundLockTest, OneHolderAtATimeAndTheNextTakesOverWhenItGoes) {
  const testing_support::TempDir runtime;
  testing_support::ScopedEnvironment folder("XDG_RUNTIME_DIR", runtime.Path().c_str());
  auto first = std::make_unique<TSoundLock>();
  EXPECT_TRUE(first->Held());
  const pid_t child = fork();
  if (child == 0) _exit(TSoundLock().Held() ? 1 : 0);  // another process, as each monitor's show is
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "a second show stays silent";
  first.reset();
  EXPECT_TRUE(TSoundLock().Held()) << "a later show takes over";
  EXPECT_EQ(TSoundLock::LockFile(), runtime.Path() + "/quorlith3d-sound.lock");
}
