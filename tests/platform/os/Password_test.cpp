#include "platform/os/Password.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <fstream>

#include "tests/support/StreamBytes.h"

namespace {

using os::PasswordVerdict;

const std::string kRight = "correct horse battery staple";

// The services of these tests, in a folder of their own that pam_wrapper reads at the first pam_start
// of the process. pam_matrix checks the password against a file of its own; "verbose" makes it say
// whether it succeeded, "echo" makes it ask for the password in the open; pam_chatty only talks
// (three lines of each kind).
void UseTheTestServices() {
  static const testing_support::TempDir folder;
  static const bool written = [] {
    const std::string user = getpwuid(getuid())->pw_name;
    const auto write = [&](const std::string& service, const std::string& options, const std::string& first) {
      std::ofstream(folder.File(service + ".passdb")) << user << ':' << kRight << ':' << service << '\n';
      const std::string matrix = Q3D_PAM_MODULES "/pam_matrix.so passdb=" + folder.File(service + ".passdb");
      std::ofstream(folder.File(service))
          << first << "auth required " << matrix << ' ' << options << "\naccount required " << matrix << '\n';
    };
    write("q3d-verbose", "verbose", "");
    write("q3d-chatty", "echo", "auth required " Q3D_PAM_MODULES "/pam_chatty.so info error\n");
    std::ofstream(folder.File("q3d-broken")) << "auth required /nonexistent/pam_broken.so\n"
                                                "account required /nonexistent/pam_broken.so\n";
    return setenv("PAM_WRAPPER_SERVICE_DIR", folder.Path().c_str(), 1) == 0;
  }();
  EXPECT_TRUE(written);
}

// A check through the services above, with the same wiping checks each time.
os::PasswordResult Check(const std::string& service, std::string password) {
  UseTheTestServices();
  const char* buffer = password.data();
  const std::size_t length = password.size();
  os::PasswordResult result = os::CheckPassword(service, password);
  EXPECT_TRUE(password.empty());
  EXPECT_EQ(password.data(), buffer) << "the caller's own buffer is wiped, not a copy";
  EXPECT_EQ(std::string(buffer, length), std::string(length, '\0'));
  return result;
}

class PasswordTest : public testing::Test {
 protected:
  void SetUp() override {
    // Without the wrapper these services would be looked for among the machine's own.
    void* wrapper = dlopen("libpam_wrapper.so", RTLD_NOW | RTLD_NOLOAD);
    if (wrapper == nullptr) GTEST_SKIP() << "needs LD_PRELOAD=libpam_wrapper.so PAM_WRAPPER=1, as ctest runs it";
    dlclose(wrapper);
  }
};

TEST_F(PasswordTest, RightPasswordIsVerifiedAndAWrongOneRejectedWithTheModulesTexts) {
  const os::PasswordResult right = Check("q3d-verbose", kRight);
  EXPECT_EQ(right.verdict, PasswordVerdict::Verified) << right.reason;
  EXPECT_EQ(right.messages, std::vector<std::string>{"Authentication succeeded"});

  const os::PasswordResult wrong = Check("q3d-verbose", kRight + " ");
  EXPECT_EQ(wrong.verdict, PasswordVerdict::Rejected);
  EXPECT_EQ(wrong.messages, std::vector<std::string>{"Authentication failed"});
  EXPECT_EQ(wrong.reason, "Authentication failure");
}

TEST_F(PasswordTest, EchoedPromptsAreAnsweredAndEveryTextIsCollectedInOrder) {
  const os::PasswordResult result = Check("q3d-chatty", kRight);
  EXPECT_EQ(result.verdict, PasswordVerdict::Verified) << result.reason;
  const std::string info = "Authentication succeeded", error = "Authentication generated an error";
  EXPECT_EQ(result.messages, (std::vector<std::string>{info, info, info, error, error, error}));
  EXPECT_EQ(Check("q3d-chatty", "").verdict, PasswordVerdict::Rejected);
}

TEST_F(PasswordTest, OnlyAServiceThatCannotStartIsUnavailable) {
  const os::PasswordResult missing = Check("q3d-missing", kRight);
  EXPECT_EQ(missing.verdict, PasswordVerdict::Unavailable);
  EXPECT_EQ(missing.reason.rfind("PAM service \"q3d-missing\" cannot start: ", 0), 0u) << missing.reason;

  const os::PasswordResult broken = Check("q3d-broken", kRight);
  EXPECT_EQ(broken.verdict, PasswordVerdict::Rejected) << "a broken module must not unlock";
  EXPECT_EQ(broken.reason, "Module is unknown");
}

// Messages no test module sends, straight to the conversation.
TEST(PasswordConversation, AnswersTheUserPromptAndFailsCleanlyOnWhatItCannotAnswer) {
  const std::string user = "someone", password = "secret";
  os::PasswordConversation conversation(user, password);
  const pam_conv handle = conversation.Handle();
  const auto converse = [&](std::vector<pam_message> messages, pam_response** replies) {
    std::vector<const pam_message*> pointers;
    for (const pam_message& message : messages) pointers.push_back(&message);
    return handle.conv(static_cast<int>(pointers.size()), pointers.data(), replies, handle.appdata_ptr);
  };

  pam_response* replies = nullptr;
  ASSERT_EQ(converse({{PAM_PROMPT_ECHO_ON, os::PasswordConversation::kUserPrompt},
                      {PAM_PROMPT_ECHO_ON, "Password: "},
                      {PAM_TEXT_INFO, "Hello"},
                      {PAM_PROMPT_ECHO_OFF, "Password: "}},
                     &replies),
            PAM_SUCCESS);
  EXPECT_STREQ(replies[0].resp, "someone");
  EXPECT_STREQ(replies[1].resp, "secret");
  EXPECT_EQ(replies[2].resp, nullptr);
  EXPECT_STREQ(replies[3].resp, "secret");
  for (int i = 0; i < 4; ++i) std::free(replies[i].resp);
  std::free(replies);

  replies = nullptr;
  EXPECT_EQ(converse({{PAM_PROMPT_ECHO_OFF, "Password: "}, {PAM_BINARY_PROMPT, ""}}, &replies), PAM_CONV_ERR);
  EXPECT_EQ(replies, nullptr);
  EXPECT_EQ(converse({{PAM_PROMPT_ECHO_OFF, "Password: "}}, nullptr), PAM_CONV_ERR) << "no room for the reply";
  pam_response untouched{};
  replies = &untouched;
  EXPECT_EQ(converse({{PAM_ERROR_MSG, "Caps Lock is on"}}, &replies), PAM_SUCCESS);
  EXPECT_EQ(replies, nullptr) << "texts alone get no replies to free";
  EXPECT_EQ(conversation.Messages(), (std::vector<std::string>{"Hello", "Caps Lock is on"}));
}

}  // namespace
