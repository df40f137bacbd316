#include "lib/foundation/str_array.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "lib/foundation/base_class.h"
#include "lib/foundation/exception.h"
#include "platform/kernel/file_system.h"
#include "tests/support/debug_capture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::string> Keys(const CStrArray& list) {
  std::vector<std::string> keys;
  for (int i = 0; i < list.Count(); ++i) keys.push_back(list.GetString(i));
  return keys;
}

using Keyset = std::vector<std::string>;

// Counts its own destructions, to see what a list destroys.
class CTracked : public CBaseClass {
 public:
  explicit CTracked(int& destroyed) : destroyed_(destroyed) {}
  ~CTracked() override { ++destroyed_; }

 private:
  int& destroyed_;
};

class CTrackedCollection : public CCollection {
 public:
  explicit CTrackedCollection(int& destroyed) : destroyed_(destroyed) {}
  CBaseClass* CreateItem() override { return new CTracked(destroyed_); }

 private:
  int& destroyed_;
};

}  // namespace

TEST(CStrArray, SortedByKeyFoldsOnlyAsciiLetters) {
  CStrArray list;
  list.SortMode = StrArraySort::ByKey;
  for (const char* key : {"b", "D", "a"}) list.Add(key);
  EXPECT_EQ(Keys(list), (Keyset{"a", "b", "D"}));
  int index;
  EXPECT_TRUE(list.IndexOf("d", index));
  EXPECT_EQ(index, 2);
  list.Add("Я");
  EXPECT_FALSE(list.IndexOf("я", index));
  EXPECT_EQ(index, -1);
  EXPECT_EQ(list.LastIndex(), 4);  // "я" sorts after every key
}

TEST(CStrArray, CompareModes) {
  struct Case {
    uint8_t mode;
    bool abc_matches_ABC;
  } cases[] = {{0, true}, {1, false}, {2, true}, {3, false}};
  for (const Case& c : cases) {
    CStrArray list;
    list.SetCompareMode(c.mode);
    list.Add("ABC");
    int index;
    EXPECT_EQ(list.IndexOf("abc", index), c.abc_matches_ABC) << int(c.mode);
  }
  CStrArray list;
  list.SetCompareMode(1);
  list.SetCompareMode(7);  // kept, but the comparison stays exact
  EXPECT_EQ(list.CompareMode(), 7);
  list.Add("ABC");
  int index;
  EXPECT_FALSE(list.IndexOf("abc", index));
}

TEST(CStrArray, DuplicatePolicies) {
  int object = 0;
  CStrArray ignore;
  ignore.SortMode = StrArraySort::ByKey;
  ignore.Duplicates = StrArrayDuplicates::Ignore;
  ignore.Add("a");
  ignore.Add("b");
  EXPECT_EQ(ignore.Add("B"), 1);
  EXPECT_EQ(ignore.AddObject("a", &object), -1);
  EXPECT_EQ(ignore.Count(), 2);
  EXPECT_EQ(ignore.GetObject(0), nullptr);

  CStrArray error;
  error.SortMode = StrArraySort::ByKey;
  error.Duplicates = StrArrayDuplicates::Error;
  error.Add("a");
  DebugCapture debug;
  try {
    error.AddObject("A", &object);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "StrArray Error: Duplicate identificator [A]");
  }
  EXPECT_EQ(debug.Lines().size(), 1u);
  EXPECT_EQ(error.Count(), 1);

  CStrArray by_object;
  by_object.SortMode = StrArraySort::ByObject;
  by_object.Duplicates = StrArrayDuplicates::Error;
  int other = 0;
  by_object.AddObject("x", &object);
  by_object.AddObject("y", &other);
  int found;
  ASSERT_TRUE(by_object.IndexOfObject(&other, found));
  try {
    by_object.AddObject("z", &other);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              "StrArray Error: Duplicate identificator [" + std::to_string(found) + "]");
  }
}

TEST(CStrArray, AcceptedDuplicateLandsBeforeTheOneMet) {
  int first = 0, second = 0;
  CStrArray list;
  list.SortMode = StrArraySort::ByKey;
  list.AddObject("k", &first);
  EXPECT_EQ(list.AddObject("k", &second), 0);
  EXPECT_EQ(list.GetObject(0), &second);
  EXPECT_EQ(list.GetObject(1), &first);
}

TEST(CStrArray, UnsortedAcceptsDuplicatesAndFindsTheFirst) {
  CStrArray list;
  list.Add("x");
  list.Add("y");
  list.Add("X");
  int index;
  ASSERT_TRUE(list.IndexOf("X", index));
  EXPECT_EQ(index, 0);
  EXPECT_EQ(list.LastIndex(), 3);
}

TEST(CStrArray, ObjectsOrderByAddressAcrossTheWholeRange) {
  // Far-apart addresses must still order by address.
  auto* low = reinterpret_cast<void*>(uintptr_t{0x10});
  auto* high = reinterpret_cast<void*>(~uintptr_t{0} - 0x10);
  CStrArray list;
  list.SortMode = StrArraySort::ByObject;
  list.AddObject("high", high);
  list.AddObject("low", low);
  EXPECT_EQ(Keys(list), (Keyset{"low", "high"}));
  int index;
  EXPECT_TRUE(list.IndexOfObject(high, index));
  EXPECT_EQ(index, 1);
  list.SetCount(0);  // owns nothing: the fake addresses are never touched
}

TEST(CStrArray, CapacityGrowth) {
  CStrArray list;
  std::vector<int> capacities{list.Capacity()};
  for (int i = 0; i < 64; ++i) {
    list.Add("k");
    if (list.Capacity() != capacities.back()) capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{0, 4, 8, 16, 32, 48, 64}));
  list.SetCount(70);
  EXPECT_EQ(list.Capacity(), 70);
  EXPECT_EQ(list.GetString(69), "");
  list.Clear();
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(CStrArray, ElementLimitLeavesTheListUnchanged) {
  CStrArray list;
  list.Add("a");
  DebugCapture debug;
  for (int n : {CStrArray::kMaxCount + 1, -1}) {
    try {
      list.SetCapacity(n);
      FAIL();
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "StrArray raised the maximum number of elements");
    }
  }
  EXPECT_TRUE(debug.Lines().empty());
  EXPECT_EQ(Keys(list), Keyset{"a"});
}

TEST(CStrArray, OwnershipModes) {
  int destroyed = 0;
  {
    CStrArray owning;
    owning.OwnsObjects = StrArrayOwnership::Destroy;
    for (const char* key : {"a", "b", "c", "d"}) owning.AddObject(key, new CTracked(destroyed));
    owning.Delete(1);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(Keys(owning), (Keyset{"a", "c", "d"}));
    owning.SetObject(0, new CTracked(destroyed));
    EXPECT_EQ(destroyed, 2);
    owning.Clear();
    EXPECT_EQ(destroyed, 5);
    owning.AddObject("e", new CTracked(destroyed));
  }
  EXPECT_EQ(destroyed, 6);  // the destructor clears

  CTracked kept(destroyed);
  {
    CStrArray borrowing;
    borrowing.AddObject("k", &kept);
    borrowing.Delete(0);
    borrowing.AddObject("k", &kept);
  }
  EXPECT_EQ(destroyed, 6);

  CStrArray raw;
  raw.OwnsObjects = StrArrayOwnership::FreeMemory;
  raw.AddObject("m", std::malloc(16));  // freed by the list; ASan reports a leak otherwise
}

TEST(CStrArray, DeleteEventSeesEveryRelease) {
  int object = 0;
  std::vector<std::pair<void*, int>> events;
  CStrArray list;
  list.OnDeleteObject = [&](CStrArray&, void* o, int i) { events.emplace_back(o, i); };
  list.AddObject("a", &object);  // the empty slot is released first
  list.Add("b");
  list.Delete(0);
  EXPECT_EQ(events, (std::vector<std::pair<void*, int>>{{nullptr, 0}, {&object, 0}}));
}

TEST(CStrArray, TextJoinAndSplit) {
  CStrArray list;
  EXPECT_EQ(list.GetText(), "");
  EXPECT_EQ(list.Join(", "), "");
  list.Add("a");
  list.Add("b");
  EXPECT_EQ(list.GetText(), "a\r\nb\r\n");
  EXPECT_EQ(list.Join(", "), "a, b");

  struct Case {
    const char* text;
    Keyset pieces;
  } cases[] = {
      {"a, b,,c", {"a", "b", "", "c"}},
      {"", {""}},
      {"a,", {"a", ""}},
      {" \t x \r\n", {"x"}},
  };
  for (const Case& c : cases) {
    SplitString(c.text, ',', list);
    EXPECT_EQ(Keys(list), c.pieces) << c.text;
  }
}

TEST(CStrArray, SaveToFileAndStream) {
  TempDir dir;
  CStrArray list;
  list.Add("первая");
  list.Add("b");
  const std::string file = dir.File("list.txt");
  std::ofstream(file) << std::string(100, 'z');
  list.SaveToFile(file);
  EXPECT_EQ(ReadBytes(file), "первая\r\nb\r\n");
  try {
    list.SaveToFile(dir.File("none/list.txt"));
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot create file \"" + dir.File("none/list.txt") +
                               "\". Не удается найти указанный файл");
  }
}

TEST(CCollection, OwnsTheItemsItMakes) {
  int destroyed = 0;
  {
    CTrackedCollection collection(destroyed);
    CBaseClass* item = collection.Add();
    EXPECT_EQ(collection.Item(0), item);
    EXPECT_EQ(collection.GetString(0), "");
    collection.Add();
    collection.Clear();
    EXPECT_EQ(destroyed, 2);
    collection.Add();
  }
  EXPECT_EQ(destroyed, 3);
}
