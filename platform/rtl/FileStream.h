#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/rtl/Stream.h"

namespace rtl {

enum class TFileMode {
  fmOpenRead,  // an existing file, read only; "Cannot open file %s" when it cannot be opened
  fmCreate,    // a new or truncated file, read and write; "Cannot create file %s" otherwise
};

// A stream over a file on disk, buffered, so records of a few bytes each read at file speed.
class TFileStream : public TStream {
 public:
  TFileStream(const std::string& fileName, TFileMode mode);
  ~TFileStream() override;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() const override { return FSize; }
  std::int64_t Position() const override { return FPosition; }

  // Pushes buffered bytes to the file; a failure (a full disk) raises "Stream write error",
  // so a save is never reported as done when its bytes did not land.
  void Flush();

  const std::string& FileName() const { return FFileName; }

 private:
  std::string FFileName;
  std::FILE* FFile = nullptr;
  // Kept here rather than asked of the system, so that the bound checks of every count read
  // from an untrusted file cost nothing.
  std::int64_t FSize = 0;
  std::int64_t FPosition = 0;
};

}  // namespace rtl
