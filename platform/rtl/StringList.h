#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Event.h"
#include "platform/rtl/Object.h"

namespace rtl {

// The framework's string list: ordered (string, object) pairs, unsorted, duplicates allowed,
// lookups case-insensitive. It does not own the attached objects; lists that do derive from it.
class TStringList : public TObject {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }

  int Add(const std::string& s) { return AddObject(s, nullptr); }
  int AddObject(const std::string& s, TObject* object);
  void Insert(int index, const std::string& s, TObject* object = nullptr);
  void Delete(int index);
  void Clear();

  const std::string& Strings(int index) const;
  void SetString(int index, const std::string& s);
  TObject* Objects(int index) const;
  void SetObject(int index, TObject* object);

  // First entry whose text equals s case-insensitively, or -1.
  int IndexOf(const std::string& s) const;
  int IndexOfObject(const TObject* object) const;

  // Brackets a burst of changes; OnChange fires once, when the outermost bracket closes.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // Fires after each change made outside any bracket.
  TEvent<TStringList*> OnChange;

 private:
  struct Entry {
    std::string Text;
    TObject* Object;
  };
  void Modify();

  std::vector<Entry> FItems;
  int FUpdateCount = 0;
  bool FModified = false;
};

}  // namespace rtl
