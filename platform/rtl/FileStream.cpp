#include "platform/rtl/FileStream.h"

#include <sys/stat.h>

#include <algorithm>

namespace rtl {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : FFileName(fileName) {
  const bool create = mode == TFileMode::fmCreate;
  FFile = std::fopen(fileName.c_str(), create ? "w+b" : "rb");
  struct stat info {};
  if (FFile == nullptr || fstat(fileno(FFile), &info) != 0 || S_ISDIR(info.st_mode)) {
    if (FFile != nullptr) std::fclose(FFile);
    if (create) throw EFCreateError(fileName);
    throw EFOpenError(fileName);
  }
  std::setvbuf(FFile, nullptr, _IOFBF, kBufferSize);
  FSize = info.st_size;
}

TFileStream::~TFileStream() { std::fclose(FFile); }

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  const auto n = static_cast<std::int64_t>(fread_unlocked(buffer, 1, static_cast<std::size_t>(count), FFile));
  FPosition += n;
  return n;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  const auto n = static_cast<std::int64_t>(fwrite_unlocked(buffer, 1, static_cast<std::size_t>(count), FFile));
  FPosition += n;
  FSize = std::max(FSize, FPosition);
  return n;
}

void TFileStream::Flush() {
  if (std::fflush(FFile) != 0) throw EWriteError();
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t target = offset;
  if (origin == TSeekOrigin::soCurrent) target += FPosition;
  if (origin == TSeekOrigin::soEnd) target += FSize;
  if (target >= 0 && fseeko(FFile, target, SEEK_SET) == 0) FPosition = target;
  return FPosition;
}

}  // namespace rtl
