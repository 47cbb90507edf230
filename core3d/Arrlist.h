#pragma once

#include <cstdint>

#include "platform/rtl/StringList.h"

// A string list that owns the objects attached to its entries and carries a holder count. It is
// ended with Destroy or Release, never with delete: ending it while another holder remains is an
// error that leaves it alive.
class TArrayStrings : public rtl::TStringList {
 public:
  TArrayStrings() = default;

  // A further holder.
  void AddRef() { ++FRefCount; }
  // Drops one holder; the last one frees the list and its objects.
  void Release();
  // Drops one holder and frees the list; raises "ArrayStrings error: can't destroy, ref>0" and
  // frees nothing when another holder remains.
  void Destroy();

  std::int32_t RefCount() const { return FRefCount; }

  // Frees every attached object and empties the list, as one change.
  void ClearOwned();

  // Ends a list through Destroy, for owners that keep one in a std::unique_ptr.
  struct Deleter {
    void operator()(TArrayStrings* list) const { list->Destroy(); }
  };

 protected:
  // Frees the attached objects from the last to the first.
  ~TArrayStrings() override;

 private:
  void FreeObjects();

  std::int32_t FRefCount = 1;
};
