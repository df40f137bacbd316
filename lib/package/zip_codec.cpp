#include "lib/package/zip_codec.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

namespace {

// zlib counts in 32-bit units; larger inputs go in pieces.
constexpr size_t kPiece = size_t{1} << 30;
constexpr size_t kFirstOutput = size_t{64} << 10;

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

bool DeflateSmaller(std::string_view bytes, std::string& out) {
  out.clear();
  if (bytes.empty()) return false;
  z_stream stream{};
  if (deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  const std::unique_ptr<z_stream, DeflateEnd> end(&stream);
  // A deflated entry must be smaller than its bytes.
  const size_t limit = bytes.size() - 1;
  size_t fed = 0;
  for (;;) {
    Feed(stream, bytes, fed);
    if (stream.avail_out == 0 && !Grow(stream, out, limit)) break;
    const int result =
        deflate(&stream, fed == bytes.size() && stream.avail_in == 0 ? Z_FINISH : Z_NO_FLUSH);
    if (result == Z_STREAM_END) {
      out.resize(stream.total_out);
      return true;
    }
    if (result != Z_OK && result != Z_BUF_ERROR) break;
  }
  out.clear();
  out.shrink_to_fit();
  return false;
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
