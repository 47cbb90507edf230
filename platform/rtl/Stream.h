#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/rtl/Exceptions.h"

namespace rtl {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// The framework's byte stream. Values cross it little-endian and unpadded whatever the host,
// so files written on one machine read on any other.
class TStream {
 public:
  virtual ~TStream() = default;

  // Reads up to count bytes and returns how many it read.
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  // Writes up to count bytes and returns how many it wrote.
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // Moves the position and returns the new one.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual std::int64_t Size() const = 0;
  virtual std::int64_t Position() const = 0;

  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  // Bytes between the position and the end: what a record read from here can at most hold.
  std::int64_t Remaining() const;

  // Reads exactly count bytes; a short read raises "Stream read error".
  void ReadBuffer(void* buffer, std::int64_t count);
  // Writes exactly count bytes; a short write raises "Stream write error".
  void WriteBuffer(const void* buffer, std::int64_t count);

  // Little-endian arithmetic values of a fixed size.
  template <class T>
  T ReadValue() {
    static_assert(std::is_arithmetic_v<T>);
    T value;
    ReadBuffer(&value, sizeof value);
    return FromLittleEndian(value);
  }
  template <class T>
  void WriteValue(T value) {
    static_assert(std::is_arithmetic_v<T>);
    value = FromLittleEndian(value);
    WriteBuffer(&value, sizeof value);
  }

 private:
  template <class T>
  static T FromLittleEndian(T value) {
    if constexpr (std::endian::native == std::endian::big && sizeof(T) > 1) {
      unsigned char bytes[sizeof(T)];
      std::memcpy(bytes, &value, sizeof(T));
      for (std::size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
      std::memcpy(&value, bytes, sizeof(T));
    }
    return value;
  }
};

}  // namespace rtl
