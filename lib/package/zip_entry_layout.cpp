#include "lib/package/zip_entry_layout.h"

#include <algorithm>
#include <vector>

namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kDirectoryMark = SIZE_MAX;

// The bytes [begin, end) of an entry, or of the directory.
struct Range {
  uint64_t begin = 0;
  uint64_t end = 0;
  size_t entry = kDirectoryMark;
};

// What an entry's local header says.
struct Local {
  Range range;
  uint16_t method = 0;
  uint64_t name_size = 0;
};

// The entry's local header, found where the directory says, and its range
// within the archive; false when either fails.
bool ReadLocal(const ZipDirectoryEntry& entry, uint64_t archive_size, const ZipReadAt& read_at,
               Local& local) {
  unsigned char header[kLocalHeaderSize];
  if (archive_size < kLocalHeaderSize || entry.local_offset > archive_size - kLocalHeaderSize ||
      !read_at(entry.local_offset, header, sizeof header) || ReadLE(header, 4) != kLocalSignature) {
    return false;
  }
  local.method = static_cast<uint16_t>(ReadLE(header + 8, 2));
  local.name_size = ReadLE(header + 26, 2);
  const uint64_t data =
      entry.local_offset + kLocalHeaderSize + local.name_size + ReadLE(header + 28, 2);
  if (data > archive_size || entry.stored_size > archive_size - data) return false;
  local.range.begin = entry.local_offset;
  local.range.end = data + entry.stored_size;
  return true;
}

bool ReadLocalName(const ZipDirectoryEntry& entry, uint64_t name_size, const ZipReadAt& read_at,
                   std::string& name) {
  name.resize(name_size);
  return read_at(entry.local_offset + kLocalHeaderSize, name.data(), name.size());
}

ZipLayoutCheck Fault(ZipLayoutFault fault, size_t entry, size_t other = 0) {
  ZipLayoutCheck check;
  check.fault = fault;
  check.entry = entry;
  check.other = other;
  return check;
}

}  // namespace

ZipLayoutCheck CheckZipLayout(const ZipDirectory& directory, uint64_t archive_size,
                              const ZipReadAt& read_at) {
  const size_t count = directory.entries.size();
  std::vector<Range> ranges;
  ranges.reserve(count + 1);
  ZipLayoutCheck disagreement;
  std::string name;
  for (size_t i = 0; i < count; ++i) {
    const ZipDirectoryEntry& entry = directory.entries[i];
    Local local;
    if (!ReadLocal(entry, archive_size, read_at, local)) {
      return Fault(ZipLayoutFault::kInconsistent, i);
    }
    local.range.entry = i;
    ranges.push_back(local.range);
    if (disagreement.fault != ZipLayoutFault::kNone) continue;
    // A local name is read only when its length is the record's, so the
    // names read together never exceed the directory.
    const bool same_size = local.name_size == entry.name.size();
    if (same_size && !ReadLocalName(entry, local.name_size, read_at, name)) {
      return Fault(ZipLayoutFault::kInconsistent, i);
    }
    if (!same_size || name != entry.name) {
      disagreement = Fault(ZipLayoutFault::kOtherName, i);
      // Read for the message, once.
      if (!ReadLocalName(entry, local.name_size, read_at, disagreement.local_name)) {
        return Fault(ZipLayoutFault::kInconsistent, i);
      }
    } else if (local.method != entry.method) {
      disagreement = Fault(ZipLayoutFault::kOtherMethod, i);
      disagreement.local_method = local.method;
    }
  }
  ranges.push_back({directory.offset, directory.offset + directory.bytes.size(), kDirectoryMark});
  // Sorted by where they begin, ranges apart from one another each end
  // before the next begins: one pass over neighbours finds any overlap.
  std::sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) {
    return a.begin != b.begin ? a.begin < b.begin : a.entry < b.entry;
  });
  for (size_t i = 1; i < ranges.size(); ++i) {
    const Range& before = ranges[i - 1];
    const Range& range = ranges[i];
    if (range.begin >= before.end) continue;
    if (range.entry == kDirectoryMark)
      return Fault(ZipLayoutFault::kOverlapsDirectory, before.entry);
    if (before.entry == kDirectoryMark)
      return Fault(ZipLayoutFault::kOverlapsDirectory, range.entry);
    return Fault(ZipLayoutFault::kSharesBytes, range.entry, before.entry);
  }
  return disagreement;
}
