#pragma once

// The password check of the show: a modal prompt over the show, checked through PAM for the user
// running the saver. A prompt nobody answers gives up after a while, so the show goes on.

class QWidget;

// The PAM service the check runs under; the system's default rules apply when it has no file.
inline constexpr const char* kPamService = "quorlith3d";

// True when the login password was typed, or when PAM cannot be used at all (one line on stderr
// says why); false after a wrong password, a cancel or the time-out.
bool AskPassword(QWidget* over);
