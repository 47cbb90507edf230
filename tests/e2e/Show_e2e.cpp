// The program end to end under the test's X display: the standalone show and its input rules.

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "tests/e2e/ShowProcess.h"

using namespace e2e;

namespace {

class ShowTest : public testing::Test {
 protected:
  // Starts the standalone show and waits for the world on the screen.
  void StartShow(ShowProcess& show) {
    show.Start({"/s"});
    const QImage picture = WaitForPicture(32, 5000);
    ASSERT_GE(ColourCount(picture), 32) << "the world is on the screen within 5 s";
  }
  // Whether input ends the show within a second, with status 0.
  static bool EndsWithin1s(ShowProcess& show) { return show.WaitEnded(1000) && show.ExitCode() == 0; }

  ShowFolders Folders;
};

}  // namespace

TEST_F(ShowTest, TheShowFillsTheScreenAndAKeyOrAReleasedButtonEndsIt) {
  {
    ShowProcess show(Folders);
    StartShow(show);
    XDoTool({"key", "space"});
    EXPECT_TRUE(EndsWithin1s(show)) << show.Errors().toStdString();
  }
  ShowProcess show(Folders);
  StartShow(show);
  XDoTool({"mousedown", "1"});
  Pause(500);
  EXPECT_TRUE(show.Running()) << "a pressed button does not end the show";
  XDoTool({"mouseup", "1"});
  EXPECT_TRUE(EndsWithin1s(show)) << show.Errors().toStdString();
}
