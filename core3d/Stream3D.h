#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/rtl/Stream.h"

// Primitive encodings of the element stream: little-endian 32-bit integers, single floats,
// one-byte booleans and small enumerations, colours as 32-bit values, and strings as a 32-bit
// length followed by that many bytes of 8-bit text.
//
// The stream may come from a damaged or hostile file: every length and count is checked against
// the bytes that remain before anything is allocated or looped over, so bad input ends in
// "Stream read error" rather than in an exhausted memory.

inline std::int32_t ReadInteger(rtl::TStream& stream) { return stream.ReadValue<std::int32_t>(); }
inline void WriteInteger(rtl::TStream& stream, std::int32_t value) { stream.WriteValue(value); }

inline float ReadSingle(rtl::TStream& stream) { return stream.ReadValue<float>(); }
inline void WriteSingle(rtl::TStream& stream, float value) { stream.WriteValue(value); }

inline std::uint8_t ReadByte(rtl::TStream& stream) { return stream.ReadValue<std::uint8_t>(); }
inline void WriteByte(rtl::TStream& stream, std::uint8_t value) { stream.WriteValue(value); }

inline std::uint32_t ReadColor(rtl::TStream& stream) { return stream.ReadValue<std::uint32_t>(); }
inline void WriteColor(rtl::TStream& stream, std::uint32_t value) { stream.WriteValue(value); }

// A negative length reads as the empty string with no bytes.
std::string ReadString(rtl::TStream& stream);
// Writes the length and the bytes.
void WriteString(rtl::TStream& stream, std::string_view s);

// Reads a count of records that each take at least minRecordBytes bytes; a count that the rest of
// the stream cannot hold raises "Stream read error". Zero or less means no records and returns 0.
std::int32_t ReadCount(rtl::TStream& stream, std::int64_t minRecordBytes);
// Checks that `bytes` more bytes remain before a block of that size is allocated.
void CheckRemaining(rtl::TStream& stream, std::int64_t bytes);

// "Element3D error: Infalid file format"
extern const char* const kElementFormatError;

// File framing: a header string of 1 to 255 bytes that must equal `expected` exactly; any other
// length or text raises `formatError`.
void ReadFileHeader(rtl::TStream& stream, std::string_view expected, const std::string& formatError);
