#pragma once

#include <security/pam_appl.h>

#include <string>
#include <vector>

namespace os {

enum class PasswordVerdict { Verified, Rejected, Unavailable };

struct PasswordResult {
  PasswordVerdict verdict = PasswordVerdict::Unavailable;
  // What PAM's modules said (their information and error texts), in order, for the prompt to show.
  std::vector<std::string> messages;
  // One line on why the password was not verified: PAM's text for its result, or why PAM could not start.
  std::string reason;
};

// Checks the password of the user running the program (the login name of the real user id) through the
// PAM service `service`, with PAM_TTY set to $DISPLAY. Unavailable only when PAM cannot start; every
// failure after that, a broken module included, is a rejection, so a damaged PAM set-up never lets a
// wrong password through. `password` is wiped and emptied whatever the outcome.
PasswordResult CheckPassword(const std::string& service, std::string& password);

// Why PAM cannot check passwords for the user running the program through `service`, or empty when
// it can start: a lock is taken only when it can be opened again.
std::string PasswordServiceProblem(const std::string& service);

// PAM's conversation for one check. Hidden prompts get the typed password; echoed prompts get the user
// name when they are PAM's own user prompt, else the password (a module may ask for it in the open);
// information and error texts are collected. Any other kind of message fails the conversation.
class PasswordConversation {
 public:
  // The user prompt the check gives PAM, so that a request for the user name can be told apart.
  static constexpr const char* kUserPrompt = "login:";

  PasswordConversation(const std::string& user, const std::string& password) : user_(user), password_(password) {}

  // For pam_start; valid while this object lives.
  pam_conv Handle() { return {&Converse, this}; }
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  static int Converse(int count, const pam_message** messages, pam_response** responses, void* self);
  // False when the message cannot be answered: an unknown kind, or a prompt with no room for replies.
  bool Answer(const pam_message& message, pam_response& response, bool canReply);

  const std::string& user_;
  const std::string& password_;
  std::vector<std::string> messages_;
};

}  // namespace os
