#pragma once

// The password check of the show: a modal prompt over the show, checked through PAM for the user
// running the saver. A prompt nobody answers gives up after a while, so the show goes on.

class QWidget;

// The PAM service the check runs under; the system's default rules apply when it has no file.
inline constexpr const char* kPamService = "quorlith3d";

// True only when PAM verified the typed login password; false after a wrong password, a cancel, the
// time-out, or when PAM cannot be used at all (one line on stderr says why): the lock holds then.
bool AskPassword(QWidget* over);
