#include "anim/Motion3D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "anim/Animation3D.h"
#include "platform/rtl/Cast.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using namespace testing_support;

namespace {

// An animation with a given number of plain keys.
class TKeyedAnimation : public TAnimation3D {
 public:
  explicit TKeyedAnimation(int keys = 0) {
    for (int i = 0; i < keys; ++i) AddKey();
  }
  std::unique_ptr<TKey3D> CreateKey() override { return std::make_unique<TKey3D>(this); }
};

bool Listed(const TMotion3D* motion) {
  return std::ranges::find(PlayingMotions(), motion) != PlayingMotions().end();
}

// Counts a motion's callbacks and notes what the stop handler saw.
struct TMotionLog {
  int Starts = 0;
  int Stops = 0;
  int Steps = 0;
  float CurrentAtStop = -1.0f;
  bool ListedAtStop = true;

  void Started(TMotion3D*) { ++Starts; }
  void Stopped(TMotion3D* motion) {
    ++Stops;
    CurrentAtStop = motion->Current();
    ListedAtStop = Listed(motion);
  }
  void Stepped(TMotion3D*) { ++Steps; }
  void Listen(TMotion3D& motion) {
    motion.OnStart = TMotionEvent::Bind<&TMotionLog::Started>(this);
    motion.OnStop = TMotionEvent::Bind<&TMotionLog::Stopped>(this);
    motion.OnStep = TMotionEvent::Bind<&TMotionLog::Stepped>(this);
  }
};

// What the show does with every object's first motion: run it once, then loop it from its start.
struct TReplayer {
  int Stops = 0;
  void Stopped(TMotion3D* motion) {
    ++Stops;
    motion->SetLoop(true);
    motion->CollectionMotion()->Play(*motion);
  }
  void Listen(TMotion3D& motion) { motion.OnStop = TMotionEvent::Bind<&TReplayer::Stopped>(this); }
};

TMotion3D& AddMotion(TCollectionMotion3D& motions, const std::string& name, float first, float last) {
  auto& motion = rtl::CheckedCast<TMotion3D>(*motions.Add(name));
  motion.SetLast(last);
  motion.SetFirst(first);
  return motion;
}

// Current after each pass of AdvanceMotions at the given times.
std::vector<float> PositionsAt(const TMotion3D& motion, std::initializer_list<float> times) {
  std::vector<float> positions;
  for (float now : times) {
    AdvanceMotions(now);
    positions.push_back(motion.Current());
  }
  return positions;
}

// Last 10, First 2, Duration 2.25, Loop 0, Reverse 1, StartTime 3.5, Current 10.
const char* const kMotionRecord = "00 00 20 41 00 00 00 40 00 00 10 40 00 01 00 00 60 40 00 00 20 41";

// Every test must leave the program's playing list as it found it: empty.
class Motion3D : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(PlayingMotions().empty()); }
  void TearDown() override { EXPECT_TRUE(PlayingMotions().empty()) << "a motion was left in the playing list"; }

  TKeyedAnimation Animation{11};
  TCollectionMotion3D Motions{nullptr, "Motions"};
};

}  // namespace

TEST_F(Motion3D, CreationCoversTheKeysOfTheAnimationAndItsDirectChildren) {
  TKeyedAnimation child(14);
  TKeyedAnimation grandchild(40);  // too deep to count
  Animation.AddAnimation(child);
  child.AddAnimation(grandchild);
  Motions.SetAnimation(&Animation);

  auto& motion = rtl::CheckedCast<TMotion3D>(*Motions.Add("Walk"));
  EXPECT_EQ(motion.First(), 0.0f);
  EXPECT_EQ(motion.Last(), 13.0f);
  EXPECT_EQ(motion.Rate(), 16.0f);
  EXPECT_EQ(motion.Duration(), 14.0f / 16.0f);
  EXPECT_TRUE(motion.Loop());
  EXPECT_FALSE(motion.Reverse());
  EXPECT_EQ(motion.CollectionMotion(), &Motions);

  TCollectionMotion3D unbound(nullptr, "Unbound");
  EXPECT_EQ(rtl::CheckedCast<TMotion3D>(*unbound.Add("Idle")).Last(), 0.0f);
}

TEST_F(Motion3D, SettersCheckTheRangeAndKeepDurationAndRateInStep) {
  TMotion3D& motion = AddMotion(Motions, "Walk", 2.0f, 10.0f);
  EXPECT_EQ(motion.Duration(), 1.0f / 16.0f) << "range setters leave Duration and Rate alone";
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(MessageOf([&] { motion.SetFirst(-1.0f); }), "Motion3D error: first key out of range");
  EXPECT_EQ(MessageOf([&] { motion.SetFirst(nan); }), "Motion3D error: first key out of range");
  EXPECT_EQ(MessageOf([&] { motion.SetFirst(10.5f); }), "Motion3D error: First > Last");
  EXPECT_EQ(MessageOf([&] { motion.SetLast(-0.5f); }), "Motion3D error: last key out of range");
  EXPECT_EQ(MessageOf([&] { motion.SetLast(std::numeric_limits<float>::infinity()); }),
            "Motion3D error: last key out of range");
  EXPECT_EQ(MessageOf([&] { motion.SetLast(1.0f); }), "Motion3D error: Last < First");
  EXPECT_EQ(motion.First(), 2.0f);
  EXPECT_EQ(motion.Last(), 10.0f);

  motion.SetFirst(0.0f);
  motion.SetDuration(0.0f);
  EXPECT_EQ(motion.Duration(), 0.001f);
  EXPECT_EQ(motion.Rate(), 11.0f / 0.001f);
  motion.SetRate(-3.0f);
  EXPECT_EQ(motion.Rate(), 0.001f);
  EXPECT_EQ(motion.Duration(), 11.0f / 0.001f);
  motion.SetDuration(2.75f);
  EXPECT_EQ(motion.Rate(), 4.0f) << "11 keys in 2.75 s";
}

// A looping motion repeats every Last - First keys, though Duration and Rate count one key more.
TEST_F(Motion3D, LoopingMotionWrapsEveryLastMinusFirstKeys) {
  Motions.SetAnimation(&Animation);
  TMotion3D& motion = AddMotion(Motions, "Walk", 0.0f, 10.0f);
  TMotionLog log;
  log.Listen(motion);
  Motions.Play(motion);
  EXPECT_EQ(log.Starts, 1);
  EXPECT_EQ(PositionsAt(motion, {1.0f, 1.3125f, 1.5f, 1.625f}), (std::vector<float>{0, 5, 8, 0}));
  EXPECT_EQ(motion.StartTime(), 1.0f) << "the first advance takes its time as the start";
  EXPECT_EQ(log.Steps, 4);
  AdvanceMotions(1.3125f);
  EXPECT_EQ(Animation.Time(), 5.0f);
  Motions.Stop();

  TMotion3D& reversed = AddMotion(Motions, "Back", 2.0f, 12.0f);
  reversed.SetReverse(true);
  Motions.Play(reversed);
  EXPECT_EQ(PositionsAt(reversed, {1.0f, 1.0625f, 1.3125f, 1.625f}), (std::vector<float>{12, 11, 7, 12}));
  Motions.Stop();
}

// In double precision, rounded to single at the end, the same step lands one unit higher.
TEST_F(Motion3D, PositionIsComputedInSinglePrecision) {
  TMotion3D& motion = AddMotion(Motions, "Walk", 0.0f, 3.0f);
  motion.Advance(1.0f);
  motion.Advance(1.189f);
  EXPECT_EQ(motion.Current(), 0x1.89378p-6f);
}

TEST_F(Motion3D, MotionThatRunsOnceStopsAtTheEndOfItsRangeAndLeavesTheList) {
  Motions.SetAnimation(&Animation);
  TMotion3D& motion = AddMotion(Motions, "Walk", 0.0f, 10.0f);
  motion.SetLoop(false);
  TMotionLog log;
  log.Listen(motion);
  Motions.Play(motion);
  EXPECT_EQ(PositionsAt(motion, {1.0f, 1.5f, 1.75f}), (std::vector<float>{0, 8, 10}));
  EXPECT_EQ(Animation.Time(), 10.0f);
  EXPECT_FALSE(motion.Playing());
  EXPECT_EQ(log.Stops, 1);
  EXPECT_FALSE(log.ListedAtStop) << "the motion leaves the list before its stop handler runs";
  EXPECT_EQ(log.CurrentAtStop, 12.0f) << "the stop handler sees where the motion ran to";
  EXPECT_EQ(log.Steps, 3) << "the step that stops still reports";
  EXPECT_FALSE(Listed(&motion));
  EXPECT_EQ(Motions.CurrentMotion(), nullptr);

  motion.SetReverse(true);
  Motions.Play(motion);
  EXPECT_EQ(PositionsAt(motion, {1.0f, 1.25f, 1.75f}), (std::vector<float>{10, 6, 0}));
  EXPECT_FALSE(Listed(&motion));
}

// A motion that stops leaves the list at once: the one behind it moves into its place and waits
// for the next pass, while one started by a stop handler is appended and reached in this pass.
TEST_F(Motion3D, StopHandlerThatPlaysAgainRestartsInTheSamePassBehindTheOthers) {
  TCollectionMotion3D others(nullptr, "Others");
  TMotion3D& once = AddMotion(Motions, "Once", 0.0f, 10.0f);
  once.SetLoop(false);
  TReplayer replayer;
  replayer.Listen(once);
  TMotion3D& looping = AddMotion(others, "Looping", 0.0f, 10.0f);
  TMotionLog log;
  log.Listen(looping);
  Motions.Play(once);
  others.Play(looping);

  AdvanceMotions(1.0f);
  AdvanceMotions(1.75f);
  EXPECT_EQ(replayer.Stops, 1);
  EXPECT_EQ(PlayingMotions(), (std::vector<TMotion3D*>{&looping, &once}));
  EXPECT_EQ(log.Steps, 1) << "moved into the stopped motion's place and passed over";
  EXPECT_TRUE(once.Loop());
  EXPECT_EQ(once.StartTime(), 1.75f) << "restarted and reached again in the same pass";
  EXPECT_EQ(once.Current(), 0.0f);

  AdvanceMotions(2.0625f);
  EXPECT_EQ(log.Steps, 2);
  EXPECT_EQ(once.Current(), 5.0f);
  Motions.Stop();
  others.Stop();
}

TEST_F(Motion3D, ACollectionPlaysOneOfItsOwnMotionsThatHasARange) {
  TMotion3D& still = AddMotion(Motions, "Still", 3.0f, 3.0f);
  TMotion3D& walk = AddMotion(Motions, "Walk", 0.0f, 10.0f);
  TMotion3D& run = AddMotion(Motions, "Run", 0.0f, 5.0f);
  TMotionLog stillLog;
  stillLog.Listen(still);
  Motions.Play(still);
  EXPECT_EQ(stillLog.Starts, 0);
  EXPECT_FALSE(Motions.Playing());

  Motions.Play(walk);
  EXPECT_EQ(MessageOf([&] { Motions.Play(run); }), "CollectionMotion3D error: play motion failed");
  TCollectionMotion3D others(nullptr, "Others");
  EXPECT_EQ(MessageOf([&] { others.Play(run); }), "CollectionMotion3D error: play motion failed");
  run.Start();  // started by hand, its stop must not stop the motion that plays
  run.Stop();
  EXPECT_EQ(PlayingMotions(), (std::vector<TMotion3D*>{&walk}));

  Motions.Stop();  // ends the motion's playing state without reporting a stop
  EXPECT_FALSE(walk.Playing());
  EXPECT_TRUE(PlayingMotions().empty());

  Motions.Play(run);
  EXPECT_EQ(Motions.CurrentMotion(), &run);
  run.Stop();  // a motion that stops stops its collection
  EXPECT_FALSE(Motions.Playing());
}

TEST_F(Motion3D, DestroyingAPlayingMotionOrCollectionLeavesNoLinkBehind) {
  const auto deleteWhilePlaying = [this](TMotion3D& motion) {
    Motions.Play(motion);
    Motions.Delete(&motion);
    EXPECT_TRUE(PlayingMotions().empty());
    EXPECT_EQ(Motions.CurrentMotion(), nullptr);
    EXPECT_FALSE(Motions.Playing());
  };
  TMotionLog log;
  TMotion3D& walk = AddMotion(Motions, "Walk", 0.0f, 10.0f);
  log.Listen(walk);
  deleteWhilePlaying(walk);
  EXPECT_EQ(log.Stops, 1);

  TReplayer replayer;  // even when the stop handler plays the dying motion again
  TMotion3D& run = AddMotion(Motions, "Run", 0.0f, 10.0f);
  replayer.Listen(run);
  deleteWhilePlaying(run);
  EXPECT_EQ(replayer.Stops, 1);

  auto motions = std::make_unique<TCollectionMotion3D>(nullptr, "Motions");
  TMotion3D& jump = AddMotion(*motions, "Jump", 0.0f, 10.0f);
  replayer.Listen(jump);
  motions->Play(jump);
  motions.reset();
  EXPECT_EQ(replayer.Stops, 1) << "the collection stops first, so its dying motion no longer plays";

  TMotion3D& swim = AddMotion(Motions, "Swim", 0.0f, 10.0f);
  Motions.Play(swim);
  auto empty = StreamOf(Hex("00 00 00 00"));
  Motions.LoadFromStream(empty);  // loading replaces the motions the same way
  EXPECT_TRUE(PlayingMotions().empty());
  AdvanceMotions(5.0f);
}

TEST_F(Motion3D, DegenerateTimingRestsOnTheFirstKey) {
  Motions.SetAnimation(&Animation);
  TMotion3D& still = AddMotion(Motions, "Still", 4.0f, 4.0f);
  still.Advance(1.0f);
  still.Advance(2.0f);  // a looping single-key range has no period to divide by
  EXPECT_EQ(Animation.Time(), 4.0f);

  TMotion3D& walk = AddMotion(Motions, "Walk", 2.0f, 10.0f);
  auto noStart = StreamOf(Hex("00 00 20 41 00 00 00 40 00 00 10 40 01 00 00 00 C0 7F 00 00 00 00"));
  walk.LoadFromStream(noStart);  // a start time that is not a number
  walk.Advance(3.0f);
  EXPECT_EQ(Animation.Time(), 2.0f);
}

TEST_F(Motion3D, RecordHoldsRangeTimingFlagsAndPositionAndRoundTrips) {
  TMotion3D& motion = AddMotion(Motions, "Walk", 2.0f, 10.0f);
  motion.SetDuration(2.25f);
  motion.SetLoop(false);
  motion.SetReverse(true);
  motion.Advance(3.5f);  // sets StartTime, and Current to Last
  EXPECT_EQ(ToHex(Saved(motion)), kMotionRecord);

  TMotion3D& loaded = AddMotion(Motions, "Loaded", 0.0f, 0.0f);
  auto stream = StreamOf(Hex(kMotionRecord));
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.First(), 2.0f);
  EXPECT_EQ(loaded.Rate(), 4.0f) << "the rate follows from the duration";
  EXPECT_TRUE(loaded.Reverse());
  EXPECT_EQ(loaded.StartTime(), 3.5f);

  const std::string collectionRecord = std::string("02 00 00 00 04 00 00 00 57 61 6C 6B ") + kMotionRecord +
                                       " 06 00 00 00 4C 6F 61 64 65 64 " + kMotionRecord;
  EXPECT_EQ(ToHex(Saved(Motions)), collectionRecord);
  TCollectionMotion3D copy(nullptr, "Copy");
  auto collectionStream = StreamOf(Hex(collectionRecord));
  copy.LoadFromStream(collectionStream);
  EXPECT_EQ(copy.GetItem(1)->Name(), "Loaded");
  EXPECT_EQ(ToHex(Saved(copy)), collectionRecord);
}

TEST_F(Motion3D, LoadingAppliesTheRangeSettersLastFirstThenDuration) {
  TMotion3D& motion = AddMotion(Motions, "Walk", 3.0f, 10.0f);
  auto below = StreamOf(Hex("00 00 00 40 00 00 00 00 00 00 80 3F 01 00 00 00 00 00 00 00 00 00"));  // Last 2
  EXPECT_EQ(MessageOf([&] { motion.LoadFromStream(below); }), "Motion3D error: Last < First");
  EXPECT_EQ(motion.Last(), 10.0f);
  auto crossed = StreamOf(Hex("00 00 A0 40 00 00 E0 40 00 00 80 3F 01 00 00 00 00 00 00 00 00 00"));  // 5, 7
  EXPECT_EQ(MessageOf([&] { motion.LoadFromStream(crossed); }), "Motion3D error: First > Last");
  EXPECT_EQ(motion.First(), 3.0f);
  auto cut = StreamOf(Hex("00 00 20 41 00 00 00 00 00 00 80 3F 01 00 00 00 00"));
  EXPECT_EQ(MessageOf([&] { motion.LoadFromStream(cut); }), "Stream read error");
}

TEST_F(Motion3D, AssignCopiesRangeTimingFlagsAndPosition) {
  TMotion3D& source = AddMotion(Motions, "Source", 4.0f, 20.0f);
  source.SetDuration(4.25f);
  source.SetLoop(false);
  source.Advance(2.0f);
  TMotion3D& target = AddMotion(Motions, "Target", 1.0f, 6.0f);
  target.Assign(source);
  EXPECT_EQ(ToHex(Saved(target)), ToHex(Saved(source)));
  EXPECT_EQ(target.Rate(), 4.0f);
  EXPECT_EQ(target.Name(), "Target");
  EXPECT_EQ(MessageOf([&] { target.Assign(Animation); }), "Invalid class typecast");
}
