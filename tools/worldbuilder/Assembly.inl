#pragma once

#include "platform/rtl/Cast.h"

namespace worldbuilder {

template <class T>
T& AddItem(TConstruction3D& construction, const char* className, TFrame3D* parent) {
  auto& item = rtl::CheckedCast<T>(*construction.CreateItem(className));
  item.SetParent(parent != nullptr ? parent : &construction.Root());
  return item;
}

}  // namespace worldbuilder
