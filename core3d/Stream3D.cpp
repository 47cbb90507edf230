#include "core3d/Stream3D.h"

#include "platform/rtl/Exceptions.h"

const char* const kElementFormatError = "Element3D error: Infalid file format";

namespace {
constexpr std::int32_t kMaxHeaderLength = 255;
}

void CheckRemaining(rtl::TStream& stream, std::int64_t bytes) {
  if (bytes > stream.Remaining()) throw rtl::EReadError();
}

std::string ReadString(rtl::TStream& stream) {
  const std::int32_t length = ReadInteger(stream);
  if (length <= 0) return {};
  CheckRemaining(stream, length);
  std::string s(static_cast<std::size_t>(length), '\0');
  stream.ReadBuffer(s.data(), length);
  return s;
}

void WriteString(rtl::TStream& stream, std::string_view s) {
  WriteInteger(stream, static_cast<std::int32_t>(s.size()));
  stream.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
}

std::int32_t ReadCount(rtl::TStream& stream, std::int64_t minRecordBytes) {
  const std::int32_t count = ReadInteger(stream);
  if (count <= 0) return 0;
  CheckRemaining(stream, count * minRecordBytes);
  return count;
}

void ReadFileHeader(rtl::TStream& stream, std::string_view expected, const std::string& formatError) {
  const std::int32_t length = ReadInteger(stream);
  if (length < 1 || length > kMaxHeaderLength) throw rtl::Exception(formatError);
  char header[kMaxHeaderLength];
  stream.ReadBuffer(header, length);
  if (std::string_view(header, static_cast<std::size_t>(length)) != expected) {
    throw rtl::Exception(formatError);
  }
}
