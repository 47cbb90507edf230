// Runtime basics: string lists, text comparison, formatting, checked casts, events, rounding,
// the floating-point guard and fault injection.

#include <gtest/gtest.h>

#include <cfenv>
#include <csignal>
#include <cmath>

#include "platform/rtl/Cast.h"
#include "platform/rtl/Event.h"
#include "platform/rtl/Faults.h"
#include "platform/rtl/FloatGuard.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Text.h"

namespace {

struct Base : rtl::TObject {};
struct Derived : Base {};
struct Other : rtl::TObject {};

struct Listener {
  int Calls = 0;
  rtl::TStringList* Last = nullptr;
  void Handle(rtl::TStringList* sender) {
    ++Calls;
    Last = sender;
  }
};

}  // namespace

TEST(StringList, KeepsInsertionOrderDuplicatesAndFindsCaseInsensitively) {
  rtl::TStringList list;
  Derived object;
  EXPECT_EQ(list.Add("Window mode"), 0);
  EXPECT_EQ(list.AddObject("640X480X16", &object), 1);
  list.Add("window MODE");
  list.Insert(0, "first");
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Strings(0), "first");
  EXPECT_EQ(list.IndexOf("WINDOW mode"), 1);
  EXPECT_EQ(list.IndexOf("640x480x16"), 2);
  EXPECT_EQ(list.IndexOfObject(&object), 2);
  EXPECT_EQ(list.Objects(2), &object);
  EXPECT_EQ(list.Objects(0), nullptr);
  list.Delete(1);
  EXPECT_EQ(list.IndexOf("window mode"), 2);
  list.SetString(0, "renamed");
  list.SetObject(0, &object);
  EXPECT_EQ(list.IndexOfObject(&object), 0);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.IndexOf("renamed"), -1);
}

TEST(StringList, BadIndexesRaiseTheListMessage) {
  rtl::TStringList list;
  list.Add("a");
  try {
    list.Strings(1);
    FAIL();
  } catch (const rtl::EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (1)");
  }
  EXPECT_THROW(list.Objects(-1), rtl::EListError);
  EXPECT_THROW(list.Delete(5), rtl::EListError);
  EXPECT_THROW(list.Insert(2, "x"), rtl::EListError);
  list.Insert(1, "end");
  EXPECT_EQ(list.Strings(1), "end");
}

TEST(StringList, ChangesNotifyOnceOutsideBracketsAndOncePerOutermostBracket) {
  rtl::TStringList list;
  Listener listener;
  list.OnChange = rtl::TEvent<rtl::TStringList*>::Bind<&Listener::Handle>(&listener);
  list.Add("a");
  EXPECT_EQ(listener.Calls, 1);
  EXPECT_EQ(listener.Last, &list);
  list.BeginUpdate();
  list.Add("b");
  list.BeginUpdate();
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(listener.Calls, 1);
  list.EndUpdate();
  EXPECT_EQ(listener.Calls, 2);
  list.BeginUpdate();
  list.EndUpdate();
  EXPECT_EQ(listener.Calls, 2) << "a bracket with no change is silent";
  list.OnChange.Clear();
  list.Add("c");
  EXPECT_EQ(listener.Calls, 2);
}

TEST(Text, CaseInsensitiveComparisonOfEightBitText) {
  EXPECT_TRUE(rtl::SameText("Tree0001", "tREE0001"));
  EXPECT_FALSE(rtl::SameText("Tree", "Tree "));
  EXPECT_LT(rtl::CompareText("apple", "Banana"), 0);
  EXPECT_GT(rtl::CompareText("b", "A"), 0);
  EXPECT_LT(rtl::CompareText("abc", "ABCD"), 0);
  EXPECT_EQ(rtl::CompareText("", ""), 0);
  // Cyrillic in the 1251 code page: "Дерево" and "ДЕРЕВО", and Ё/ё.
  EXPECT_TRUE(rtl::SameText("\xC4\xE5\xF0\xE5\xE2\xEE", "\xC4\xC5\xD0\xC5\xC2\xCE"));
  EXPECT_TRUE(rtl::SameText("\xB8", "\xA8"));
  EXPECT_FALSE(rtl::SameText("\xE0", "\xE1"));
  EXPECT_FALSE(rtl::SameText("@", "`")) << "only letters fold";
}

TEST(Format, FrameworkFormatsMeanWhatCMeans) {
  EXPECT_EQ(rtl::Format("%s%4.4d", std::string("Tree"), 2), "Tree0002");
  EXPECT_EQ(rtl::Format("%s%4.4d", "", 10000), "10000");
  EXPECT_EQ(rtl::Format("%dX%dX%d", 640, 480, 16), "640X480X16");
  EXPECT_EQ(rtl::Format("%.1f", 59.96), "60.0");
  EXPECT_EQ(rtl::Format("%s", std::string(300, 'x')).size(), 300u);
  EXPECT_EQ(rtl::Format("plain"), "plain");
}

TEST(Cast, CheckedCastRaisesInvalidClassTypecast) {
  Derived derived;
  Other other;
  rtl::TObject* asBase = &derived;
  EXPECT_EQ(rtl::CheckedCast<Base>(asBase), &derived);
  EXPECT_EQ(rtl::CheckedCast<Base>(static_cast<rtl::TObject*>(nullptr)), nullptr);
  rtl::TObject* wrong = &other;
  try {
    rtl::CheckedCast<Base>(wrong);
    FAIL();
  } catch (const rtl::EInvalidCast& e) {
    EXPECT_STREQ(e.what(), "Invalid class typecast");
  }
  const rtl::TObject& ref = derived;
  EXPECT_EQ(&rtl::CheckedCast<const Derived>(ref), &derived);
}

TEST(Math, RoundHalvesToEvenAndTruncTowardZero) {
  EXPECT_EQ(rtl::Round(0.5L), 0);
  EXPECT_EQ(rtl::Round(1.5L), 2);
  EXPECT_EQ(rtl::Round(2.5L), 2);
  EXPECT_EQ(rtl::Round(-2.5L), -2);
  EXPECT_EQ(rtl::Round(2.6L), 3);
  EXPECT_EQ(rtl::Trunc(2.9L), 2);
  EXPECT_EQ(rtl::Trunc(-2.9L), -2);
}

TEST(FloatGuard, MasksTrapsInsideAndRestoresTheEnvironmentOnEveryPath) {
  feclearexcept(FE_ALL_EXCEPT);
  fesetround(FE_TONEAREST);
  feenableexcept(FE_DIVBYZERO | FE_INVALID);
  volatile float zero = 0.0f;
  float result = 0.0f;
  {
    rtl::FloatExceptionGuard guard;
    EXPECT_EQ(fegetexcept(), 0);
    result = 1.0f / zero;  // would raise SIGFPE with the traps enabled
  }
  EXPECT_TRUE(std::isinf(result));
  EXPECT_EQ(fegetexcept(), FE_DIVBYZERO | FE_INVALID);
  EXPECT_EQ(fetestexcept(FE_DIVBYZERO), 0) << "flags raised inside do not leak out";

  try {
    rtl::FloatExceptionGuard guard;
    throw std::runtime_error("frame failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(fegetexcept(), FE_DIVBYZERO | FE_INVALID);
  fedisableexcept(FE_ALL_EXCEPT);
}

TEST(Faults, ArmedCallsFailWithTheirCodeAfterSkippingAndThenRecover) {
  rtl::faults::Reset();
  EXPECT_EQ(rtl::faults::Check("rm.Frame.AddChild"), 0);
  rtl::faults::Arm("rm.Frame.AddChild", -7, 1, 2);
  EXPECT_EQ(rtl::faults::Check("rm.Frame.AddVisual"), 0) << "other calls are untouched";
  EXPECT_EQ(rtl::faults::Check("rm.Frame.AddChild"), 0) << "skipped";
  EXPECT_EQ(rtl::faults::Check("rm.Frame.AddChild"), -7);
  EXPECT_EQ(rtl::faults::Check("rm.Frame.AddChild"), -7);
  EXPECT_EQ(rtl::faults::Check("rm.Frame.AddChild"), 0);
  rtl::faults::Arm("a", 1);
  rtl::faults::Reset();
  EXPECT_EQ(rtl::faults::Check("a"), 0);
}
