#include "scene/Item3D.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core3d/Stream3D.h"
#include "tests/scene/FrameTest.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using namespace testing_support;

namespace {

// The comment follows the frame record as a length-prefixed string.
std::vector<std::uint8_t> CommentOf(TItem3D& item) {
  const std::vector<std::uint8_t> bytes = Saved(item);
  TFrame3D frame;
  return {bytes.begin() + static_cast<std::ptrdiff_t>(Saved(frame).size()), bytes.end()};
}

}  // namespace

TEST_F(FrameTest, ItemRecordIsTheFrameRecordThenTheCommentAndLoadsBackExactly) {
  TItem3D item;
  EXPECT_EQ(ToHex(CommentOf(item)), ToHex(Hex("00 00 00 00")));

  item.SetComment("abc");
  item.SetTag(9);
  EXPECT_EQ(ToHex(CommentOf(item)), ToHex(Hex("03 00 00 00 61 62 63")));

  TItem3D copy;
  copy.SetParent(&Scene);
  auto stream = StreamOf(Saved(item));
  copy.LoadFromStream(stream);
  EXPECT_EQ(copy.Comment(), "abc");
  EXPECT_EQ(copy.Tag(), 9);
  EXPECT_EQ(copy.Parent(), &Scene);  // loading replaces the content, not the place in the tree
  EXPECT_EQ(Saved(copy), Saved(item));
}

TEST_F(FrameTest, ItemCommentLongerThanTheStreamRaisesInsteadOfAllocating) {
  TItem3D item;
  std::vector<std::uint8_t> bytes = Saved(item);
  bytes.resize(bytes.size() - 4);
  for (std::uint8_t b : Hex("FF FF FF 7F 61")) bytes.push_back(b);
  auto stream = StreamOf(bytes);
  ExpectRaises([&] { item.LoadFromStream(stream); }, "Stream read error");
}

TEST_F(FrameTest, ItemAssignCopiesFrameAndCommentAndRefusesOtherClasses) {
  TItem3D source;
  source.SetParent(&Scene);
  source.SetComment("note");
  source.GetPosition().SetXYZ(1, 2, 3);
  TItem3D target;
  target.Assign(source);
  EXPECT_EQ(target.Comment(), "note");
  ExpectVector(target.GetPosition(), 1, 2, 3);
  EXPECT_EQ(target.Construction(), nullptr);
  EXPECT_EQ(Saved(target), Saved(source));

  TFrame3D plain;
  ExpectRaises([&] { target.Assign(plain); }, "Invalid class typecast");
  EXPECT_EQ(target.Comment(), "note");
}
