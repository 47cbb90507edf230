#include "platform/rtl/StringList.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Text.h"

namespace rtl {

int TStringList::AddObject(const std::string& s, TObject* object) {
  FItems.push_back({s, object});
  Modify();
  return Count() - 1;
}

void TStringList::Insert(int index, const std::string& s, TObject* object) {
  if (index < 0 || index > Count()) throw EListError(index);
  FItems.insert(FItems.begin() + index, {s, object});
  Modify();
}

void TStringList::Delete(int index) {
  CheckListIndex(index, Count());
  FItems.erase(FItems.begin() + index);
  Modify();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  Modify();
}

const std::string& TStringList::Strings(int index) const {
  CheckListIndex(index, Count());
  return FItems[index].Text;
}

void TStringList::SetString(int index, const std::string& s) {
  CheckListIndex(index, Count());
  FItems[index].Text = s;
  Modify();
}

TObject* TStringList::Objects(int index) const {
  CheckListIndex(index, Count());
  return FItems[index].Object;
}

void TStringList::SetObject(int index, TObject* object) {
  CheckListIndex(index, Count());
  FItems[index].Object = object;
  Modify();
}

int TStringList::IndexOf(const std::string& s) const {
  for (int i = 0; i < Count(); ++i) {
    if (SameText(FItems[i].Text, s)) return i;
  }
  return -1;
}

int TStringList::IndexOfObject(const TObject* object) const {
  for (int i = 0; i < Count(); ++i) {
    if (FItems[i].Object == object) return i;
  }
  return -1;
}

void TStringList::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FModified) {
    FModified = false;
    OnChange(this);
  }
}

void TStringList::Modify() {
  if (FUpdateCount > 0) {
    FModified = true;
  } else {
    OnChange(this);
  }
}

}  // namespace rtl
