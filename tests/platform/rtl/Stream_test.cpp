// Memory and file streams: exact reads, positions, sizes, and the framework's messages.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

#include "platform/rtl/FileStream.h"
#include "platform/rtl/MemoryStream.h"
#include "tests/support/StreamBytes.h"

using testing_support::Hex;
using testing_support::TempDir;
using testing_support::ToHex;

TEST(MemoryStream, ReadsWritesAndSeeksLikeAFile) {
  rtl::TMemoryStream stream;
  stream.WriteValue<std::int32_t>(0x01020304);
  stream.WriteValue<std::uint16_t>(0xA0B0);
  EXPECT_EQ(ToHex(stream.Bytes()), "04 03 02 01 B0 A0");
  EXPECT_EQ(stream.Size(), 6);
  EXPECT_EQ(stream.Position(), 6);
  EXPECT_EQ(stream.Remaining(), 0);

  stream.Seek(-2, rtl::TSeekOrigin::soEnd);
  EXPECT_EQ(stream.ReadValue<std::uint16_t>(), 0xA0B0);
  stream.SetPosition(2);
  stream.WriteValue<std::uint8_t>(0xFF);  // overwrite inside
  EXPECT_EQ(ToHex(stream.Bytes()), "04 03 FF 01 B0 A0");
  stream.Seek(10, rtl::TSeekOrigin::soBeginning);
  EXPECT_EQ(stream.Remaining(), 0) << "a position past the end leaves nothing to read";
  char c;
  EXPECT_EQ(stream.Read(&c, 1), 0);
  stream.Seek(-100, rtl::TSeekOrigin::soCurrent);
  EXPECT_EQ(stream.Position(), 0);
  stream.SetSize(3);
  EXPECT_EQ(ToHex(stream.Bytes()), "04 03 FF");
}

TEST(MemoryStream, ShortReadRaisesStreamReadErrorAndReadsWhatThereIs) {
  rtl::TMemoryStream stream(Hex("01 02 03"));
  std::uint8_t buffer[4] = {};
  try {
    stream.ReadBuffer(buffer, 4);
    FAIL();
  } catch (const rtl::EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
  EXPECT_EQ(buffer[2], 3);
  EXPECT_THROW(stream.ReadBuffer(buffer, -1), rtl::EReadError);
  stream.ReadBuffer(buffer, 0);
}

TEST(FileStream, WritesThenReadsBackWithSizeAndPosition) {
  TempDir dir;
  const std::string name = dir.File("data.bin");
  {
    rtl::TFileStream file(name, rtl::TFileMode::fmCreate);
    file.WriteValue<std::int32_t>(7);
    file.WriteValue<float>(0.5f);
    EXPECT_EQ(file.Size(), 8);
    file.SetPosition(0);
    EXPECT_EQ(file.ReadValue<std::int32_t>(), 7);
    file.Flush();
  }
  rtl::TFileStream file(name, rtl::TFileMode::fmOpenRead);
  EXPECT_EQ(file.Size(), 8);
  file.Seek(4, rtl::TSeekOrigin::soBeginning);
  EXPECT_EQ(file.ReadValue<float>(), 0.5f);
  EXPECT_EQ(file.Remaining(), 0);
  EXPECT_THROW(file.ReadValue<std::uint8_t>(), rtl::EReadError);
  EXPECT_EQ(file.Write("x", 1), 0) << "a file opened for reading takes no bytes";
  EXPECT_THROW(file.WriteBuffer("x", 1), rtl::EWriteError);
}

TEST(FileStream, CreateTruncatesAnExistingFile) {
  TempDir dir;
  const std::string name = dir.File("data.bin");
  std::ofstream(name) << "old contents";
  { rtl::TFileStream file(name, rtl::TFileMode::fmCreate); }
  rtl::TFileStream file(name, rtl::TFileMode::fmOpenRead);
  EXPECT_EQ(file.Size(), 0);
}

TEST(FileStream, OpenAndCreateFailuresNameTheFile) {
  TempDir dir;
  try {
    rtl::TFileStream file(dir.File("absent"), rtl::TFileMode::fmOpenRead);
    FAIL();
  } catch (const rtl::EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.File("absent"));
  }
  try {
    rtl::TFileStream file(dir.File("a/b"), rtl::TFileMode::fmCreate);
    FAIL();
  } catch (const rtl::EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir.File("a/b"));
  }
}

TEST(FileStream, AFullDiskIsReportedNotSwallowed) {
  rtl::TFileStream full("/dev/full", rtl::TFileMode::fmCreate);
  std::vector<std::uint8_t> block(256 * 1024, 1);
  EXPECT_THROW(
      {
        full.WriteBuffer(block.data(), static_cast<std::int64_t>(block.size()));
        full.Flush();
      },
      rtl::EWriteError);
}

TEST(MemoryStream, LoadsAndSavesWholeFiles) {
  TempDir dir;
  rtl::TMemoryStream stream(Hex("DE AD BE EF"));
  stream.SaveToFile(dir.File("m.bin"));
  rtl::TMemoryStream loaded;
  loaded.LoadFromFile(dir.File("m.bin"));
  EXPECT_EQ(loaded.Bytes(), stream.Bytes());
  EXPECT_EQ(loaded.Position(), 0);
  EXPECT_THROW(loaded.LoadFromFile(dir.File("none")), rtl::EFOpenError);
}
