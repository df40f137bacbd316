#include "lib/foundation/str_array.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "lib/foundation/base_class.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/text_routines.h"
#include "platform/com/unknwn.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/compare_string.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/file_system.h"

namespace {

int Ordinal(const std::string& a, const std::string& b, uint32_t flags) {
  return CompareStringA(LOCALE_USER_DEFAULT, flags, a, b) - CSTR_EQUAL;
}

int CompareFolded(const std::string& a, const std::string& b) {
  return Ordinal(a, b, NORM_IGNORECASE);
}
int CompareExact(const std::string& a, const std::string& b) { return Ordinal(a, b, 0); }

// Objects order by address. A three-way comparison: a difference of two
// pointers does not fit the result on 64-bit systems.
int CompareAddresses(CStrArray&, void* a, void* b) {
  const auto x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace

CStrArray::CStrArray() : ObjectCompare(CompareAddresses), key_compare_(CompareFolded) {}

CStrArray::~CStrArray() { Clear(); }

void CStrArray::CheckLimit(int n) {
  CheckCondition(n >= 0 && n <= kMaxCount, "StrArray raised the maximum number of elements");
}

void CStrArray::Clear() {
  SetCount(0);
  SetCapacity(0);
}

void CStrArray::SetCompareMode(uint8_t mode) {
  compare_mode_ = mode;
  switch (mode) {
    case 0:
    case 2: key_compare_ = CompareFolded; break;
    case 1:
    case 3: key_compare_ = CompareExact; break;
    default: break;
  }
}

// `Capacity` is the number of slots the list reports, which grows by the
// small steps of `Grow`; the storage under it grows geometrically, so that
// filling a list copies each item a bounded number of times.
void CStrArray::SetCapacity(int capacity) {
  CheckLimit(capacity);
  const bool shrinking = capacity < Capacity();
  items_.resize(capacity);
  if (shrinking) items_.shrink_to_fit();
}

void CStrArray::SetCount(int count) {
  CheckLimit(count);
  if (count < count_) {
    for (int i = count; i < count_; ++i) {
      ReleaseObject(i);
      items_[i].key.clear();
    }
  } else if (count > count_) {
    SetCapacity(count);
  }
  count_ = count;
}

void CStrArray::Grow() {
  const int capacity = Capacity();
  SetCapacity(capacity + (capacity <= 4 ? 4 : capacity <= 8 ? 8 : 16));
}

void CStrArray::ReleaseObject(int index) {
  void* object = items_[index].object;
  if (OnDeleteObject) OnDeleteObject(*this, object, index);
  items_[index].object = nullptr;
  if (object == nullptr) return;
  switch (OwnsObjects) {
    case StrArrayOwnership::None: break;
    case StrArrayOwnership::Destroy: delete static_cast<CBaseClass*>(object); break;
    case StrArrayOwnership::FreeMemory: std::free(object); break;
    case StrArrayOwnership::ComRelease: static_cast<IUnknown*>(object)->Release(); break;
  }
}

void CStrArray::SetObject(int index, void* object) {
  ReleaseObject(index);
  items_[index].object = object;
}

void CStrArray::PutObject(int index, void* object) { SetObject(index, object); }

// Bisection: `compare(i)` compares the searched value with item i. On a
// miss `last_index_` is where the value belongs.
template <typename Compare>
bool CStrArray::Bisect(Compare compare, int& index) {
  last_index_ = count_;
  int lo = 0, hi = count_ - 1;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    const int c = compare(mid);
    if (c <= 0) last_index_ = mid;
    if (c == 0) {
      index = mid;
      return true;
    }
    if (c < 0) {
      hi = mid - 1;
    } else {
      lo = mid + 1;
    }
  }
  index = -1;
  return false;
}

bool CStrArray::FindKey(const std::string& key, int& index) {
  return Bisect([&](int i) { return key_compare_(key, items_[i].key); }, index);
}

bool CStrArray::FindObject(void* object, int& index) {
  return Bisect([&](int i) { return ObjectCompare(*this, object, items_[i].object); }, index);
}

bool CStrArray::IndexOf(const std::string& key, int& index) {
  if (SortMode == StrArraySort::ByKey) return FindKey(key, index);
  last_index_ = count_;
  for (int i = 0; i < count_; ++i) {
    if (key_compare_(key, items_[i].key) == 0) {
      index = i;
      return true;
    }
  }
  index = -1;
  return false;
}

bool CStrArray::IndexOfObject(void* object, int& index) {
  if (SortMode == StrArraySort::ByObject) return FindObject(object, index);
  last_index_ = count_;
  for (int i = 0; i < count_; ++i) {
    if (ObjectCompare(*this, object, items_[i].object) == 0) {
      index = i;
      return true;
    }
  }
  index = -1;
  return false;
}

int CStrArray::Insert(int position, const std::string& key) {
  if (count_ == Capacity()) Grow();
  for (int i = count_; i > position; --i) {
    items_[i].key.swap(items_[i - 1].key);
    items_[i].object = items_[i - 1].object;
  }
  items_[position].key = key;
  items_[position].object = nullptr;
  ++count_;
  return position;
}

int CStrArray::AddObject(const std::string& key, void* object) {
  int position = count_;
  if (SortMode != StrArraySort::Unsorted) {
    int found;
    const bool by_key = SortMode == StrArraySort::ByKey;
    if (by_key ? FindKey(key, found) : FindObject(object, found)) {
      if (Duplicates == StrArrayDuplicates::Ignore) return -1;
      if (Duplicates == StrArrayDuplicates::Error) {
        RaiseErrorFmt("StrArray Error: Duplicate identificator [%s]",
                      {by_key ? key : std::to_string(found)});
      }
    }
    position = last_index_;
  }
  CheckLimit(count_ + 1);
  Insert(position, key);
  SetObject(position, object);
  return position;
}

int CStrArray::Add(const std::string& key) {
  int position = count_;
  if (SortMode == StrArraySort::ByKey) {
    int found;
    if (FindKey(key, found)) {
      if (Duplicates == StrArrayDuplicates::Ignore) return found;
      if (Duplicates == StrArrayDuplicates::Error) {
        RaiseErrorFmt("StrArray Error: Duplicate identificator [%s]", {key});
      }
    }
    position = last_index_;
  }
  CheckLimit(count_ + 1);
  return Insert(position, key);
}

void CStrArray::Delete(int index) {
  ReleaseObject(index);
  for (int i = index; i + 1 < count_; ++i) {
    items_[i].key.swap(items_[i + 1].key);
    items_[i].object = items_[i + 1].object;
  }
  --count_;
  items_[count_] = Slot{};
}

std::string CStrArray::GetText() const {
  std::string text;
  for (int i = 0; i < count_; ++i) {
    text += items_[i].key;
    text += "\r\n";
  }
  return text;
}

std::string CStrArray::Join(const std::string& separator) const {
  std::string text;
  for (int i = 0; i < count_; ++i) {
    if (i > 0) text += separator;
    text += items_[i].key;
  }
  return text;
}

void CStrArray::SaveToFile(const std::string& file_name) {
  const int fd = ::open(SysPath(file_name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    const uint32_t code = ErrnoToSystemError(errno);
    throw Exception(
        Format("Cannot create file \"%s\". %s", {file_name, TrimmedSysErrorText(code)}));
  }
  try {
    SaveToStream(fd, false);
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
}

void CStrArray::SaveToStream(int fd, bool truncate) {
  const std::string text = GetText();
  struct stat st;
  if (truncate && ::fstat(fd, &st) == 0 && st.st_size > static_cast<off_t>(text.size())) {
    if (::ftruncate(fd, static_cast<off_t>(text.size())) != 0)
      throw Exception("Stream write error");
  }
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw Exception("Stream write error");
    written += static_cast<size_t>(n);
  }
}

CCollection::CCollection() { OwnsObjects = StrArrayOwnership::Destroy; }

CBaseClass* CCollection::Add() {
  CBaseClass* item = CreateItem();
  AddObject(std::string(), item);
  return item;
}

void SplitString(const std::string& text, char delimiter, CStrArray& list) {
  list.Clear();
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(delimiter, start);
    list.Add(Trim(text.substr(start, end == std::string::npos ? std::string::npos : end - start)));
    if (end == std::string::npos) break;
    start = end + 1;
  }
}
