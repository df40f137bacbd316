#include "lib/package/zip_packed_source.h"

#include <algorithm>
#include <cstring>

namespace {

zip_int64_t Serve(void* user_data, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto* bytes = static_cast<ZipPackedBytes*>(user_data);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      bytes->block = 0;
      bytes->offset = 0;
      return 0;
    case ZIP_SOURCE_READ: {
      const std::vector<std::string>& blocks = bytes->deflated->blocks;
      auto* out = static_cast<char*>(data);
      zip_uint64_t done = 0;
      while (done < length && bytes->block < blocks.size()) {
        const std::string& block = blocks[bytes->block];
        const size_t piece = std::min<zip_uint64_t>(block.size() - bytes->offset, length - done);
        std::memcpy(out + done, block.data() + bytes->offset, piece);
        done += piece;
        bytes->offset += piece;
        if (bytes->offset == block.size()) {
          ++bytes->block;
          bytes->offset = 0;
        }
      }
      return static_cast<zip_int64_t>(done);
    }
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE: return 0;
    case ZIP_SOURCE_STAT: {
      if (length < sizeof(zip_stat_t)) return -1;
      auto* stat = static_cast<zip_stat_t*>(data);
      zip_stat_init(stat);
      stat->valid =
          ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_MTIME;
      stat->size = bytes->deflated->size;
      stat->comp_size = bytes->deflated->packed_size;
      stat->comp_method = ZIP_CM_DEFLATE;
      stat->crc = bytes->deflated->crc;
      stat->mtime = bytes->time;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR: {
      // Reading memory does not fail: no error to tell.
      if (length < 2 * sizeof(int)) return -1;
      std::memset(data, 0, 2 * sizeof(int));
      return 2 * sizeof(int);
    }
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default: return -1;
  }
}

}  // namespace

zip_source_t* ZipPackedSource(zip_t* archive, ZipPackedBytes* bytes) {
  return zip_source_function(archive, Serve, bytes);
}
