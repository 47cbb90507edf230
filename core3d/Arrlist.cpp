#include "core3d/Arrlist.h"

#include "platform/rtl/Exceptions.h"

void TArrayStrings::Release() {
  if (--FRefCount <= 0) delete this;
}

void TArrayStrings::Destroy() {
  if (--FRefCount > 0) throw rtl::Exception("ArrayStrings error: can't destroy, ref>0");
  delete this;
}

void TArrayStrings::ClearOwned() {
  BeginUpdate();
  FreeObjects();
  Clear();
  EndUpdate();
}

TArrayStrings::~TArrayStrings() {
  BeginUpdate();
  FreeObjects();
  EndUpdate();
}

void TArrayStrings::FreeObjects() {
  for (int i = Count() - 1; i >= 0; --i) {
    delete Objects(i);
    SetObject(i, nullptr);
  }
}
