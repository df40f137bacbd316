// The central directory of a zip archive, read from its raw bytes. libzip
// hands out an entry's name as a C string (a NUL inside the name becomes a
// space) and sets the UTF-8 mark on names that merely read as UTF-8; the
// package code needs the names' exact bytes and has to take that mark off
// again, so it reads the directory itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Reads `size` bytes at `offset` of the archive into `buffer`; false when
// it cannot.
using ZipReadAt = std::function<bool(uint64_t offset, void* buffer, size_t size)>;

// The general purpose bit that marks a record's name as UTF-8.
constexpr uint16_t kUtf8Flag = 0x800;

// The figures of one record, those of ZIP64 taken from its extra field.
struct ZipDirectoryEntry {
  std::string name;       // the name's bytes as stored
  size_t record_offset;   // of the record within `ZipDirectory::bytes`
  uint16_t flags;         // general purpose bits
  uint16_t method;        // compression method
  uint64_t stored_size;   // of the data as stored
  uint64_t local_offset;  // of the local header
};

struct ZipDirectory {
  std::string bytes;    // the whole central directory
  uint64_t offset = 0;  // where it lies in the archive
  std::vector<ZipDirectoryEntry> entries;
};

// The little-endian number of `size` bytes, as zip headers store numbers.
uint64_t ReadLE(const unsigned char* bytes, int size);

// The directory of an archive of `archive_size` bytes, ZIP64 included;
// false when the bytes hold no readable one, or a record's ZIP64 figure
// is missing from its extra field.
bool ReadZipDirectory(uint64_t archive_size, const ZipReadAt& read_at, ZipDirectory& directory);

// Whether the archive's tail holds an end record besides the last, the one
// ReadZipDirectory takes: one that a reader would take for the archive's
// own, its directory where it says and ending where it begins, or the
// signature in the last one's comment. A zip archive held as a document
// is neither. Readers differ in which record they take (the first that
// holds, the last, the one whose entries reach farthest), so such an
// archive would show each of them other entries.
bool HoldsAnotherEndRecord(uint64_t archive_size, const ZipReadAt& read_at);
