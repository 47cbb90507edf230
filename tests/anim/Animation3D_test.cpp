#include "anim/Animation3D.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core3d/Angle3D.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using namespace testing_support;

namespace {

// A key holding one value, as real keys hold positions or pictures.
class TValueKey : public TKey3D {
 public:
  explicit TValueKey(TAnimation3D* animation, std::vector<float>* deaths = nullptr)
      : TKey3D(animation), FDeaths(deaths) {
    AddElement(&Value);
  }
  ~TValueKey() override {
    if (FDeaths != nullptr) FDeaths->push_back(Value.Value());
  }
  TAngle3D Value;

 private:
  std::vector<float>* FDeaths;
};

// Records every Update as "name@time" in a log shared by a tree of animations.
class TLogAnimation : public TAnimation3D {
 public:
  explicit TLogAnimation(std::string name = "a", std::vector<std::string>* log = nullptr)
      : FName(std::move(name)), FLog(log) {}
  std::unique_ptr<TKey3D> CreateKey() override { return std::make_unique<TValueKey>(this, KeyDeaths); }
  void Update() override {
    if (FLog != nullptr) FLog->push_back(FName + "@" + std::to_string(Time()));
  }
  void AddValue(float value) { static_cast<TValueKey*>(AddKey())->Value.SetValue(value); }
  void MarkBuilt() { SetRebuild(false); }

  std::vector<float>* KeyDeaths = nullptr;

 private:
  std::string FName;
  std::vector<std::string>* FLog;
};

// An animation that holds no keys, like the one that only restarts a sound.
class TKeylessAnimation : public TAnimation3D {
 public:
  std::unique_ptr<TKey3D> CreateKey() override { return nullptr; }
};

// Tag -2, AlwaysAnimate 1, two keys holding 1.0 and 0.5.
const char* const kTwoKeyRecord = "FE FF FF FF 01 02 00 00 00 00 00 80 3F 00 00 00 3F";

}  // namespace

TEST(Animation3D, SetTimeReachesTheWholeTreeChildrenBeforeTheirParent) {
  std::vector<std::string> log;
  TLogAnimation root("root", &log);
  TLogAnimation first("first", &log);
  TLogAnimation second("second", &log);
  TLogAnimation grandchild("grand", &log);
  root.AddAnimation(first);
  root.AddAnimation(second);
  first.AddAnimation(grandchild);

  root.SetTime(2.5f);

  EXPECT_EQ(log, (std::vector<std::string>{"grand@2.500000", "first@2.500000", "second@2.500000", "root@2.500000"}));
  EXPECT_EQ(grandchild.Time(), 2.5f);
  EXPECT_EQ(grandchild.ParentAnimation(), &first);
  EXPECT_EQ(root.ChildCount(), 2);
  EXPECT_EQ(root.GetChild(1), &second);
  EXPECT_EQ(MessageOf([&] { root.GetChild(2); }), "List index out of bounds (2)");
}

// A child has one parent, so the parent's list is the only one its destructor must leave.
TEST(Animation3D, AChildIsLinkedToOneParentAndUnlinkedWhenEitherDies) {
  TLogAnimation root;
  TLogAnimation other;
  auto child = std::make_unique<TLogAnimation>();
  root.AddAnimation(*child);
  EXPECT_EQ(MessageOf([&] { root.AddAnimation(*child); }), "Add animation >1");
  EXPECT_EQ(MessageOf([&] { root.RemoveAnimation(other); }), "Remove object failed");

  other.AddAnimation(*child);  // moves it
  EXPECT_EQ(root.ChildCount(), 0);
  EXPECT_EQ(child->ParentAnimation(), &other);
  other.RemoveAnimation(*child);
  EXPECT_EQ(child->ParentAnimation(), nullptr);
  EXPECT_EQ(MessageOf([&] { other.RemoveAnimation(*child); }), "Remove object failed");

  root.AddAnimation(*child);
  child.reset();
  EXPECT_EQ(root.ChildCount(), 0);
  root.SetTime(3.0f);  // would reach the freed child otherwise

  {
    TLogAnimation parent;
    parent.AddAnimation(other);
  }
  EXPECT_EQ(other.ParentAnimation(), nullptr);
}

TEST(Animation3D, SetActivePassesOnlyRealChangesToTheChildren) {
  TLogAnimation root;
  TLogAnimation child;
  root.AddAnimation(child);
  EXPECT_TRUE(root.Active());

  root.SetActive(false);
  EXPECT_FALSE(child.Active());

  child.SetActive(true);
  root.SetActive(false);  // no change here, so the child keeps its own state
  EXPECT_TRUE(child.Active());

  root.SetActive(true);
  EXPECT_TRUE(child.Active());
}

TEST(Animation3D, KeysKnowTheirAnimationMarkItChangedAndDieLastFirst) {
  std::vector<float> deaths;
  TLogAnimation animation;
  animation.KeyDeaths = &deaths;
  EXPECT_TRUE(animation.Rebuild());
  animation.MarkBuilt();

  animation.AddValue(1.0f);
  EXPECT_TRUE(animation.Rebuild());
  EXPECT_EQ(animation.GetKey(0)->KeyAnimation(), &animation);
  animation.MarkBuilt();
  animation.Invalidate();
  EXPECT_TRUE(animation.Rebuild());

  animation.AddValue(2.0f);
  animation.AddValue(3.0f);
  EXPECT_EQ(MessageOf([&] { animation.GetKey(3); }), "List index out of bounds (3)");
  animation.ClearKeys();
  EXPECT_EQ(animation.KeyCount(), 0);
  EXPECT_EQ(deaths, (std::vector<float>{3.0f, 2.0f, 1.0f}));
}

TEST(Animation3D, RecordIsTagFlagCountAndKeysAndRoundTrips) {
  TLogAnimation animation;
  animation.SetTag(-2);
  animation.SetAlwaysAnimate(true);
  animation.AddValue(1.0f);
  animation.AddValue(0.5f);
  animation.SetTime(7.0f);
  EXPECT_EQ(ToHex(Saved(animation)), kTwoKeyRecord);

  TLogAnimation loaded;
  loaded.AddValue(9.0f);  // loading replaces the keys
  loaded.MarkBuilt();
  loaded.SetTime(4.0f);
  auto stream = StreamOf(Hex(kTwoKeyRecord));
  loaded.LoadFromStream(stream);

  EXPECT_EQ(stream.Position(), stream.Size());
  EXPECT_EQ(ToHex(Saved(loaded)), kTwoKeyRecord);
  EXPECT_TRUE(loaded.AlwaysAnimate());
  EXPECT_EQ(loaded.GetKey(1)->KeyAnimation(), &loaded);
  EXPECT_TRUE(loaded.Rebuild());
  EXPECT_EQ(loaded.Time(), 4.0f) << "the time is not part of the record";
}

TEST(Animation3D, DamagedRecordsRaiseStreamReadError) {
  TLogAnimation animation;
  // A key count far beyond the bytes that follow is refused before any key is made.
  auto huge = StreamOf(Hex("00 00 00 00 00 FF FF FF 7F 00 00 80 3F"));
  EXPECT_EQ(MessageOf([&] { animation.LoadFromStream(huge); }), "Stream read error");
  EXPECT_EQ(animation.KeyCount(), 0);

  auto cut = StreamOf(Hex("00 00 00 00 00 02 00 00 00 00 00 80 3F 00 00"));
  EXPECT_EQ(MessageOf([&] { animation.LoadFromStream(cut); }), "Stream read error");

  // An animation that holds no keys cannot read a record that claims some.
  TKeylessAnimation keyless;
  auto claimed = StreamOf(Hex("00 00 00 00 00 01 00 00 00 00 00 80 3F"));
  EXPECT_EQ(MessageOf([&] { keyless.LoadFromStream(claimed); }), "Stream read error");
  auto none = StreamOf(Hex("05 00 00 00 00 00 00 00 00"));
  keyless.LoadFromStream(none);
  EXPECT_EQ(keyless.Tag(), 5);
  EXPECT_EQ(ToHex(Saved(keyless)), "05 00 00 00 00 00 00 00 00");
}

TEST(Animation3D, AssignCopiesKeysAndFieldsThenTakesTheSourceTime) {
  std::vector<std::string> log;
  TLogAnimation source;
  source.SetTag(12);
  source.SetAlwaysAnimate(true);
  source.AddValue(4.0f);
  source.AddValue(5.0f);
  source.SetTime(1.5f);

  TLogAnimation target("target", &log);
  TLogAnimation child("child", &log);
  target.AddAnimation(child);
  target.AddValue(8.0f);
  target.MarkBuilt();
  target.Assign(source);

  EXPECT_EQ(ToHex(Saved(target)), ToHex(Saved(source)));
  EXPECT_EQ(target.GetKey(0)->KeyAnimation(), &target);
  EXPECT_TRUE(target.Rebuild());
  EXPECT_EQ(log, (std::vector<std::string>{"child@1.500000", "target@1.500000"}));
  EXPECT_EQ(target.ChildCount(), 1) << "children are not copied";

  target.Assign(target);
  EXPECT_EQ(target.KeyCount(), 2) << "assigning to itself keeps the keys";

  TKeylessAnimation keyless;
  EXPECT_EQ(MessageOf([&] { keyless.Assign(source); }), "Invalid class typecast");
  TAngle3D angle;
  EXPECT_EQ(MessageOf([&] { target.Assign(angle); }), "Invalid class typecast");
}
