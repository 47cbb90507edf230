#include "core3d/Arrlist.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"

namespace {

// Counts its own destruction.
class TCounted : public rtl::TObject {
 public:
  explicit TCounted(std::vector<int>* deaths, int id) : FDeaths(deaths), FId(id) {}
  ~TCounted() override { FDeaths->push_back(FId); }

 private:
  std::vector<int>* FDeaths;
  int FId;
};

}  // namespace

TEST(ArrayStrings, DestroyFreesEveryAttachedObjectOnceFromLastToFirst) {
  std::vector<int> deaths;
  auto* list = new TArrayStrings;
  EXPECT_EQ(list->RefCount(), 1);
  list->AddObject("640X480X16", new TCounted(&deaths, 1));
  list->Add("Window mode");  // no object: skipped
  list->AddObject("800X600X16", new TCounted(&deaths, 2));
  list->Destroy();
  EXPECT_EQ(deaths, (std::vector<int>{2, 1}));
}

TEST(ArrayStrings, ReleaseOnAFreshListDestroysIt) {
  std::vector<int> deaths;
  auto* list = new TArrayStrings;
  list->AddObject("a", new TCounted(&deaths, 1));
  list->Release();
  EXPECT_EQ(deaths, (std::vector<int>{1}));
}

TEST(ArrayStrings, DestroyWhileAnotherHolderRemainsFailsAndKeepsTheList) {
  std::vector<int> deaths;
  auto* list = new TArrayStrings;
  list->AddObject("a", new TCounted(&deaths, 1));
  list->AddRef();
  try {
    list->Destroy();
    FAIL() << "destroying a held list must fail";
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "ArrayStrings error: can't destroy, ref>0");
  }
  EXPECT_TRUE(deaths.empty());
  EXPECT_EQ(list->RefCount(), 1);
  EXPECT_EQ(list->Count(), 1);
  list->Release();
  EXPECT_EQ(deaths, (std::vector<int>{1}));
}

TEST(ArrayStrings, FindsEntriesCaseInsensitivelyInInsertionOrder) {
  auto* list = new TArrayStrings;
  list->Add("Window mode");
  list->Add("640X480X8");
  list->Add("WINDOW MODE");
  EXPECT_EQ(list->IndexOf("window mode"), 0);
  EXPECT_EQ(list->IndexOf("640x480x8"), 1);
  EXPECT_EQ(list->IndexOf("1024X768X8"), -1);
  list->Destroy();
}

TEST(ArrayStrings, ClearOwnedFreesTheObjectsOnceAndKeepsTheListUsable) {
  std::vector<int> deaths;
  auto* list = new TArrayStrings;
  list->AddObject("a", new TCounted(&deaths, 1));
  list->AddObject("b", new TCounted(&deaths, 2));
  list->ClearOwned();
  EXPECT_EQ(deaths, (std::vector<int>{2, 1}));
  EXPECT_EQ(list->Count(), 0);
  list->AddObject("c", new TCounted(&deaths, 3));
  list->Destroy();
  EXPECT_EQ(deaths, (std::vector<int>{2, 1, 3}));
}
