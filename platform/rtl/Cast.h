#pragma once

#include "platform/rtl/Exceptions.h"

namespace rtl {

// The framework's checked cast: a null source stays null, an object of another class raises
// "Invalid class typecast".
template <class Target, class Source>
Target* CheckedCast(Source* source) {
  if (source == nullptr) return nullptr;
  auto* target = dynamic_cast<Target*>(source);
  if (target == nullptr) throw EInvalidCast();
  return target;
}

template <class Target, class Source>
Target& CheckedCast(Source& source) {
  return *CheckedCast<Target>(&source);
}

}  // namespace rtl
