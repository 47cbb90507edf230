#pragma once

#include <cstdint>

#include "platform/rm/Types.h"
#include "platform/rtl/Faults.h"
#include "platform/rtl/RefCounted.h"
#include "platform/rtl/Result.h"

namespace rm {

constexpr std::int32_t D3DRM_OK = rtl::kOk;
constexpr std::int32_t D3DRMERR_BADVALUE = rtl::MakeDXResult(781);
constexpr std::int32_t D3DRMERR_NOTFOUND = rtl::MakeDXResult(785);
constexpr std::int32_t D3DRMERR_BADOBJECT = rtl::MakeDXResult(782);
constexpr std::int32_t D3DRMERR_FACEUSED = rtl::MakeDXResult(796);
constexpr std::int32_t D3DRMERR_BADFILE = rtl::MakeDXResult(789);

// The body of a plain setter: the injected fault if one is armed for `call`, else the value is
// stored.
template <class T, class V>
std::int32_t StoreSetting(const char* call, T& field, V value) {
  if (const auto code = rtl::faults::Check(call)) return code;
  field = value;
  return rtl::kOk;
}

// Every retained-mode object: reference counted, with a word of application data.
class Object : public rtl::RefCounted {
 public:
  std::int32_t SetAppData(std::uintptr_t data);
  std::uintptr_t GetAppData() const { return FAppData; }

 private:
  std::uintptr_t FAppData = 0;
};

// What a frame can show: meshes, and textures drawn as decals.
class Visual : public Object {};

}  // namespace rm
