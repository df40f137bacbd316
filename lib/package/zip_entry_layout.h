// Where an archive's entries lie, checked before any of their data is
// read: each entry's bytes, from its local header through the end of its
// stored data, lie within the archive, apart from every other entry's and
// from the central directory, and its local header agrees with its
// directory record on the name and the method. An archive whose entries
// shared their bytes would make a reader hold those bytes once per entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "lib/package/zip_directory.h"

enum class ZipLayoutFault : uint8_t {
  kNone,
  // A local header is missing where the directory says, or an entry's
  // bytes run beyond the archive's end.
  kInconsistent,
  // The entry's bytes overlap those of entry `other`.
  kSharesBytes,
  kOverlapsDirectory,
  // The local header names another name or method than the directory.
  kOtherName,
  kOtherMethod,
};

struct ZipLayoutCheck {
  ZipLayoutFault fault = ZipLayoutFault::kNone;
  size_t entry = 0;           // the index in the directory of the entry at fault
  size_t other = 0;           // kSharesBytes: the entry whose bytes it overlaps
  std::string local_name;     // kOtherName: the local header's
  uint16_t local_method = 0;  // kOtherMethod: the local header's
};

// The first fault of the archive's layout: overlaps first, then the first
// entry in the directory's order whose local header disagrees. Sizes and
// CRC in the local header are not compared, as an entry written with a
// data descriptor leaves them zero there. Linear in the entries but for
// one sort; reads the local headers and no more.
ZipLayoutCheck CheckZipLayout(const ZipDirectory& directory, uint64_t archive_size,
                              const ZipReadAt& read_at);
