#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Stream.h"

namespace rtl {

// A stream over bytes held in memory; grows as it is written.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> bytes) : FBytes(std::move(bytes)) {}

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() const override { return static_cast<std::int64_t>(FBytes.size()); }
  std::int64_t Position() const override { return FPosition; }

  void SetSize(std::int64_t size);
  void Clear();
  const std::vector<std::uint8_t>& Bytes() const { return FBytes; }

  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;

 private:
  std::vector<std::uint8_t> FBytes;
  std::int64_t FPosition = 0;
};

}  // namespace rtl
