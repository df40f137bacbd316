#include "lib/package/zip_directory.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace {

constexpr uint32_t kEndRecordSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kDirectorySignature = 0x02014b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kZip64EndSize = 56;
constexpr size_t kDirectoryRecordSize = 46;
constexpr uint16_t kZip64ExtraId = 0x0001;
constexpr uint64_t kZip64Mark = 0xFFFFFFFF;

struct DirectoryPlace {
  uint64_t count = 0;
  uint64_t size = 0;
  uint64_t offset = 0;
  // Where a directory read by this record ends: where the record begins,
  // or its ZIP64 end record.
  uint64_t ends_at = 0;
};

// The last bytes of the archive, where its end record lies: the record
// and a comment of at most 65,535 bytes.
struct Tail {
  std::string bytes;
  uint64_t offset = 0;  // where they begin in the archive

  const unsigned char* At(size_t at) const {
    return reinterpret_cast<const unsigned char*>(bytes.data()) + at;
  }
  bool HoldsSignatureAt(size_t at) const {
    return at + 4 <= bytes.size() && ReadLE(At(at), 4) == kEndRecordSignature;
  }
};

bool ReadTail(uint64_t archive_size, const ZipReadAt& read_at, Tail& tail) {
  if (archive_size < kEndRecordSize) return false;
  const uint64_t tail_size = std::min<uint64_t>(archive_size, kEndRecordSize + 0xFFFF);
  tail.offset = archive_size - tail_size;
  tail.bytes.assign(tail_size, '\0');
  return read_at(tail.offset, tail.bytes.data(), tail.bytes.size());
}

// Where in the tail the last whole end record begins; false when none.
bool FindEndRecord(const Tail& tail, size_t& end) {
  for (end = tail.bytes.size() - kEndRecordSize + 1; end-- > 0;) {
    if (tail.HoldsSignatureAt(end)) return true;
  }
  return false;
}

// The figures of the end record at `end` of the tail, replaced by those of
// the ZIP64 end record when a locator precedes it.
bool ReadEndRecord(const Tail& tail, size_t end, const ZipReadAt& read_at, DirectoryPlace& place) {
  const unsigned char* record = tail.At(end);
  place.count = ReadLE(record + 10, 2);
  place.size = ReadLE(record + 12, 4);
  place.offset = ReadLE(record + 16, 4);
  const uint64_t end_offset = tail.offset + end;
  place.ends_at = end_offset;
  if (end_offset < kZip64LocatorSize) return true;
  unsigned char locator[kZip64LocatorSize];
  if (!read_at(end_offset - kZip64LocatorSize, locator, sizeof locator)) return false;
  if (ReadLE(locator, 4) != kZip64LocatorSignature) return true;
  unsigned char zip64_end[kZip64EndSize];
  place.ends_at = ReadLE(locator + 8, 8);
  if (!read_at(place.ends_at, zip64_end, sizeof zip64_end) ||
      ReadLE(zip64_end, 4) != kZip64EndSignature) {
    return false;
  }
  place.count = ReadLE(zip64_end + 32, 8);
  place.size = ReadLE(zip64_end + 40, 8);
  place.offset = ReadLE(zip64_end + 48, 8);
  return true;
}

// Whether the end record at `end` of the tail would be read as the
// archive's directory: records where it says, ending where the record (or
// its ZIP64 end record) begins. A zip archive held as an entry's data, at
// any depth, gives offsets from its own start, which is never the
// archive's, so its directory never ends there; bytes of the signature
// elsewhere in an entry's data lead nowhere either.
bool LeadsToDirectory(const Tail& tail, size_t end, const ZipReadAt& read_at) {
  DirectoryPlace place;
  unsigned char signature[4];
  return ReadEndRecord(tail, end, read_at, place) && place.count > 0 &&
         place.size <= place.ends_at && place.offset == place.ends_at - place.size &&
         read_at(place.offset, signature, sizeof signature) &&
         ReadLE(signature, 4) == kDirectorySignature;
}

// The record's stored size and local offset; where either is marked as
// ZIP64, its figure from the ZIP64 extra field, which holds the unpacked
// size, the stored size and the offset, in that order, each only when
// marked. False when a marked figure is missing.
bool ReadFigures(const unsigned char* record, const unsigned char* extra, uint64_t extra_size,
                 ZipDirectoryEntry& entry) {
  entry.stored_size = ReadLE(record + 20, 4);
  entry.local_offset = ReadLE(record + 42, 4);
  const bool marked[] = {ReadLE(record + 24, 4) == kZip64Mark, entry.stored_size == kZip64Mark,
                         entry.local_offset == kZip64Mark};
  if (!marked[0] && !marked[1] && !marked[2]) return true;
  for (uint64_t at = 0; at + 4 <= extra_size;) {
    const uint64_t size = ReadLE(extra + at + 2, 2);
    if (ReadLE(extra + at, 2) != kZip64ExtraId) {
      at += 4 + size;
      continue;
    }
    uint64_t figures[3] = {};
    uint64_t taken = 0;
    for (int i = 0; i < 3; ++i) {
      if (!marked[i]) continue;
      if (taken + 8 > size || at + 4 + taken + 8 > extra_size) return false;
      figures[i] = ReadLE(extra + at + 4 + taken, 8);
      taken += 8;
    }
    if (marked[1]) entry.stored_size = figures[1];
    if (marked[2]) entry.local_offset = figures[2];
    return true;
  }
  return false;
}

}  // namespace

uint64_t ReadLE(const unsigned char* bytes, int size) {
  uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

bool ReadZipDirectory(uint64_t archive_size, const ZipReadAt& read_at, ZipDirectory& directory) {
  Tail tail;
  size_t end_record = 0;
  DirectoryPlace place;
  if (!ReadTail(archive_size, read_at, tail) || !FindEndRecord(tail, end_record) ||
      !ReadEndRecord(tail, end_record, read_at, place)) {
    return false;
  }
  // Every record takes at least its fixed part, so a count or size beyond
  // the archive is a lie, and nothing is allocated for it.
  if (place.size > archive_size || place.offset > archive_size - place.size ||
      place.count > place.size / kDirectoryRecordSize) {
    return false;
  }
  directory.offset = place.offset;
  directory.bytes.assign(place.size, '\0');
  if (!read_at(place.offset, directory.bytes.data(), directory.bytes.size())) return false;
  const auto* start = reinterpret_cast<const unsigned char*>(directory.bytes.data());
  const unsigned char* record = start;
  const unsigned char* end = start + directory.bytes.size();
  directory.entries.clear();
  directory.entries.reserve(place.count);
  for (uint64_t i = 0; i < place.count; ++i) {
    if (end - record < static_cast<std::ptrdiff_t>(kDirectoryRecordSize) ||
        ReadLE(record, 4) != kDirectorySignature) {
      return false;
    }
    const uint64_t name_size = ReadLE(record + 28, 2);
    const uint64_t extra_size = ReadLE(record + 30, 2);
    const uint64_t record_size =
        kDirectoryRecordSize + name_size + extra_size + ReadLE(record + 32, 2);
    if (static_cast<uint64_t>(end - record) < record_size) return false;
    ZipDirectoryEntry entry{
        std::string(reinterpret_cast<const char*>(record + kDirectoryRecordSize), name_size),
        static_cast<size_t>(record - start),
        static_cast<uint16_t>(ReadLE(record + 8, 2)),
        static_cast<uint16_t>(ReadLE(record + 10, 2)),
        0,
        0};
    if (!ReadFigures(record, record + kDirectoryRecordSize + name_size, extra_size, entry)) {
      return false;
    }
    directory.entries.push_back(std::move(entry));
    record += record_size;
  }
  return true;
}

bool HoldsAnotherEndRecord(uint64_t archive_size, const ZipReadAt& read_at) {
  Tail tail;
  size_t end = 0;
  if (!ReadTail(archive_size, read_at, tail) || !FindEndRecord(tail, end)) return false;
  // Readers that take the last signature find one in the comment, however
  // short.
  for (size_t at = end + kEndRecordSize; at < tail.bytes.size(); ++at) {
    if (tail.HoldsSignatureAt(at)) return true;
  }
  for (size_t at = 0; at < end; ++at) {
    if (tail.HoldsSignatureAt(at) && LeadsToDirectory(tail, at, read_at)) return true;
  }
  return false;
}
