#include "core3d/Structure3D.h"

#include <gtest/gtest.h>

#include "core3d/Angle3D.h"
#include "core3d/Box3D.h"
#include "core3d/Rotation3D.h"
#include "core3d/Vector3D.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/StreamBytes.h"

using testing_support::ChangeCounter;
using testing_support::Hex;
using testing_support::StreamOf;
using testing_support::ToHex;

namespace {

// A notifying handler that fails, as a platform call behind a change handler can.
struct FailingListener {
  void Handle(TElement3D*) { throw rtl::Exception("listener failed"); }
};

}  // namespace

TEST(Structure3D, NotifiesOncePerChangeOutsideBracketsAndOncePerOutermostBracket) {
  TBox3D box;
  ChangeCounter counter;
  counter.Listen(box);

  box.Min.SetXYZ(1, 2, 3);
  box.Max.SetXYZ(4, 5, 6);
  EXPECT_EQ(counter.Count(), 2);
  EXPECT_EQ(counter.Senders.back(), &box);

  box.BeginUpdate();
  box.Min.SetXYZ(7, 8, 9);
  box.BeginUpdate();
  box.Max.SetXYZ(10, 11, 12);
  box.Min.SetCoord(0, 1);
  box.EndUpdate();
  EXPECT_EQ(counter.Count(), 2) << "an inner bracket closing must not notify";
  box.EndUpdate();
  EXPECT_EQ(counter.Count(), 3);
  EXPECT_FALSE(box.Modified());
}

TEST(Structure3D, ChangeOutsideBracketMarksModifiedSoNextEmptyBracketNotifiesOnce) {
  TBox3D box;
  ChangeCounter counter;
  counter.Listen(box);
  box.Min.SetXYZ(1, 1, 1);
  EXPECT_EQ(counter.Count(), 1);
  EXPECT_TRUE(box.Modified());

  box.BeginUpdate();
  box.EndUpdate();
  EXPECT_EQ(counter.Count(), 2);
  box.BeginUpdate();
  box.EndUpdate();
  EXPECT_EQ(counter.Count(), 2);
}

TEST(Structure3D, UnchangedValuesDoNotNotify) {
  TBox3D box;
  ChangeCounter counter;
  counter.Listen(box);
  box.Min.SetXYZ(0, 0, 0);
  box.SetBox({{0, 0, 0}, {0, 0, 0}});
  EXPECT_EQ(counter.Count(), 0);
}

TEST(Structure3D, AssignCopiesEveryElementWithOneNotification) {
  TBox3D source;
  source.SetBox({{1, 2, 3}, {4, 5, 6}});
  TBox3D target;
  ChangeCounter counter;
  counter.Listen(target);
  target.Assign(source);
  EXPECT_EQ(counter.Count(), 1);
  EXPECT_EQ(target.Max.Z(), 6.0f);
  EXPECT_EQ(target.Min.X(), 1.0f);
}

TEST(Structure3D, AssignFromStructureOfOtherSizeFailsAndChangesNothing) {
  TRotation3D rotation;  // two elements
  TStructure3D empty;    // none
  rotation.SetRotation(0, 1, 0, 0.5f);
  try {
    rotation.Assign(empty);
    FAIL() << "assign must fail";
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "Structure3D error: Differece elements assign failed");
  }
  EXPECT_EQ(rotation.Angle.Value(), 0.5f);
}

TEST(Structure3D, AssignFromAnotherClassIsAnInvalidTypecast) {
  TBox3D box;
  TAngle3D angle;
  EXPECT_THROW(box.Assign(angle), rtl::EInvalidCast);
  EXPECT_THROW(angle.Assign(box), rtl::EInvalidCast);
}

TEST(Structure3D, LoadReadsElementsInRegistrationOrderWithOneNotification) {
  TRotation3D rotation;
  ChangeCounter counter;
  counter.Listen(rotation);
  auto stream = StreamOf(Hex("00 00 00 00 00 00 80 3F 00 00 00 00 00 00 00 3F"));
  rotation.LoadFromStream(stream);
  EXPECT_EQ(counter.Count(), 1);
  EXPECT_EQ(rotation.Axis.Y(), 1.0f);
  EXPECT_EQ(rotation.Angle.Value(), 0.5f);
}

TEST(Structure3D, FailedLoadClosesItsBracketAndReportsTheReadError) {
  TBox3D box;
  ChangeCounter counter;
  counter.Listen(box);
  auto stream = StreamOf(Hex("00 00 80 3F 00 00 00 40 00 00 40 40 00 00"));  // one vector and a half
  EXPECT_THROW(box.LoadFromStream(stream), rtl::EReadError);
  EXPECT_EQ(box.UpdateCount(), 0);
  EXPECT_EQ(box.Min.Z(), 3.0f) << "what was read before the cut stays";
  EXPECT_EQ(counter.Count(), 1) << "the closing bracket still tells observers";
}

TEST(Structure3D, HandlerFailingWhileALoadFailsDoesNotHideTheLoadError) {
  TBox3D box;
  FailingListener listener;
  box.OnChange = TNotifyEvent::Bind<&FailingListener::Handle>(&listener);
  auto stream = StreamOf(Hex("00 00 80 3F"));
  EXPECT_THROW(box.LoadFromStream(stream), rtl::EReadError);

  auto good = StreamOf(Hex("00 00 80 3F 00 00 00 40 00 00 40 40 00 00 80 3F 00 00 00 40 00 00 40 40"));
  try {
    box.LoadFromStream(good);
    FAIL() << "the handler's error must reach the caller of a load that succeeded";
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "listener failed");
  }
}
