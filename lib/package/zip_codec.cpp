#include "lib/package/zip_codec.h"

#include "lib/package/parallel_work.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

namespace {

// zlib counts in 32-bit units; larger inputs go in pieces.
constexpr size_t kPiece = size_t{1} << 30;
constexpr size_t kFirstOutput = size_t{64} << 10;
// The blocks of deflated output.
constexpr size_t kBlock = size_t{1} << 20;
// Pieces of one entry deflated on cores of their own, and the window of
// input that primes each.
constexpr size_t kPart = size_t{1} << 20;
constexpr size_t kWindow = size_t{32} << 10;
// What a piece's output may take beyond the piece before it is given up:
// the flush and the block headers.
constexpr size_t kFlushRoom = 64;

struct DeflateEnd {
  void operator()(z_stream* stream) const { deflateEnd(stream); }
};
struct InflateEnd {
  void operator()(z_stream* stream) const { inflateEnd(stream); }
};

// Feeds the next piece of `bytes` when zlib has taken the last one.
void Feed(z_stream& stream, std::string_view bytes, size_t& fed) {
  if (stream.avail_in != 0 || fed == bytes.size()) return;
  const size_t piece = std::min(kPiece, bytes.size() - fed);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + fed));
  stream.avail_in = static_cast<uInt>(piece);
  fed += piece;
}

// Makes room after what zlib has written, up to `limit` bytes in all;
// false when the output already fills the limit.
bool Grow(z_stream& stream, std::string& out, size_t limit, size_t first = kFirstOutput) {
  const size_t written = stream.total_out;
  if (written >= limit) return false;
  const size_t size = std::min(limit, std::max(written * 2, first));
  out.resize(size);
  stream.next_out = reinterpret_cast<Bytef*>(out.data() + written);
  stream.avail_out = static_cast<uInt>(std::min(kPiece, size - written));
  return true;
}

// Deflates bytes [begin, end) as one piece of the whole stream: primed
// with the 32 KiB before it, and ending on a byte boundary (a sync flush)
// unless it is the last, which ends the stream. Gives up once the output
// would not be smaller than the piece.
bool DeflatePart(std::string_view bytes, size_t begin, size_t end, ZipDeflated& out) {
  z_stream stream{};
  if (deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  const std::unique_ptr<z_stream, DeflateEnd> closer(&stream);
  if (begin > 0) {
    const size_t window = std::min(kWindow, begin);
    const auto* dictionary = reinterpret_cast<const Bytef*>(bytes.data() + begin - window);
    if (deflateSetDictionary(&stream, dictionary, static_cast<uInt>(window)) != Z_OK) return false;
  }
  const bool last = end == bytes.size();
  const std::string_view part = bytes.substr(begin, end - begin);
  const size_t limit = part.size() + kFlushRoom;
  size_t fed = 0;
  for (;;) {
    Feed(stream, part, fed);
    if (stream.avail_out == 0) {
      if (stream.total_out >= limit) return false;
      const size_t block = std::min(kBlock, limit - stream.total_out);
      out.blocks.emplace_back(block, '\0');
      stream.next_out = reinterpret_cast<Bytef*>(out.blocks.back().data());
      stream.avail_out = static_cast<uInt>(block);
    }
    const bool all_in = fed == part.size() && stream.avail_in == 0;
    const int flush = !all_in ? Z_NO_FLUSH : last ? Z_FINISH : Z_SYNC_FLUSH;
    const int result = deflate(&stream, flush);
    const bool done =
        result == Z_STREAM_END || (flush == Z_SYNC_FLUSH && result == Z_OK && stream.avail_out > 0);
    if (done) {
      // The last block gives back the room it did not use.
      std::string& tail = out.blocks.back();
      tail.resize(tail.size() - stream.avail_out);
      tail.shrink_to_fit();
      out.packed_size = stream.total_out;
      return true;
    }
    if (result != Z_OK && result != Z_BUF_ERROR) return false;
  }
}

}  // namespace

uint32_t ZipCrc32(std::string_view bytes) {
  uLong crc = crc32(0, nullptr, 0);
  for (size_t done = 0; done < bytes.size();) {
    const size_t piece = std::min(kPiece, bytes.size() - done);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + done), static_cast<uInt>(piece));
    done += piece;
  }
  return static_cast<uint32_t>(crc);
}

bool DeflateSmaller(std::string_view bytes, ZipDeflated& out, bool in_parallel) {
  out = ZipDeflated();
  if (bytes.empty()) return false;
  const size_t count = in_parallel ? (bytes.size() + kPart - 1) / kPart : 1;
  const size_t part_size = in_parallel ? kPart : bytes.size();
  std::vector<ZipDeflated> parts(count);
  std::vector<char> deflated(count, 0);
  std::vector<size_t> costs(count);
  for (size_t i = 0; i < count; ++i) costs[i] = std::min(part_size, bytes.size() - i * part_size);
  RunInParallel(costs, SIZE_MAX, [&](size_t i) {
    const size_t begin = i * part_size;
    deflated[i] = DeflatePart(bytes, begin, begin + costs[i], parts[i]);
  });
  uint64_t packed_size = 0;
  for (size_t i = 0; i < count; ++i) {
    if (!deflated[i]) return false;
    packed_size += parts[i].packed_size;
  }
  // A deflated entry must be smaller than its bytes.
  if (packed_size >= bytes.size()) return false;
  for (ZipDeflated& part : parts) {
    for (std::string& block : part.blocks) out.blocks.push_back(std::move(block));
  }
  out.packed_size = packed_size;
  out.size = bytes.size();
  out.crc = ZipCrc32(bytes);
  return true;
}

bool InflateRaw(std::string_view packed, size_t expected, size_t most, std::string& out,
                const std::function<void(int64_t)>& grown) {
  out.clear();
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  const std::unique_ptr<z_stream, InflateEnd> end(&stream);
  // One byte beyond the expected size shows the end without growing.
  const size_t limit = most + 1;
  const size_t first = std::min(limit, std::max<size_t>(expected + 1, 1));
  size_t fed = 0;
  for (;;) {
    Feed(stream, packed, fed);
    if (stream.avail_out == 0) {
      grown(static_cast<int64_t>(stream.total_out));
      if (!Grow(stream, out, limit, first)) return false;
    }
    const int result = inflate(&stream, Z_NO_FLUSH);
    if (result == Z_STREAM_END) {
      out.resize(stream.total_out);
      grown(static_cast<int64_t>(stream.total_out));
      return true;
    }
    if (result == Z_BUF_ERROR && stream.avail_in == 0 && fed == packed.size()) return false;
    if (result != Z_OK && result != Z_BUF_ERROR) return false;
  }
}
