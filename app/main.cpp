// The program: the show, its preview, its settings dialog, and an X screen-saver host's hack.

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

#include "app/FQuorlith.h"
#include "app/Signals.h"
#include "app/X11Window.h"
#include "platform/rtl/Faults.h"

namespace {

// --help and --version answer without a display.
bool Answered(const std::vector<std::string>& args) {
  const TInvocation invocation = ParseInvocation(args, nullptr);
  if (invocation.Help) std::fputs(UsageText().c_str(), stdout);
  if (invocation.Version) std::printf("quorlith3d %s\n", TFormSaver::Version().toUtf8().constData());
  return invocation.Help || invocation.Version;
}

}  // namespace

int main(int argc, char* argv[]) {
  rtl::faults::ArmFromEnvironment();
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (Answered(args)) return 0;
  } catch (const std::exception&) {  // reported below, where a message box can show it
  }
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
    std::fputs("quorlith3d: no display to show on (DISPLAY is not set)\n", stderr);
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("quorlith3d");
  QApplication::setApplicationDisplayName(TFormSaver::kTitle);
  x11::EndOnLostConnection();

  TInvocation invocation;
  try {
    invocation = ParseInvocation(args, std::getenv("XSCREENSAVER_WINDOW"));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quorlith3d: %s\n", error.what());
    QMessageBox::critical(nullptr, TFormSaver::kTitle, error.what());
    return 1;
  }
  if (!invocation.Ignored.empty()) {
    std::string ignored;
    for (const std::string& option : invocation.Ignored) ignored += " " + option;
    std::fprintf(stderr, "quorlith3d: ignoring unknown options:%s\n", ignored.c_str());
  }

  TFormSaver form(invocation);
  if (form.ScreenSaver1.Mode() == smChangePassword) return 0;
  CloseOnSignals(&form);
  if (form.ScreenSaver1.Mode() == smSaver && !invocation.Host) {
    form.showFullScreen();
  } else {
    form.show();
  }
  const int status = QApplication::exec();
  // A host stops its hack with a signal, failed or not, and takes any other status for a crash.
  return form.Failed() && !invocation.Host ? form.ExitCode() : status;
}
