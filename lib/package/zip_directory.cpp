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
};

// The end record's figures, replaced by those of the ZIP64 end record when
// the archive has one.
bool FindDirectory(uint64_t archive_size, const ZipReadAt& read_at, DirectoryPlace& place) {
  if (archive_size < kEndRecordSize) return false;
  const uint64_t tail_size = std::min<uint64_t>(archive_size, kEndRecordSize + 0xFFFF);
  const uint64_t tail_offset = archive_size - tail_size;
  std::string tail(tail_size, '\0');
  if (!read_at(tail_offset, tail.data(), tail.size())) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(tail.data());
  int64_t end = static_cast<int64_t>(tail_size - kEndRecordSize);
  while (end >= 0 && ReadLE(bytes + end, 4) != kEndRecordSignature) --end;
  if (end < 0) return false;
  place.count = ReadLE(bytes + end + 10, 2);
  place.size = ReadLE(bytes + end + 12, 4);
  place.offset = ReadLE(bytes + end + 16, 4);
  const uint64_t end_offset = tail_offset + static_cast<uint64_t>(end);
  if (end_offset < kZip64LocatorSize) return true;
  unsigned char locator[kZip64LocatorSize];
  if (!read_at(end_offset - kZip64LocatorSize, locator, sizeof locator)) return false;
  if (ReadLE(locator, 4) != kZip64LocatorSignature) return true;
  unsigned char zip64_end[kZip64EndSize];
  if (!read_at(ReadLE(locator + 8, 8), zip64_end, sizeof zip64_end) ||
      ReadLE(zip64_end, 4) != kZip64EndSignature) {
    return false;
  }
  place.count = ReadLE(zip64_end + 32, 8);
  place.size = ReadLE(zip64_end + 40, 8);
  place.offset = ReadLE(zip64_end + 48, 8);
  return true;
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
  DirectoryPlace place;
  if (!FindDirectory(archive_size, read_at, place)) return false;
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
