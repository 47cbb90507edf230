#include "core3d/Collection3D.h"

#include <gtest/gtest.h>

#include "core3d/Reference3D.h"
#include "core3d/Vector3D.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/StreamBytes.h"

using testing_support::ChangeCounter;
using testing_support::Hex;
using testing_support::StreamOf;
using testing_support::Saved;
using testing_support::ToHex;

namespace {

// An item with a value of its own, as the resources are.
class TPointItem : public TItemCollection3D {
 public:
  TPointItem(TCollection3D* collection, const std::string& name) : TItemCollection3D(collection, name) {
    AddElement(&Point);
  }
  const char* ClassName() const override { return "TPointItem"; }
  TVector3D Point;
};

class TPointCollection : public TCollection3D {
 public:
  TPointCollection(TCollection3D* collection, const std::string& name) : TCollection3D(collection, name) {
    SetItemClass(&ItemClassOf<TPointItem>);
  }
};

// An item whose construction fails after it registered itself.
class TFailingItem : public TItemCollection3D {
 public:
  TFailingItem(TCollection3D* collection, const std::string& name) : TItemCollection3D(collection, name) {
    throw rtl::Exception("cannot build " + name);
  }
};

class TFailingCollection : public TCollection3D {
 public:
  TFailingCollection() : TCollection3D(nullptr, "failing") { SetItemClass(&ItemClassOf<TFailingItem>); }
};

// Records the order in which items die.
std::vector<std::string>* gDeaths = nullptr;
class TMortalItem : public TItemCollection3D {
 public:
  using TItemCollection3D::TItemCollection3D;
  ~TMortalItem() override { gDeaths->push_back(Name()); }
};

}  // namespace

TEST(Collection3D, AddRegistersUnderTheNameInInsertionOrderAndFindsCaseInsensitively) {
  TCollection3D collection(nullptr, "all");
  auto* tree = collection.Add("Tree");
  auto* rock = collection.Add("Rock");
  auto* second = collection.Add("TREE");  // names are not checked for uniqueness
  ASSERT_EQ(collection.Count(), 3);
  EXPECT_EQ(collection.GetItem(0), tree);
  EXPECT_EQ(collection.GetItem(1), rock);
  EXPECT_EQ(collection.GetItem(2), second);
  EXPECT_EQ(tree->Collection(), &collection);
  EXPECT_EQ(collection.ItemByName("tReE"), tree) << "the first match wins";
  EXPECT_EQ(std::string(tree->ClassName()), "TItemCollection3D");
}

TEST(Collection3D, MissingNamesAndBadIndexesRaiseTheirMessages) {
  TCollection3D collection(nullptr, "all");
  collection.Add("Tree");
  try {
    collection.ItemByName("Bush");
    FAIL();
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "Collection3D error: Item Bush not found");
  }
  try {
    collection.GetItem(1);
    FAIL();
  } catch (const rtl::EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (1)");
  }
  TCollection3D other(nullptr, "other");
  auto* stranger = other.Add("Stranger");
  try {
    collection.Delete(stranger);
    FAIL();
  } catch (const rtl::EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (-1)");
  }
  EXPECT_EQ(other.Count(), 1);
}

TEST(Collection3D, UniqueNamesStripTrailingDigitsAndTakeTheFirstFreeNumber) {
  TCollection3D collection(nullptr, "all");
  EXPECT_EQ(collection.UniqueName("Tree"), "Tree0001");
  EXPECT_EQ(collection.UniqueName("12"), "0001");
  EXPECT_EQ(collection.UniqueName(""), "0001");
  collection.Add("tree0001");
  EXPECT_EQ(collection.UniqueName("Tree"), "Tree0002");
  EXPECT_EQ(collection.UniqueName("Tree0003"), "Tree0002");
  EXPECT_EQ(collection.UniqueName("Tree7a"), "Tree7a0001");
}

TEST(Collection3D, ClearAndDestructionFreeItemsFromLastToFirst) {
  std::vector<std::string> deaths;
  gDeaths = &deaths;
  {
    TCollection3D collection(nullptr, "all");
    new TMortalItem(&collection, "a");
    new TMortalItem(&collection, "b");
    new TMortalItem(&collection, "c");
    collection.Clear();
    EXPECT_EQ(collection.Count(), 0);
    EXPECT_EQ(deaths, (std::vector<std::string>{"c", "b", "a"}));
    deaths.clear();
    new TMortalItem(&collection, "x");
    new TMortalItem(&collection, "y");
  }
  EXPECT_EQ(deaths, (std::vector<std::string>{"y", "x"}));
  gDeaths = nullptr;
}

TEST(Collection3D, DeleteFreesOnlyThatItem) {
  std::vector<std::string> deaths;
  gDeaths = &deaths;
  TCollection3D collection(nullptr, "all");
  new TMortalItem(&collection, "a");
  auto* b = new TMortalItem(&collection, "b");
  new TMortalItem(&collection, "c");
  collection.Delete(b);
  EXPECT_EQ(deaths, (std::vector<std::string>{"b"}));
  ASSERT_EQ(collection.Count(), 2);
  EXPECT_EQ(collection.GetItem(1)->Name(), "c");
  collection.Clear();
  gDeaths = nullptr;
}

TEST(Collection3D, NestedCollectionsRegisterInTheirParent) {
  TCollection3D root(nullptr, "root");
  auto* child = new TCollection3D(&root, "child");
  child->Add("leaf");
  EXPECT_EQ(root.ItemByName("child"), child);
  EXPECT_EQ(child->Collection(), &root);
}

TEST(Collection3D, AnItemThatFailsToBuildLeavesNoEntryBehind) {
  TFailingCollection collection;
  try {
    collection.Add("Broken");
    FAIL();
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "cannot build Broken");
  }
  EXPECT_EQ(collection.Count(), 0);
}

TEST(Collection3D, AnItemCannotMoveToASecondCollection) {
  TCollection3D first(nullptr, "first");
  TCollection3D second(nullptr, "second");
  auto* item = first.Add("Tree");
  EXPECT_THROW(item->SetCollection(&second), rtl::Exception);
  EXPECT_EQ(second.Count(), 0);
  EXPECT_EQ(item->Collection(), &first);
}

TEST(Collection3D, AssignRecreatesEveryItemUnderTheSourceNamesInOrder) {
  TPointCollection source(nullptr, "source");
  static_cast<TPointItem*>(source.Add("B"))->Point.SetXYZ(1, 2, 3);
  static_cast<TPointItem*>(source.Add("A"))->Point.SetXYZ(4, 5, 6);
  TPointCollection target(nullptr, "target");
  target.Add("Old");
  target.Assign(source);
  ASSERT_EQ(target.Count(), 2);
  EXPECT_EQ(target.GetItem(0)->Name(), "B");
  EXPECT_EQ(target.GetItem(1)->Name(), "A");
  EXPECT_NE(target.GetItem(0), source.GetItem(0));
  EXPECT_EQ(static_cast<TPointItem*>(target.GetItem(1))->Point.Z(), 6.0f);
  EXPECT_EQ(Saved(target), Saved(source));

  target.Assign(target);
  EXPECT_EQ(target.Count(), 2) << "assigning a collection to itself keeps its items";
  TVector3D notACollection;
  EXPECT_THROW(target.Assign(notACollection), rtl::EInvalidCast);
  EXPECT_EQ(target.Count(), 2);
}

TEST(Collection3D, RecordIsCountThenNameAndRecordOfEachItem) {
  TPointCollection empty(nullptr, "empty");
  EXPECT_EQ(ToHex(Saved(empty)), "00 00 00 00");

  TPointCollection points(nullptr, "points");
  static_cast<TPointItem*>(points.Add("P"))->Point.SetXYZ(1, 0, 0);
  EXPECT_EQ(ToHex(Saved(points)), "01 00 00 00 01 00 00 00 50 00 00 80 3F 00 00 00 00 00 00 00 00");
}

TEST(Collection3D, LoadReplacesTheItemsAndSavesBackIdentically) {
  const auto bytes = Hex(
      "02 00 00 00"
      " 00 00 00 00 00 00 80 3F 00 00 00 40 00 00 40 40"   // an empty name, point (1, 2, 3)
      " 04 00 00 00 54 72 65 65 00 00 80 BF 00 00 00 00 00 00 00 00");  // Tree, (-1, 0, 0)
  TPointCollection points(nullptr, "points");
  points.Add("Old");
  auto stream = StreamOf(bytes);
  points.LoadFromStream(stream);
  ASSERT_EQ(points.Count(), 2);
  EXPECT_EQ(points.GetItem(0)->Name(), "");
  EXPECT_EQ(static_cast<TPointItem*>(points.GetItem(0))->Point.Z(), 3.0f);
  EXPECT_EQ(points.ItemByName("tree"), points.GetItem(1));
  EXPECT_EQ(Saved(points), bytes);
}

TEST(Collection3D, DamagedRecordsFailWithReadErrorWithoutHugeAllocations) {
  TPointCollection points(nullptr, "points");
  auto hugeCount = StreamOf(Hex("FF FF FF 7F 00 00 00 00"));
  EXPECT_THROW(points.LoadFromStream(hugeCount), rtl::EReadError);
  EXPECT_EQ(points.Count(), 0);

  auto hugeName = StreamOf(Hex("01 00 00 00 FF FF FF 7F 41"));
  EXPECT_THROW(points.LoadFromStream(hugeName), rtl::EReadError);

  // The cut falls inside the second item: the first stays, as loading rolls nothing back.
  auto truncated = StreamOf(Hex("02 00 00 00 01 00 00 00 41 00 00 80 3F 00 00 00 00 00 00 00 00"
                                " 01 00 00 00 42 00 00 80"));
  EXPECT_THROW(points.LoadFromStream(truncated), rtl::EReadError);
  ASSERT_EQ(points.Count(), 2);
  EXPECT_EQ(static_cast<TPointItem*>(points.GetItem(0))->Point.X(), 1.0f);

  auto negative = StreamOf(Hex("FE FF FF FF"));
  points.LoadFromStream(negative);
  EXPECT_EQ(points.Count(), 0) << "a negative count reads no entries";
}

// ---- references ----

TEST(Reference3D, ResolvesOnceCollectionAndNameAreKnownAndDetachesOnEmptyName) {
  ChangeCounter counter;  // outlives the references it listens to
  TCollection3D collection(nullptr, "all");
  auto* tree = collection.Add("Tree");
  TReference3D reference;
  counter.Listen(reference);

  reference.SetItemName("tree");
  EXPECT_EQ(reference.Item(), nullptr);
  reference.SetCollection(&collection);
  EXPECT_EQ(reference.Item(), tree);
  EXPECT_EQ(reference.ItemName(), "Tree") << "attaching takes the item's own name";
  ASSERT_EQ(tree->References().size(), 1u);
  EXPECT_EQ(tree->References()[0], &reference);
  EXPECT_EQ(counter.Count(), 1);

  reference.SetItemName("");
  EXPECT_EQ(reference.Item(), nullptr);
  EXPECT_TRUE(tree->References().empty());
  EXPECT_EQ(counter.Count(), 2);
}

TEST(Reference3D, CaseOnlyRenameReResolvesToTheSameItemWithoutNotifying) {
  ChangeCounter counter;  // outlives the references it listens to
  TCollection3D collection(nullptr, "all");
  auto* tree = collection.Add("Tree");
  TReference3D reference;
  reference.SetCollection(&collection);
  reference.SetItemName("Tree");
  counter.Listen(reference);
  reference.SetItemName("TREE");
  EXPECT_EQ(reference.Item(), tree);
  EXPECT_EQ(counter.Count(), 0) << "setting the same item again is no change";
  EXPECT_EQ(reference.GetItemName(), "Tree");
}

TEST(Reference3D, FailedLookupKeepsTheNewNameAndThePreviousItem) {
  TCollection3D collection(nullptr, "all");
  auto* tree = collection.Add("Tree");
  TReference3D reference;
  reference.SetCollection(&collection);
  reference.SetItemName("Tree");
  EXPECT_THROW(reference.SetItemName("Bush"), rtl::Exception);
  EXPECT_EQ(reference.ItemName(), "Bush");
  EXPECT_EQ(reference.Item(), tree);
  EXPECT_EQ(reference.GetItemName(), "Tree");
}

TEST(Reference3D, OwnerPassesToTheItemWhileAttached) {
  TCollection3D collection(nullptr, "all");
  auto* tree = collection.Add("Tree");
  TVector3D holder;
  TReference3D reference;
  reference.Owner = &holder;
  reference.SetItem(tree);
  EXPECT_EQ(tree->Owner, &holder);
  reference.SetItem(nullptr);
  EXPECT_EQ(tree->Owner, nullptr);
}

TEST(Reference3D, RecordIsTheNameAndUnresolvedNamesSurviveARoundTrip) {
  TCollection3D collection(nullptr, "all");
  auto* tree = collection.Add("Tree");
  TReference3D reference;
  reference.SetItem(tree);
  EXPECT_EQ(ToHex(Saved(reference)), "04 00 00 00 54 72 65 65");

  TReference3D empty;
  EXPECT_EQ(ToHex(Saved(empty)), "00 00 00 00");

  TReference3D pending;
  pending.SetItemName("Tree");
  auto bytes = Saved(pending);
  TReference3D loaded;
  auto stream = StreamOf(bytes);
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.Item(), nullptr);
  loaded.SetCollection(&collection);
  EXPECT_EQ(loaded.Item(), tree);
}

TEST(Reference3D, LoadingDetachesBeforeReadingTheNewName) {
  TCollection3D collection(nullptr, "all");
  auto* tree = collection.Add("Tree");
  auto* rock = collection.Add("Rock");
  TReference3D reference;
  reference.SetItem(tree);
  auto stream = StreamOf(Hex("04 00 00 00 52 6F 63 6B"));
  reference.LoadFromStream(stream);
  EXPECT_EQ(reference.Item(), rock);
  EXPECT_TRUE(tree->References().empty());
}

TEST(Reference3D, DestroyingAnItemDetachesItsReferencesFromLastToFirst) {
  ChangeCounter counter;  // outlives the references it listens to
  TCollection3D collection(nullptr, "all");
  auto* tree = collection.Add("Tree");
  TReference3D refs[3];
  std::vector<TElement3D*> order;
  for (auto& r : refs) {
    r.SetItem(tree);
    counter.Listen(r);
  }
  collection.Delete(tree);
  ASSERT_EQ(counter.Count(), 3);
  EXPECT_EQ(counter.Senders[0], &refs[2]);
  EXPECT_EQ(counter.Senders[1], &refs[1]);
  EXPECT_EQ(counter.Senders[2], &refs[0]);
  for (auto& r : refs) {
    EXPECT_EQ(r.Item(), nullptr);
    EXPECT_EQ(r.GetItemName(), "Tree") << "the name stays for a later resolve";
  }
}

TEST(Reference3D, ReferenceDyingFirstLeavesTheItemWithoutAList) {
  TCollection3D collection(nullptr, "all");
  auto* tree = collection.Add("Tree");
  {
    TReference3D reference;
    reference.SetItem(tree);
  }
  EXPECT_TRUE(tree->References().empty());
}

TEST(ItemCollection3D, ReferenceListErrors) {
  TCollection3D collection(nullptr, "all");
  auto* tree = collection.Add("Tree");
  TReference3D stranger;
  auto message = [&](auto action) {
    try {
      action();
    } catch (const rtl::Exception& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message([&] { tree->AddReference(nullptr); }), "ItemCollection3D error: Add Reference failed");
  EXPECT_EQ(message([&] { tree->RemoveReference(nullptr); }), "ItemCollection3D error: Delete Reference failed");
  EXPECT_EQ(message([&] { tree->RemoveReference(&stranger); }), "ItemCollection3D error: Reference list not assigned");
  TReference3D attached;
  attached.SetItem(tree);
  EXPECT_EQ(message([&] { tree->RemoveReference(&stranger); }), "Remove reference failed");
}

TEST(ItemCollection3D, NotifyReferencesTellsEveryReferenceInOrder) {
  ChangeCounter counter;  // outlives the references it listens to
  TCollection3D collection(nullptr, "all");
  auto* tree = collection.Add("Tree");
  TReference3D first;
  TReference3D second;
  first.SetItem(tree);
  second.SetItem(tree);
  counter.Listen(first);
  counter.Listen(second);
  tree->NotifyReferences();
  ASSERT_EQ(counter.Count(), 2);
  EXPECT_EQ(counter.Senders[0], &first);
  EXPECT_EQ(counter.Senders[1], &second);
}
