#include "lib/package/zip_directory.h"

#include <algorithm>
#include <cstddef>

namespace {

constexpr uint32_t kEndRecordSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kDirectorySignature = 0x02014b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kZip64EndSize = 56;
constexpr size_t kDirectoryRecordSize = 46;

uint64_t ReadLE(const unsigned char* bytes, int size) {
  uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

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

}  // namespace

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
    const uint64_t record_size =
        kDirectoryRecordSize + name_size + ReadLE(record + 30, 2) + ReadLE(record + 32, 2);
    if (static_cast<uint64_t>(end - record) < record_size) return false;
    directory.entries.push_back(
        {std::string(reinterpret_cast<const char*>(record + kDirectoryRecordSize), name_size),
         static_cast<size_t>(record - start), static_cast<uint16_t>(ReadLE(record + 8, 2)),
         static_cast<uint32_t>(ReadLE(record + 42, 4))});
    record += record_size;
  }
  return true;
}
