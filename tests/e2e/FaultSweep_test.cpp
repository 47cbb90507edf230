// Every fault point of the platform stand-ins armed in turn, in this process, while the show starts,
// while it runs and while it ends: the shell's own show in a host window of the test's, the test
// world, sound on OpenAL Soft's null output. A failing call ends the show with the message of the
// step that failed and the code it was given, or the show carries on; nothing raises out of the
// show, and the show after a failure runs again. Prints the table of outcomes. Then the program
// itself, armed from outside through Q3D_FAULTS, for a few points of the window and the sound.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>
#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string_view>

#include "app/FQuorlith.h"
#include "platform/rtl/Faults.h"
#include "platform/rtl/Result.h"
#include "tests/e2e/ShowProcess.h"
#include "tests/support/ScopedEnvironment.h"

using testing_support::ScopedEnvironment;

namespace {

// Listed from the stand-ins' sources by the build.
constexpr std::array kFaultPoints = {
#include "FaultPoints.inc"
};

// A code no stand-in returns by itself; messages carry its low 12 bits.
constexpr std::int32_t kCode = rtl::MakeDXResult(1234);
constexpr std::string_view kCodeSuffix = " code: 1234";
// The first frame proves the video mode: its failure is told in the show's own words.
constexpr std::string_view kVideoModeMessage = "The video mode Window mode cannot be shown.";
// The display check before anything starts has words of its own too.
constexpr std::string_view kNoDisplayMessage = "Quorlith 3D cannot start: no display";

constexpr int kStartFrames = 4;  // a blank frame, the frame that loads the world, two that run
constexpr int kRunFrames = 3;

enum class Phase { Start, Show, End };
constexpr std::array kPhases = {Phase::Start, Phase::Show, Phase::End};
constexpr const char* PhaseName(Phase phase) {
  return phase == Phase::Start ? "start-up" : phase == Phase::Show ? "show" : "end";
}

// One show of the shell, hosted in the test's window.
class Show {
 public:
  explicit Show(QWidget& host)
      : FForm(ParseInvocation({"-window-id", std::to_string(static_cast<unsigned long>(host.winId()))}, nullptr)) {}
  ~Show() { Close(); }

  void Begin() {
    FForm.show();
    QCoreApplication::processEvents();
  }
  void Frames(int count) {
    for (int i = 0; i < count && !FForm.Failed(); ++i) FForm.ScreenSaverExecute(&FForm.ScreenSaver1);
  }
  int Rendered() const { return FForm.World() != nullptr ? FForm.World()->Map().RenderCount() : 0; }
  bool Failed() const { return FForm.Failed(); }
  const std::string& Message() const { return FForm.ErrorMessage(); }
  void Close() {
    if (FClosed) return;
    FClosed = true;
    FForm.close();
  }

 private:
  TFormSaver FForm;
  bool FClosed = false;
};

struct Outcome {
  std::string Text;  // what the table shows
  bool Right = true;
};

using Calls = std::set<std::string, std::less<>>;

class FaultSweepTest : public testing::Test {
 protected:
  FaultSweepTest() {
    Folders.SetSaverValue("Sound3D", 1);
    Host.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    Host.setGeometry(0, 0, 160, 120);
    Host.show();
    e2e::Pause(200);
  }
  ~FaultSweepTest() override { rtl::faults::Reset(); }

  // A show that has run its first frames, or none when it could not.
  std::unique_ptr<Show> RunningShow() {
    auto show = std::make_unique<Show>(Host);
    show->Begin();
    show->Frames(kStartFrames);
    if (show->Failed() || show->Rendered() < 2) return nullptr;
    return show;
  }

  // The calls a show makes while it starts, while it runs and while it ends, when nothing fails.
  std::array<Calls, 3> CallsOfEachPhase() {
    std::array<Calls, 3> calls;
    Show show(Host);
    rtl::faults::StartRecording();
    show.Begin();
    show.Frames(kStartFrames);
    calls[0] = rtl::faults::StopRecording();
    rtl::faults::StartRecording();
    show.Frames(kRunFrames);
    calls[1] = rtl::faults::StopRecording();
    rtl::faults::StartRecording();
    show.Close();
    calls[2] = rtl::faults::StopRecording();
    return calls;
  }

  // After the armed call had its chance: the show stopped with the step's message and the code, or
  // it carries on drawing once nothing fails any more.
  static Outcome Judge(const char* point, Show& show) {
    const bool reached = !rtl::faults::Pending(point);
    rtl::faults::Reset();
    if (!reached) return {"not reached"};
    if (show.Failed()) {
      const std::string& message = show.Message();
      const bool told = message.ends_with(kCodeSuffix) || message.starts_with(kVideoModeMessage) ||
                        message.starts_with(kNoDisplayMessage);
      return {"message: " + message.substr(0, message.find('\n')), told && message.size() > kCodeSuffix.size()};
    }
    const int before = show.Rendered();
    show.Frames(kRunFrames);
    if (show.Failed()) return {"failed later: " + show.Message(), false};
    return {"carried on", show.Rendered() > before};
  }

  Outcome AtStart(const char* point) {
    Show show(Host);
    rtl::faults::Arm(point, kCode);
    show.Begin();
    show.Frames(kStartFrames);
    return Judge(point, show);
  }

  // One show runs through the points until a failure ends it.
  Outcome InTheShow(const char* point, std::unique_ptr<Show>& running) {
    if (running == nullptr) running = RunningShow();
    if (running == nullptr) return {"no show to fail", false};
    rtl::faults::Arm(point, kCode);
    running->Frames(1);
    Outcome outcome = Judge(point, *running);
    if (running->Failed()) running.reset();
    return outcome;
  }

  Outcome AtTheEnd(const char* point) {
    std::unique_ptr<Show> ending = RunningShow();
    if (ending == nullptr) return {"no show to end", false};
    rtl::faults::Arm(point, kCode);
    try {
      ending->Close();
    } catch (const std::exception& error) {
      rtl::faults::Reset();
      return {std::string("raised: ") + error.what(), false};
    }
    const bool reached = !rtl::faults::Pending(point);
    rtl::faults::Reset();
    return {reached ? "ended" : "not reached"};
  }

  e2e::ShowFolders Folders;
  QTemporaryDir Runtime;  // the hosted shows' sound lock, away from any other show of this user
  ScopedEnvironment FRuntime{"XDG_RUNTIME_DIR", Runtime.path().toUtf8().constData()};
  ScopedEnvironment FConfig{"QUORLITH_CONFIG_DIR", Folders.ConfigFolder().toUtf8().constData()};
  ScopedEnvironment FData{"QUORLITH_DATA_DIR", Folders.DataFolder().toUtf8().constData()};
  QWidget Host;
};

}  // namespace

TEST_F(FaultSweepTest, EveryFailingPlatformCallEndsTheShowWithItsMessageOrTheShowCarriesOn) {
  ASSERT_GT(kFaultPoints.size(), 100u);
  const std::array<Calls, 3> calls = CallsOfEachPhase();
  std::map<const char*, std::array<Outcome, 3>> table;
  std::unique_ptr<Show> running;
  for (std::size_t phase = 0; phase < kPhases.size(); ++phase) {
    for (const char* point : kFaultPoints) {
      Outcome& outcome = table[point][phase];
      if (!calls[phase].contains(point)) {
        outcome = {"-"};
      } else if (kPhases[phase] == Phase::Start) {
        outcome = AtStart(point);
      } else if (kPhases[phase] == Phase::Show) {
        outcome = InTheShow(point, running);
      } else {
        outcome = AtTheEnd(point);
      }
      EXPECT_TRUE(outcome.Right) << point << " at " << PhaseName(kPhases[phase]) << ": " << outcome.Text;
    }
    running.reset();
  }

  std::map<std::string, int> counts;
  std::printf("\nfault point (- = not called then) | start-up | show | end\n");
  for (const char* point : kFaultPoints) {
    std::printf("%s", point);
    for (std::size_t phase = 0; phase < kPhases.size(); ++phase) {
      const std::string& text = table[point][phase].Text;
      std::printf(" | %s", text.c_str());
      ++counts[std::string(PhaseName(kPhases[phase])) + ": " + text.substr(0, text.find(':'))];
    }
    std::printf("\n");
  }
  for (const auto& [outcome, count] : counts) std::printf("%4d  %s\n", count, outcome.c_str());
  EXPECT_NE(RunningShow(), nullptr) << "the show runs again after every failure";
}

namespace {

struct ProgramCase {
  const char* Faults;   // Q3D_FAULTS
  const char* Message;  // the line the program ends with (a pattern), or none when the show carries on
};

// At start-up, in the middle of the show (after a skip) and at its end; the window's and the sound's.
constexpr ProgramCase kProgramCases[] = {
    {"dd.DirectDrawCreate:0x887604D2", "Quorlith 3D cannot start: no display with a usable drawing surface"},
    {"rm.Direct3DRMCreate:0x887604D2", "Engine3D error: Can't create direct3drm object code: 1234"},
    {"ds.Sound.CreateSoundBuffer:0x887604D2", "DXSoundBuffer: Create sound buffer failed code: 1234"},
    {"dd.Surface.Unlock:0x887604D2:80", "Window3D error: [^\\n]* failed code: 1234"},
    {"rm.Viewport.Render:0x887604D2:60", "Window3D error: Render (background|map) failed code: 1234"},
    {"dd.DirectDraw.SetDisplayMode:0x887604D2", "The video mode 640X480X16 cannot be shown."},
    {"ds.DirectSoundCreate:0x88780078", nullptr},
    {"dd.Surface.Flip:0x887604D2:30:5,dd.DirectDraw.RestoreDisplayMode:0x887604D2", nullptr},
    {"dd.Surface.Blt:0x887604D2:20:5,ds.Listener.SetAllParameters:0x887604D2:10", nullptr},
    {"rm.Frame.DeleteChild:0x887604D2,ds.Buffer.Stop:0x887604D2", nullptr},
};

}  // namespace

// The standalone show: a failure is a message box and status 1 once it is read; otherwise the world
// shows and a key ends it with status 0, whatever fails while it ends.
TEST(FaultProgramTest, TheProgramArmedFromOutsideEndsWithTheMessageOrCarriesOn) {
  e2e::ShowFolders folders;
  folders.SetSaverValue("Sound3D", 1);
  for (const ProgramCase& test : kProgramCases) {
    SCOPED_TRACE(test.Faults);
    e2e::ShowProcess show(folders);
    show.Environment().insert("Q3D_FAULTS", test.Faults);
    show.Start({"/s"});
    if (test.Message != nullptr) {
      const QRegularExpression line(QString("(^|\\n)quorlith3d: ") + test.Message);
      QElapsedTimer clock;
      clock.start();
      while (!show.Errors().contains(line) && show.Running() && clock.elapsed() < 5000 * e2e::kSlowdown)
        e2e::Pause(50);
      EXPECT_TRUE(show.Errors().contains(line)) << show.Errors().toStdString();
      e2e::Pause(300);
      e2e::XDoTool({"key", "Return"});
      ASSERT_TRUE(show.WaitEnded(3000 * e2e::kSlowdown));
      EXPECT_EQ(show.ExitCode(), 1);
    } else {
      EXPECT_GE(e2e::ColourCount(e2e::WaitForPicture(32, 5000 * e2e::kSlowdown)), 32) << "the world shows";
      e2e::Pause(500);
      e2e::XDoTool({"key", "space"});
      ASSERT_TRUE(show.WaitEnded(3000 * e2e::kSlowdown)) << show.Errors().toStdString();
      EXPECT_EQ(show.ExitCode(), 0) << show.Errors().toStdString();
    }
    EXPECT_FALSE(show.Crashed());
  }
}
