// The library's one container: an ordered array of (key, object) items that
// can stay sorted by key or by object and can own its objects.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CBaseClass;

enum class StrArraySort : uint8_t { Unsorted = 0, ByKey = 1, ByObject = 2 };
enum class StrArrayDuplicates : uint8_t { Accept = 0, Ignore = 1, Error = 2 };
// What releasing an item's object does. `Destroy` deletes it as a
// `CBaseClass` (the objects of such a list must be of that family),
// `FreeMemory` frees a malloc'ed block, `ComRelease` drops one COM reference.
enum class StrArrayOwnership : uint8_t { None = 0, Destroy = 1, FreeMemory = 2, ComRelease = 3 };

class CStrArray {
 public:
  static constexpr int kMaxCount = (1 << 27) - 1;

  using ObjectCompareFn = std::function<int(CStrArray& list, void* a, void* b)>;
  using KeyCompareFn = int (*)(const std::string& a, const std::string& b);
  using DeleteObjectEvent = std::function<void(CStrArray& list, void* object, int index)>;

  CStrArray();
  virtual ~CStrArray();
  CStrArray(const CStrArray&) = delete;
  CStrArray& operator=(const CStrArray&) = delete;

  int Count() const { return count_; }
  int LastIndex() const { return last_index_; }
  int Capacity() const { return static_cast<int>(items_.size()); }
  uint8_t CompareMode() const { return compare_mode_; }

  void Clear();
  int Add(const std::string& key);
  int AddObject(const std::string& key, void* object);
  void Delete(int index);
  const std::string& GetString(int index) const { return items_[index].key; }
  void* GetObject(int index) const { return items_[index].object; }
  void SetObject(int index, void* object);
  virtual void PutObject(int index, void* object);
  bool IndexOf(const std::string& key, int& index);
  bool IndexOfObject(void* object, int& index);
  // 0: bytes with a-z folded; 1: bytes; 2, 3: the locale comparison with and
  // without case folding. Other values are kept but change nothing.
  void SetCompareMode(uint8_t mode);
  void SetCapacity(int capacity);
  void SetCount(int count);
  virtual void Grow();
  std::string GetText() const;
  // Creates or truncates the file and writes `GetText` into it.
  virtual void SaveToFile(const std::string& file_name);
  // Writes `GetText` at the descriptor's position; with `truncate`, a longer
  // file is first cut to the text's length.
  virtual void SaveToStream(int fd, bool truncate);
  std::string Join(const std::string& separator) const;

  // Set right after creation, before the first item.
  StrArraySort SortMode = StrArraySort::Unsorted;
  StrArrayDuplicates Duplicates = StrArrayDuplicates::Accept;
  StrArrayOwnership OwnsObjects = StrArrayOwnership::None;
  ObjectCompareFn ObjectCompare;
  DeleteObjectEvent OnDeleteObject;

 private:
  struct Slot {
    std::string key;
    void* object = nullptr;
  };

  template <typename Compare>
  bool Bisect(Compare compare, int& index);
  bool FindKey(const std::string& key, int& index);
  bool FindObject(void* object, int& index);
  int Insert(int position, const std::string& key);
  void ReleaseObject(int index);
  static void CheckLimit(int n);

  std::vector<Slot> items_;  // size() is the capacity
  int count_ = 0;
  int last_index_ = 0;
  uint8_t compare_mode_ = 0;
  KeyCompareFn key_compare_;
};

// An owning list whose items are made by a virtual factory.
class CCollection : public CStrArray {
 public:
  CCollection();
  virtual CBaseClass* CreateItem() = 0;
  // Makes an item and adds it under the empty key.
  CBaseClass* Add();
  CBaseClass* Item(int index) const { return static_cast<CBaseClass*>(GetObject(index)); }
  using CStrArray::Add;
};

// Clears `list`, then adds each trimmed piece between delimiters; the piece
// after the last delimiter is always added.
void SplitString(const std::string& text, char delimiter, CStrArray& list);
