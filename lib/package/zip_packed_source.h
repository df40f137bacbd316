// A libzip source over bytes deflated beforehand (and on other threads):
// it tells libzip their method, sizes and CRC, so that the archive takes
// them as they are instead of deflating the entry again.
#pragma once

#include <zip.h>

#include <cstdint>
#include <ctime>
#include <string_view>

struct ZipPackedBytes {
  std::string_view deflated;
  uint64_t size = 0;  // unpacked
  uint32_t crc = 0;
  time_t time = 0;
  uint64_t offset = 0;  // read so far
};

// A source of the archive over `bytes`, which must stay (with what they
// point at) until the archive is closed or discarded; null on failure,
// with the archive's error set.
zip_source_t* ZipPackedSource(zip_t* archive, ZipPackedBytes* bytes);
