#include "anim/AnimClasses.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "tests/support/Raises.h"

using testing_support::MessageOf;

namespace {

// A key that remembers the order it was created in.
struct TTestKey : TAnimationKey {
  TTestKey(long double time, int id) : TAnimationKey(time), Id(id) {}
  int Id;
};

struct TBlend {
  int A;
  int B;
  long double T;
};

// Records every blend it is asked for, as "a-b@t".
class TTestAnimation : public TKeyAnimation {
 public:
  TTestAnimation(std::initializer_list<long double> times) {
    for (long double time : times) Add(time);
  }
  std::unique_ptr<TAnimationKey> CreateKey(long double time) override {
    if (FailCreate) throw rtl::Exception("Out of memory");
    return std::make_unique<TTestKey>(time, FCreated++);
  }
  void Interpolate(const TAnimationKey& a, const TAnimationKey& b, long double t) override {
    Blends.push_back(std::to_string(IdOf(a)) + "-" + std::to_string(IdOf(b)) + "@" +
                     std::to_string(static_cast<double>(t)));
  }
  std::vector<int> Ids() const {
    std::vector<int> ids;
    for (int i = 0; i < KeyCount(); ++i) ids.push_back(IdOf(GetKey(i)));
    return ids;
  }

  std::vector<std::string> Blends;
  bool FailCreate = false;

 private:
  static int IdOf(const TAnimationKey& key) { return dynamic_cast<const TTestKey&>(key).Id; }
  int FCreated = 0;
};

TEST(KeyAnimationTest, LoopWrapsOverTheKeySpan) {
  TTestAnimation animation{0, 50, 320};
  animation.SetLoop(true);
  animation.Update(400);
  EXPECT_EQ(animation.Time(), 80);
  animation.Update(320);
  EXPECT_EQ(animation.Time(), 0);
  EXPECT_EQ(animation.Blends, (std::vector<std::string>{"1-2@0.111111", "0-1@0.000000"}));
}

TEST(KeyAnimationTest, ClampsWithoutLoopAndCallsChangedOnlyWhenTimeMoves) {
  TTestAnimation animation{0, 50, 320};
  EXPECT_EQ(animation.Time(), -1);
  animation.Update(0);  // the first update reaches Changed even at 0
  animation.Update(0);
  animation.Update(500);
  animation.Update(600);  // clamps to the time it already has
  animation.Update(25);
  EXPECT_EQ(animation.Time(), 25);
  EXPECT_EQ(animation.Blends, (std::vector<std::string>{"0-1@0.000000", "2-2@0.000000", "0-1@0.500000"}));
}

TEST(KeyAnimationTest, FirstKeyLeavesTheSpanAndKeysInsertInTimeOrder) {
  TTestAnimation animation{10};
  EXPECT_EQ(animation.EndTime(), 0);
  EXPECT_EQ(animation.Add(20), 1);
  EXPECT_EQ(animation.EndTime(), 20);
  EXPECT_EQ(animation.Add(5), 0);
  EXPECT_EQ(animation.StartTime(), 0);
  EXPECT_EQ(animation.Add(-5), 0);
  EXPECT_EQ(animation.StartTime(), -5);
  EXPECT_EQ(animation.Ids(), (std::vector<int>{3, 2, 0, 1}));
}

TEST(KeyAnimationTest, KeysAtOneTimeKeepTheirOrderAndTheEarlierIsShown) {
  TTestAnimation animation{10, 10, 20, 40};
  EXPECT_EQ(animation.Add(10), 2);
  EXPECT_EQ(animation.Ids(), (std::vector<int>{0, 1, 4, 2, 3}));
  const std::vector<long double> times{9, 10, 15, 20, 39.5L, 40, 1000};
  std::vector<int> found;
  for (long double time : times) found.push_back(animation.IndexByTime(time));
  EXPECT_EQ(found, (std::vector<int>{0, 0, 2, 3, 3, 4, 4}));
  animation.Update(10);
  EXPECT_EQ(animation.Blends, std::vector<std::string>{"0-1@0.000000"});
}

// Looping over a span of zero used to divide by zero.
TEST(KeyAnimationTest, LoopOverAnEmptySpanStaysAtTheStart) {
  TTestAnimation single{10};
  single.SetLoop(true);
  single.Update(1234.5L);
  EXPECT_EQ(single.Time(), 0);
  TTestAnimation together{0, 0};
  together.SetLoop(true);
  together.Update(77);
  EXPECT_EQ(together.Time(), 0);
  EXPECT_EQ(single.Blends.back() + " " + together.Blends.back(), "0-0@0.000000 0-1@0.000000");
}

TEST(KeyAnimationTest, FailuresNameTheOperation) {
  TTestAnimation empty{};
  empty.Update(5);
  EXPECT_TRUE(empty.Blends.empty());
  EXPECT_EQ(MessageOf([&] { empty.IndexByTime(0); }),
            "TKeyAnimation IndexByTime is failed\r\nKeyCount is Zero!");

  TTestAnimation animation{0, 50, 320};
  EXPECT_EQ(MessageOf([&] { animation.GetKey(3); }),
            "TKeyAnimation GetKey is failed!\r\nList index out of bounds (3)");
  EXPECT_EQ(MessageOf([&] { animation.Delete(-1); }),
            "TKeyAnimation Delete is failed!\r\nList index out of bounds (-1)");
  animation.FailCreate = true;
  EXPECT_EQ(MessageOf([&] { animation.Add(7); }), "TKeyAnimation Add is failed!\r\nOut of memory");
  animation.Delete(1);
  EXPECT_EQ(animation.Ids(), (std::vector<int>{0, 2}));
}

TEST(LerpTest, ByteBlendTruncatesTowardZeroAndStaysInRange) {
  EXPECT_DOUBLE_EQ(static_cast<double>(Lerp(3, 1, 0.25L)), 2.5);
  EXPECT_EQ(LerpByte(10, 20, 0.55L), 15);
  EXPECT_EQ(LerpByte(20, 10, 0.55L), 15);  // 20 + Trunc(-5.5)
  EXPECT_EQ(LerpByte(250, 255, 3), 255);
  EXPECT_EQ(LerpByte(5, 10, -2), 0);
}

}  // namespace
