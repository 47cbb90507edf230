#include "app/Invocation.h"

#include <gtest/gtest.h>

#include "tests/support/Raises.h"

namespace {

TInvocation Parse(std::vector<std::string> args, const char* hostWindow = nullptr) {
  return ParseInvocation(args, hostWindow);
}

}  // namespace

TEST(InvocationTest, ClassicSwitchesInAnyFormNameTheirModeAndWindow) {
  for (const char* show : {"/s", "-S", "/S", "-saver"}) EXPECT_EQ(Parse({show}).Mode, smSaver) << show;
  EXPECT_EQ(Parse({}).Mode, smConfigure);
  EXPECT_FALSE(Parse({"/c"}).ParentWindow.has_value()) << "the foreground window stands in";
  EXPECT_EQ(Parse({"/c:1234"}).ParentWindow, 1234u);
  EXPECT_EQ(Parse({"/c", "1234"}).ParentWindow, 1234u);
  EXPECT_EQ(Parse({"/c:12345678901234"}).ParentWindow, 1234567890u) << "ten characters after the colon";
  for (const char* preview : {"/p", "/l", "-P"}) {
    const TInvocation invocation = Parse({preview, "4321"});
    EXPECT_EQ(invocation.Mode, smPreview);
    EXPECT_EQ(invocation.ParentWindow, 4321u);
  }
  EXPECT_EQ(Parse({"/a"}).Mode, smChangePassword);
  EXPECT_EQ(Parse({"/x"}).Mode, smNone);
  EXPECT_TRUE(Parse({"/w"}).Wallpaper);
  EXPECT_TRUE(Parse({"/s", "7", "x-Wy"}).Wallpaper) << "anywhere, any parameter";
  testing_support::ExpectRaises([] { Parse({"/c:12ab"}); }, "'12ab' is not a valid integer value");
  testing_support::ExpectRaises([] { Parse({"/p", ""}); }, "'' is not a valid integer value");
}

TEST(InvocationTest, HostOptionsAndTheHostsVariableMakeAHostedShow) {
  const TInvocation root = Parse({"-root"});
  EXPECT_TRUE(root.Host);
  EXPECT_EQ(root.HostWindow, 0u) << "the screen's root window";
  EXPECT_FALSE(root.Wallpaper) << "host options are not the wallpaper switch";
  EXPECT_EQ(Parse({"-root"}, "0x2a").HostWindow, 42u);
  EXPECT_EQ(Parse({"--root", "--window-id", "77"}, "0x2a").HostWindow, 77u) << "the option wins";
  EXPECT_EQ(Parse({"-window-id", "0X1F", "-root"}).HostWindow, 31u);
  EXPECT_EQ(Parse({}, "99").HostWindow, 99u) << "desktops that pass only the variable";
  EXPECT_FALSE(Parse({"/s"}, "99").Host) << "a classic switch keeps its meaning";
  const TInvocation options = Parse({"-root", "-fps", "-delay", "--nice", "--render", "software", "--resolution",
                                     "800x600x16", "--daytime", "night", "--window", "--daytime", "noon"});
  EXPECT_EQ(options.Options.Fps, true);
  EXPECT_EQ(options.Options.Window, true);
  EXPECT_FALSE(options.Options.Sound.has_value()) << "an option not given leaves the stored setting";
  EXPECT_EQ(options.Options.Software, true);
  EXPECT_EQ(options.Options.Resolution, "800X600X16");
  EXPECT_EQ(options.Options.DayTime, "night") << "a value the option does not take changes nothing";
  EXPECT_EQ(options.Ignored, (std::vector<std::string>{"--daytime noon", "-delay", "--nice"}));
  const TInvocation standalone = Parse({"/s", "--exit-on-mouse-move", "--render", "hardware"});
  EXPECT_EQ(standalone.Mode, smSaver) << "run options go with the classic switches too";
  EXPECT_EQ(standalone.Options.MouseMoveExit, true);
  EXPECT_EQ(standalone.Options.Software, false);
  EXPECT_TRUE(Parse({"/s", "--help"}).Help);
  EXPECT_TRUE(Parse({"--version"}).Version);
  testing_support::ExpectRaises([] { Parse({"-window-id", "0xZZ"}); }, "'0xZZ' is not a valid integer value");
}
