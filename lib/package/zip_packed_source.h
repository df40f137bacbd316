// A libzip source over bytes deflated beforehand (and on other threads):
// it tells libzip their method, sizes and CRC, so that the archive takes
// them as they are instead of deflating the entry again.
#pragma once

#include <zip.h>

#include <cstddef>
#include <ctime>

#include "lib/package/zip_codec.h"

// What the source reads from, and how far it has read.
struct ZipPackedBytes {
  const ZipDeflated* deflated = nullptr;
  time_t time = 0;
  size_t block = 0;
  size_t offset = 0;  // within the block
};

// A source of the archive over `bytes`, which must stay (with what they
// point at) until the archive is closed or discarded; null on failure,
// with the archive's error set.
zip_source_t* ZipPackedSource(zip_t* archive, ZipPackedBytes* bytes);
