// The element stream's primitives and the file framing around an element's record.

#include "core3d/Stream3D.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>

#include "core3d/Collection3D.h"
#include "core3d/Color3D.h"
#include "core3d/ListBox3D.h"
#include "core3d/Vector3D.h"
#include "platform/rtl/FileStream.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using testing_support::Hex;
using testing_support::StreamOf;
using testing_support::TempDir;
using testing_support::MessageOf;
using testing_support::ToHex;

namespace {

std::vector<std::uint8_t> FileBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& fileName, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(fileName, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A header of `length` bytes followed by a vector record.
std::vector<std::uint8_t> FramedVector(const std::string& header) {
  rtl::TMemoryStream stream;
  WriteString(stream, header);
  WriteSingle(stream, 1);
  WriteSingle(stream, 2);
  WriteSingle(stream, 3);
  return stream.Bytes();
}

}  // namespace

TEST(Stream3D, PrimitivesAreLittleEndianAndUnpadded) {
  rtl::TMemoryStream stream;
  WriteInteger(stream, -2);
  WriteSingle(stream, 1.0f);
  WriteByte(stream, 1);
  WriteColor(stream, 0x281E140Au);
  WriteString(stream, "Tree");
  WriteString(stream, "");
  EXPECT_EQ(ToHex(stream.Bytes()), "FE FF FF FF 00 00 80 3F 01 0A 14 1E 28 04 00 00 00 54 72 65 65 00 00 00 00");

  stream.SetPosition(0);
  EXPECT_EQ(ReadInteger(stream), -2);
  EXPECT_EQ(ReadSingle(stream), 1.0f);
  EXPECT_EQ(ReadByte(stream), 1);
  EXPECT_EQ(ReadColor(stream), 0x281E140Au);
  EXPECT_EQ(ReadString(stream), "Tree");
  EXPECT_EQ(ReadString(stream), "");
  EXPECT_EQ(stream.Remaining(), 0);
}

TEST(Stream3D, StringLengthsAreCheckedBeforeAnythingIsAllocated) {
  auto negative = StreamOf(Hex("FF FF FF FF 41 42"));
  EXPECT_EQ(ReadString(negative), "");
  EXPECT_EQ(negative.Position(), 4) << "a negative length reads no bytes";

  auto huge = StreamOf(Hex("FF FF FF 7F 41 42"));
  EXPECT_THROW(ReadString(huge), rtl::EReadError);
  auto oneShort = StreamOf(Hex("03 00 00 00 41 42"));
  EXPECT_THROW(ReadString(oneShort), rtl::EReadError);
  auto noLength = StreamOf(Hex("03 00"));
  EXPECT_THROW(ReadString(noLength), rtl::EReadError);
}

TEST(Stream3D, CountsMustFitInTheRestOfTheStream) {
  auto fits = StreamOf(Hex("02 00 00 00 00 00 00 00 00 00 00 00"));
  EXPECT_EQ(ReadCount(fits, 4), 2);
  auto tooMany = StreamOf(Hex("03 00 00 00 00 00 00 00 00 00 00 00"));
  EXPECT_THROW(ReadCount(tooMany, 4), rtl::EReadError);
  auto negative = StreamOf(Hex("00 00 00 80"));
  EXPECT_EQ(ReadCount(negative, 4), 0);
  auto overflowing = StreamOf(Hex("FF FF FF 7F"));
  EXPECT_THROW(ReadCount(overflowing, 1 << 30), rtl::EReadError);
}

TEST(ElementFile, SavesTheClassNameThenTheRecordAndLoadsItBack) {
  TempDir dir;
  const std::string file = dir.File("vector.q3d");
  TVector3D vector;
  vector.SetXYZ(1, 2, 3);
  vector.SaveToFile(file);
  EXPECT_EQ(FileBytes(file), FramedVector("TVector3D"));

  TVector3D loaded;
  loaded.LoadFromFile(file);
  EXPECT_EQ(loaded.Y(), 2.0f);
  loaded.SaveToFile(file);
  EXPECT_EQ(FileBytes(file), FramedVector("TVector3D"));

  TElement3D element;
  element.SaveToFile(file);
  EXPECT_EQ(ToHex(FileBytes(file)), "0A 00 00 00 54 45 6C 65 6D 65 6E 74 33 44");
}

TEST(ElementFile, RejectsAnotherClassAndBadHeaderLengthsBeforeReadingValues) {
  TempDir dir;
  const std::string file = dir.File("world.q3d");
  WriteBytes(file, FramedVector("TVector3D"));
  TVector3D vector;
  vector.LoadFromFile(file);
  TColor3D color;
  color.SetColor(0x12345678u);
  EXPECT_EQ(MessageOf([&] { color.LoadFromFile(file); }), "Element3D error: Infalid file format");
  EXPECT_EQ(color.GetColor(), 0x12345678u);

  WriteBytes(file, FramedVector(""));
  EXPECT_EQ(MessageOf([&] { vector.LoadFromFile(file); }), "Element3D error: Infalid file format");
  WriteBytes(file, FramedVector(std::string(256, 'T')));
  EXPECT_EQ(MessageOf([&] { vector.LoadFromFile(file); }), "Element3D error: Infalid file format");
  WriteBytes(file, FramedVector("tvector3d"));
  EXPECT_EQ(MessageOf([&] { vector.LoadFromFile(file); }), "Element3D error: Infalid file format")
      << "the class name is compared case-sensitively";
  WriteBytes(file, Hex("FF FF FF FF"));
  EXPECT_EQ(MessageOf([&] { vector.LoadFromFile(file); }), "Element3D error: Infalid file format");
  WriteBytes(file, Hex("09 00"));
  EXPECT_EQ(MessageOf([&] { vector.LoadFromFile(file); }), "Stream read error");
  EXPECT_EQ(vector.X(), 1.0f);
}

TEST(ElementFile, AHeaderOf255BytesIsAcceptedWhenItMatches) {
  TempDir dir;
  const std::string file = dir.File("long.q3d");
  const std::string header(255, 'x');
  WriteBytes(file, FramedVector(header));
  rtl::TFileStream stream(file, rtl::TFileMode::fmOpenRead);
  ReadFileHeader(stream, header, "bad header");
  EXPECT_EQ(stream.Remaining(), 12);

  rtl::TFileStream other(file, rtl::TFileMode::fmOpenRead);
  EXPECT_EQ(MessageOf([&] { ReadFileHeader(other, std::string(254, 'x'), "bad header"); }), "bad header");
}

TEST(ElementFile, BytesAfterTheRecordAreIgnored) {
  TempDir dir;
  const std::string file = dir.File("tail.q3d");
  auto bytes = FramedVector("TVector3D");
  bytes.push_back(0xAB);
  WriteBytes(file, bytes);
  TVector3D vector;
  vector.LoadFromFile(file);
  EXPECT_EQ(vector.Z(), 3.0f);
}

TEST(ElementFile, TruncatedFileFailsWithReadErrorAfterFillingWhatWasRead) {
  TempDir dir;
  const std::string file = dir.File("collection.q3d");
  TCollection3D collection(nullptr, "all");
  collection.Add("Tree");
  collection.Add("Rock");
  collection.SaveToFile(file);
  auto bytes = FileBytes(file);
  bytes.pop_back();
  WriteBytes(file, bytes);

  TCollection3D loaded(nullptr, "loaded");
  EXPECT_EQ(MessageOf([&] { loaded.LoadFromFile(file); }), "Stream read error");
  ASSERT_EQ(loaded.Count(), 1);
  EXPECT_EQ(loaded.GetItem(0)->Name(), "Tree");
}

TEST(ElementFile, BoxCountThatTheRestOfTheFileCannotHoldFailsBeforeReadingBoxes) {
  TempDir dir;
  const std::string file = dir.File("boxes.q3d");
  TListBox3D boxes;
  boxes.AddBox()->SetBox({{1, 1, 1}, {2, 2, 2}});
  boxes.AddBox()->SetBox({{3, 3, 3}, {4, 4, 4}});
  boxes.SaveToFile(file);
  auto bytes = FileBytes(file);
  bytes.pop_back();
  WriteBytes(file, bytes);

  TListBox3D loaded;
  loaded.AddBox();
  EXPECT_EQ(MessageOf([&] { loaded.LoadFromFile(file); }), "Stream read error");
  EXPECT_EQ(loaded.BoxCount(), 0);
  EXPECT_EQ(loaded.Box.Max.X(), 4.0f) << "the stored union before the count was read";
}

TEST(ElementFile, MissingAndUncreatableFilesRaiseTheFrameworkMessages) {
  TempDir dir;
  TVector3D vector;
  const std::string missing = dir.File("missing.q3d");
  EXPECT_EQ(MessageOf([&] { vector.LoadFromFile(missing); }), "Cannot open file " + missing);
  const std::string uncreatable = dir.File("no/such/folder.q3d");
  EXPECT_EQ(MessageOf([&] { vector.SaveToFile(uncreatable); }), "Cannot create file " + uncreatable);
  EXPECT_EQ(MessageOf([&] { vector.LoadFromFile(dir.Path()); }), "Cannot open file " + dir.Path());
}

TEST(ElementFile, CollectionRoundTripGivesIdenticalBytes) {
  TempDir dir;
  const std::string file = dir.File("collection.q3d");
  TCollection3D collection(nullptr, "all");
  collection.Add("Tree");
  collection.Add("");
  collection.Add("Rock");
  collection.SaveToFile(file);
  const auto first = FileBytes(file);

  TCollection3D loaded(nullptr, "loaded");
  loaded.LoadFromFile(file);
  ASSERT_EQ(loaded.Count(), 3);
  EXPECT_EQ(loaded.GetItem(2)->Name(), "Rock");
  loaded.SaveToFile(file);
  EXPECT_EQ(FileBytes(file), first);
}
