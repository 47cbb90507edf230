#include "platform/os/Password.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/rtl/Format.h"

namespace os {

namespace {

void DropReplies(pam_response* replies, int count) {
  if (replies == nullptr) return;
  for (int i = 0; i < count; ++i) {
    if (replies[i].resp == nullptr) continue;
    explicit_bzero(replies[i].resp, std::strlen(replies[i].resp));
    std::free(replies[i].resp);
  }
  std::free(replies);
}

// Also the bytes past the end that a longer text typed before may have left in the buffer.
void Wipe(std::string& text) {
  text.resize(text.capacity());
  explicit_bzero(text.data(), text.size());
  text.clear();
}

// The login name of the real user id; empty, with the reason, when there is none.
std::string LoginName(std::string& reason) {
  const passwd* entry = getpwuid(getuid());
  if (entry != nullptr) return entry->pw_name;
  reason = rtl::Format("No login name for user id %u", unsigned{getuid()});
  return {};
}

// Starts PAM for `user`; the reason when it cannot, and no handle then.
std::string StartPam(const std::string& service, const std::string& user, const pam_conv& handle, pam_handle_t** pam) {
  const int status = pam_start(service.c_str(), user.c_str(), &handle, pam);
  if (status == PAM_SUCCESS) return {};
  // Linux-PAM's texts need no handle, and there may be none.
  const std::string reason = rtl::Format("PAM service \"%s\" cannot start: %s", service, pam_strerror(*pam, status));
  if (*pam != nullptr) pam_end(*pam, status);
  *pam = nullptr;
  return reason;
}

PasswordResult Authenticate(const std::string& service, const std::string& password) {
  std::string reason;
  const std::string user = LoginName(reason);
  if (user.empty()) return {PasswordVerdict::Unavailable, {}, reason};
  PasswordConversation conversation(user, password);
  const pam_conv handle = conversation.Handle();
  pam_handle_t* pam = nullptr;
  reason = StartPam(service, user, handle, &pam);
  if (pam == nullptr) return {PasswordVerdict::Unavailable, {}, reason};
  int status = PAM_SUCCESS;
  if (const char* display = std::getenv("DISPLAY")) status = pam_set_item(pam, PAM_TTY, display);
  if (status == PAM_SUCCESS) status = pam_set_item(pam, PAM_USER_PROMPT, PasswordConversation::kUserPrompt);
  if (status == PAM_SUCCESS) status = pam_authenticate(pam, 0);
  if (status == PAM_SUCCESS) status = pam_acct_mgmt(pam, 0);
  // Renewing credentials (tickets and the like) is a courtesy once the password is right: its failure
  // must not keep the user out.
  if (status == PAM_SUCCESS) pam_setcred(pam, PAM_REINITIALIZE_CRED);
  PasswordResult result{status == PAM_SUCCESS ? PasswordVerdict::Verified : PasswordVerdict::Rejected,
                        conversation.Messages(), status == PAM_SUCCESS ? "" : pam_strerror(pam, status)};
  pam_end(pam, status);
  return result;
}

}  // namespace

std::string PasswordServiceProblem(const std::string& service) {
  std::string reason;
  const std::string user = LoginName(reason);
  if (user.empty()) return reason;
  const std::string none;
  PasswordConversation conversation(user, none);
  const pam_conv handle = conversation.Handle();
  pam_handle_t* pam = nullptr;
  reason = StartPam(service, user, handle, &pam);
  if (pam != nullptr) pam_end(pam, PAM_SUCCESS);
  return reason;
}

PasswordResult CheckPassword(const std::string& service, std::string& password) {
  PasswordResult result = Authenticate(service, password);
  Wipe(password);
  return result;
}

int PasswordConversation::Converse(int count, const pam_message** messages, pam_response** responses, void* self) {
  if (count <= 0 || count > PAM_MAX_NUM_MSG) return PAM_CONV_ERR;
  auto* replies = static_cast<pam_response*>(std::calloc(static_cast<std::size_t>(count), sizeof(pam_response)));
  bool answered = replies != nullptr;
  // Some modules send texts with no room for replies.
  for (int i = 0; answered && i < count; ++i)
    answered = static_cast<PasswordConversation*>(self)->Answer(*messages[i], replies[i], responses != nullptr);
  // Texts alone get no replies back: some modules never free replies to texts.
  const bool replied = answered && std::any_of(replies, replies + count,
                                               [](const pam_response& reply) { return reply.resp != nullptr; });
  if (replied) {
    *responses = replies;  // PAM frees the replies, and its modules wipe them
    return PAM_SUCCESS;
  }
  DropReplies(replies, count);
  if (responses != nullptr) *responses = nullptr;
  return answered ? PAM_SUCCESS : PAM_CONV_ERR;
}

bool PasswordConversation::Answer(const pam_message& message, pam_response& response, bool canReply) {
  const std::string* reply = &password_;
  switch (message.msg_style) {
    case PAM_PROMPT_ECHO_OFF:
      break;
    case PAM_PROMPT_ECHO_ON:
      if (message.msg != nullptr && std::strcmp(message.msg, kUserPrompt) == 0) reply = &user_;
      break;
    case PAM_ERROR_MSG:
    case PAM_TEXT_INFO:
      messages_.emplace_back(message.msg != nullptr ? message.msg : "");
      return true;
    default:
      return false;
  }
  return canReply && (response.resp = strdup(reply->c_str())) != nullptr;
}

}  // namespace os
