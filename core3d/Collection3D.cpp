#include "core3d/Collection3D.h"

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Text.h"

namespace {
// Every entry of a collection record starts with its name's 4-byte length.
constexpr std::int64_t kMinEntryBytes = 4;
}  // namespace

TCollection3D::TCollection3D(TCollection3D* collection, const std::string& name)
    : TItemCollection3D(collection, name) {}

TCollection3D::~TCollection3D() { Clear(); }

TItemCollection3D* TCollection3D::GetItem(int index) const {
  rtl::CheckListIndex(index, Count());
  return FItems[index].Item.get();
}

TItemCollection3D* TCollection3D::Add(const std::string& name) { return FItemClass(this, name); }

void TCollection3D::Delete(TItemCollection3D* item) {
  const int index = IndexOfItem(item);
  rtl::CheckListIndex(index, Count());
  FreeEntry(index);
}

void TCollection3D::Clear() {
  while (!FItems.empty()) FreeEntry(Count() - 1);
}

// The entry goes first and the item is freed after, so nothing its destructor notifies can find
// a half-destroyed item under its name.
void TCollection3D::FreeEntry(int index) {
  std::unique_ptr<TItemCollection3D> item = std::move(FItems[index].Item);
  FItems.erase(FItems.begin() + index);
  item->FCollection = nullptr;
}

TItemCollection3D* TCollection3D::ItemByName(const std::string& name) const {
  const int index = IndexOfName(name);
  if (index < 0) throw rtl::Exception("Collection3D error: Item " + name + " not found");
  return FItems[index].Item.get();
}

int TCollection3D::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i) {
    if (rtl::SameText(FItems[i].Name, name)) return i;
  }
  return -1;
}

std::string TCollection3D::UniqueName(const std::string& base) const {
  const std::size_t stemEnd = base.find_last_not_of("0123456789");
  const std::string stem = stemEnd == std::string::npos ? std::string() : base.substr(0, stemEnd + 1);
  for (int n = 1;; ++n) {
    std::string candidate = rtl::Format("%s%4.4d", stem, n);
    if (IndexOfName(candidate) < 0) return candidate;
  }
}

void TCollection3D::Assign(const TElement3D& source) {
  TElement3D::Assign(source);
  const auto& other = rtl::CheckedCast<const TCollection3D>(source);
  if (&other == this) return;  // clearing first would leave nothing to copy
  Clear();
  for (const Entry& entry : other.FItems) Add(entry.Item->Name())->Assign(*entry.Item);
}

void TCollection3D::LoadFromStream(rtl::TStream& stream) {
  TItemCollection3D::LoadFromStream(stream);
  Clear();
  const std::int32_t count = ReadCount(stream, kMinEntryBytes);
  for (std::int32_t i = 0; i < count; ++i) {
    const std::string name = ReadString(stream);
    Add(name)->LoadFromStream(stream);
  }
}

void TCollection3D::SaveToStream(rtl::TStream& stream) {
  TItemCollection3D::SaveToStream(stream);
  WriteInteger(stream, Count());
  for (const Entry& entry : FItems) {
    WriteString(stream, entry.Name);
    entry.Item->SaveToStream(stream);
  }
}

void TCollection3D::Register(TItemCollection3D* item) {
  FItems.push_back({item->Name(), std::unique_ptr<TItemCollection3D>(item)});
}

void TCollection3D::Unregister(TItemCollection3D* item) {
  const int index = IndexOfItem(item);
  if (index < 0) return;
  (void)FItems[index].Item.release();  // the item is being destroyed by whoever holds it now
  FItems.erase(FItems.begin() + index);
}

int TCollection3D::IndexOfItem(const TItemCollection3D* item) const {
  for (int i = 0; i < Count(); ++i) {
    if (FItems[i].Item.get() == item) return i;
  }
  return -1;
}
