#include "app/PasswordPrompt.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <string>

#include "platform/os/Password.h"

namespace {

// Long enough to type a password, short enough that an unanswered prompt does not freeze the show.
constexpr int kAnswerTimeoutMs = 30000;
// How often to look whether the prompt's window is on the screen yet, to take the grabs.
constexpr int kGrabPollMs = 10;

// Hands the keyboard and the pointer to the prompt once it is on the screen (the X server grabs
// only for windows that can be seen), and back to the show when it goes.
class GrabHandover {
 public:
  GrabHandover(QDialog& prompt, QLineEdit& edit) : FHolder(QWidget::keyboardGrabber()) {
    if (FHolder == nullptr) return;
    FHolder->releaseKeyboard();
    FHolder->releaseMouse();
    FPoll.setInterval(kGrabPollMs);
    QObject::connect(&FPoll, &QTimer::timeout, &prompt, [this, &prompt, &edit] {
      if (prompt.windowHandle() == nullptr || !prompt.windowHandle()->isExposed()) return;
      FPoll.stop();
      prompt.activateWindow();
      edit.setFocus();
      edit.grabKeyboard();
      prompt.grabMouse();
    });
    FPoll.start();
  }
  ~GrabHandover() {
    if (FHolder == nullptr) return;
    FHolder->grabKeyboard();
    FHolder->grabMouse();
  }

 private:
  QWidget* FHolder;
  QTimer FPoll;
};

// The typed text, wiped from the edit's memory as far as Qt lets us.
std::string TakePassword(QLineEdit& edit) {
  QByteArray bytes = edit.text().toUtf8();
  std::string password(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  bytes.fill('\0');
  edit.setText(QString(edit.text().size(), QChar(' ')));
  edit.clear();
  return password;
}

}  // namespace

bool AskPassword(QWidget* over) {
  // Above the lock's windows, which the window manager does not stack.
  QDialog prompt(over, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
  prompt.setWindowTitle("Quorlith 3D");
  auto* layout = new QVBoxLayout(&prompt);
  auto* label = new QLabel("Password:", &prompt);
  auto* edit = new QLineEdit(&prompt);
  edit->setEchoMode(QLineEdit::Password);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &prompt);
  layout->addWidget(label);
  layout->addWidget(edit);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &prompt, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &prompt, &QDialog::reject);
  QTimer::singleShot(kAnswerTimeoutMs, &prompt, &QDialog::reject);
  GrabHandover grab(prompt, *edit);
  edit->setFocus();
  if (prompt.exec() != QDialog::Accepted) return false;

  std::string password = TakePassword(*edit);
  const os::PasswordResult result = os::CheckPassword(kPamService, password);
  for (const std::string& message : result.messages) std::fprintf(stderr, "quorlith3d: %s\n", message.c_str());
  if (result.verdict == os::PasswordVerdict::Unavailable)
    std::fprintf(stderr, "quorlith3d: the password cannot be checked: %s\n", result.reason.c_str());
  return result.verdict == os::PasswordVerdict::Verified;
}
