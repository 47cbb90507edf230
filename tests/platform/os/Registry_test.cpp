#include "platform/os/Registry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/Raises.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/StreamBytes.h"

namespace {

using testing_support::MessageOf;
using testing_support::ScopedEnvironment;

const std::string kKey = "Software\\Talven Software\\Quorlith 3D";

std::string Contents(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  std::stringstream text;
  text << stream.rdbuf();
  return text.str();
}

// Settings in a folder of the test's own that does not exist yet.
class RegistryTest : public testing::Test {
 protected:
  testing_support::TempDir FDir;
  std::string FConfig = FDir.File("config");
  ScopedEnvironment FEnvironment{"QUORLITH_CONFIG_DIR", FConfig.c_str()};
};

TEST_F(RegistryTest, ValuesKeepTheirTypeAndTextExactly) {
  const std::vector<std::string> texts = {"C:\\Program Files\\Quorlith 3D\\",
                                          "a=b; c # d",
                                          "\"quoted\" \\\" \\\\n",
                                          "  spaces both ends  ",
                                          "Ünïcödé Путь ✓",
                                          "two\nlines\r\n",
                                          ""};
  {
    os::Registry registry(os::RootKey::LocalMachine);
    EXPECT_FALSE(registry.OpenKey(kKey, false));
    ASSERT_TRUE(registry.OpenKey(kKey, true));
    registry.WriteBool("Hardware", true);
    registry.WriteInteger("Negative", -2147483647 - 1);
    for (std::size_t i = 0; i < texts.size(); ++i) registry.WriteString("Text" + std::to_string(i), texts[i]);
    registry.WriteString("Number as text", "1");
    registry.WriteBool("Hardware", false);
    EXPECT_EQ(MessageOf([&] { registry.WriteInteger("Bad=name", 1); }),
              "Cannot write settings value \"Bad=name\" in [" + kKey + "]: the name cannot be stored");
  }
  const auto file = std::filesystem::path(FConfig) / "local-machine.ini";
  EXPECT_NE(Contents(file).find("[" + kKey + "]\nHardware=0\nNegative=-2147483648\n"), std::string::npos)
      << Contents(file);
  EXPECT_FALSE(std::filesystem::exists(file.string() + ".partial"));

  os::Registry registry(os::RootKey::LocalMachine);
  EXPECT_EQ(registry.FileName(), file);
  EXPECT_FALSE(registry.OpenKeyReadOnly("Software\\Talven Software"));
  ASSERT_TRUE(registry.OpenKeyReadOnly("\\software\\talven software\\QUORLITH 3D\\"));
  EXPECT_FALSE(registry.ReadBool("hardware"));
  EXPECT_EQ(registry.ReadInteger("Negative"), -2147483647 - 1);
  for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(registry.ReadString("Text" + std::to_string(i)), texts[i]);
  EXPECT_TRUE(registry.ValueExists("Number as text"));
  EXPECT_FALSE(registry.ValueExists("Power"));
  const std::string where = " in [software\\talven software\\QUORLITH 3D] of " + file.string();
  EXPECT_EQ(MessageOf([&] { registry.ReadInteger("Number as text"); }),
            "Settings value \"Number as text\"" + where + " is not an integer");
  EXPECT_EQ(MessageOf([&] { registry.ReadString("Hardware"); }),
            "Settings value \"Hardware\"" + where + " is not a string");
  EXPECT_EQ(MessageOf([&] { registry.ReadBool("Power"); }), "Settings value \"Power\"" + where + " is missing");
  EXPECT_EQ(MessageOf([&] { registry.WriteBool("Power", true); }),
            "Cannot write settings value \"Power\": the key is not open for writing");

  os::Registry user(os::RootKey::CurrentUser);
  EXPECT_FALSE(user.OpenKeyReadOnly(kKey)) << "each root key is a file of its own";
}

TEST_F(RegistryTest, WritesKeepEveryLineOfAnEditedFile) {
  const std::string edited =
      "; edited by hand\n"
      "[Control Panel\\desktop]\n"
      "ScreenSaveUsePassword = 1\r\n"
      "\n"
      "[" +
      kKey +
      "]\n"
      "# the next lines are damaged\n"
      "Hardware=yes\n"
      "Path=\"unterminated\n"
      "no equals sign\n"
      "3DFX=1\n"
      "\n"
      "[Other]\n"
      "3DFX=7\n";
  std::filesystem::create_directories(FConfig);
  std::ofstream(std::filesystem::path(FConfig) / "current-user.ini", std::ios::binary) << edited;

  os::Registry registry(os::RootKey::CurrentUser);
  ASSERT_TRUE(registry.OpenKeyReadOnly("Control Panel\\desktop"));
  EXPECT_EQ(registry.ReadInteger("ScreenSaveUsePassword"), 1);
  ASSERT_TRUE(registry.OpenKey(kKey, false));
  EXPECT_FALSE(registry.ValueExists("Hardware")) << "a damaged line is ignored";
  EXPECT_FALSE(registry.ValueExists("Path"));
  registry.WriteBool("Hardware", true);
  registry.WriteBool("3DFX", false);
  registry.WriteString("Path", "/data");

  std::string expected = edited;
  expected.replace(expected.find("3DFX=1"), 6, "3DFX=0\nHardware=1\nPath=\"/data\"");
  EXPECT_EQ(Contents(registry.FileName()), expected);
}

TEST_F(RegistryTest, UnreadableFilesAndFoldersRaiseAndAreLeftAlone) {
  std::filesystem::create_directories(std::filesystem::path(FConfig) / "current-user.ini");
  os::Registry user(os::RootKey::CurrentUser);
  EXPECT_EQ(MessageOf([&] { user.OpenKey(kKey, true); }),
            "Cannot read the settings file " + user.FileName().string() + ": Is a directory");
  EXPECT_TRUE(std::filesystem::is_directory(user.FileName()));

  std::ofstream(FDir.File("file")) << "a file, not a folder";
  const ScopedEnvironment blocked("QUORLITH_CONFIG_DIR", FDir.File("file/config").c_str());
  os::Registry machine(os::RootKey::LocalMachine);
  EXPECT_EQ(MessageOf([&] { machine.OpenKey(kKey, true); }),
            "Cannot read the settings file " + machine.FileName().string() + ": Not a directory");
  EXPECT_EQ(Contents(FDir.File("file")), "a file, not a folder");

  const ScopedEnvironment readOnly("QUORLITH_CONFIG_DIR", "/proc/quorlith3d");  // not even root creates it
  os::Registry proc(os::RootKey::LocalMachine);
  ASSERT_TRUE(proc.OpenKey(kKey, true));
  EXPECT_EQ(MessageOf([&] {
              proc.WriteBool("Hardware", true);
            }).rfind("Cannot create the settings folder /proc/quorlith3d: ", 0),
            0u);
}

TEST_F(RegistryTest, FolderFallsBackToXdgThenHome) {
  const ScopedEnvironment own("QUORLITH_CONFIG_DIR", nullptr);
  const ScopedEnvironment home("HOME", "/home/someone");
  {
    const ScopedEnvironment xdg("XDG_CONFIG_HOME", "/xdg/config");
    EXPECT_EQ(os::ConfigDirectory(), "/xdg/config/quorlith3d");
  }
  const ScopedEnvironment relative("XDG_CONFIG_HOME", "relative/config");
  EXPECT_EQ(os::ConfigDirectory(), "/home/someone/.config/quorlith3d") << "a relative XDG folder is ignored";
  const ScopedEnvironment none("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(os::ConfigDirectory(), "/home/someone/.config/quorlith3d");
}

}  // namespace
