#include "editor/model/image_info.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/kernel/error_codes.h"
#include "platform/kernel/files.h"
#include "platform/kernel/last_error.h"

namespace {

// A read before the start or past the end of the file.
struct HeaderOutOfFile {};

// Random reads through one cached window, as the JPEG scan looks at every
// position of the file.
class HeaderSource {
 public:
  HeaderSource(HANDLE file, int64_t size) : file_(file), size_(size) {}

  // `count` bytes at `offset`, at most kWindow.
  const unsigned char* At(int64_t offset, size_t count) {
    if (offset < 0 || offset + static_cast<int64_t>(count) > size_) throw HeaderOutOfFile();
    if (offset < start_ || offset + static_cast<int64_t>(count) > start_ + filled_) Load(offset);
    return window_.data() + (offset - start_);
  }
  unsigned Byte(int64_t offset) { return *At(offset, 1); }
  unsigned Word(int64_t offset, bool big_endian) {
    const unsigned char* b = At(offset, 2);
    return big_endian ? (b[0] << 8) | b[1] : b[0] | (b[1] << 8);
  }
  uint32_t Long(int64_t offset, bool big_endian) {
    const unsigned char* b = At(offset, 4);
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | b[big_endian ? i : 3 - i];
    return value;
  }

 private:
  static constexpr size_t kWindow = 64 * 1024;

  void Load(int64_t offset) {
    int32_t high = static_cast<int32_t>(offset >> 32);
    SetLastError(ERROR_SUCCESS);
    if (SetFilePointer(file_, static_cast<int32_t>(offset & 0xFFFFFFFF), &high, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER &&
        GetLastError() != ERROR_SUCCESS) {
      throw HeaderOutOfFile();
    }
    window_.resize(kWindow);
    uint32_t read = 0;
    if (!ReadFile(file_, window_.data(), kWindow, &read)) throw HeaderOutOfFile();
    start_ = offset;
    filled_ = read;
  }

  HANDLE file_;
  int64_t size_;
  std::vector<unsigned char> window_;
  int64_t start_ = 0;
  int64_t filled_ = 0;
};

}  // namespace

void TDCImageInfo::Reset() {
  Kind = kImageNone;
  Width = 0;
  Height = 0;
  BitsPerPixel = 0;
}

namespace {

class HeaderReaders {
 public:
  HeaderReaders(TDCImageInfo& info, HeaderSource& source) : info_(info), in_(source) {}

  void Png() {
    info_.Kind = kImagePng;
    int depth = static_cast<int>(in_.Byte(24));
    switch (in_.Byte(25)) {
      case 0: info_.BitsPerPixel = depth; break;
      case 2: info_.BitsPerPixel = 3 * depth; break;
      case 3: info_.BitsPerPixel = 8; break;
      case 4: info_.BitsPerPixel = 2 * depth; break;
      case 6: info_.BitsPerPixel = 4 * depth; break;
      default: info_.Kind = kImageNone; return;
    }
    // The low halves of the 32-bit fields.
    info_.Width = static_cast<int32_t>(in_.Word(18, true));
    info_.Height = static_cast<int32_t>(in_.Word(22, true));
  }

  void Gif() {
    info_.Kind = kImageGif;
    info_.Width = static_cast<int32_t>(in_.Word(6, false));
    info_.Height = static_cast<int32_t>(in_.Word(8, false));
    info_.BitsPerPixel = static_cast<int32_t>(in_.Byte(10) & 7) + 1;
  }

  void Bmp() {
    info_.Kind = kImageBmp;
    info_.Width = static_cast<int32_t>(in_.Word(18, false));
    info_.Height = static_cast<int32_t>(in_.Word(22, false));
    info_.BitsPerPixel = static_cast<int32_t>(in_.Byte(28));
  }

  void Pcx() {
    info_.Kind = kImagePcx;
    int32_t bits = static_cast<int32_t>(in_.Byte(3));
    int32_t xmin = static_cast<int32_t>(in_.Word(4, false));
    int32_t ymin = static_cast<int32_t>(in_.Word(6, false));
    int32_t xmax = static_cast<int32_t>(in_.Word(8, false));
    int32_t ymax = static_cast<int32_t>(in_.Word(10, false));
    int32_t planes = static_cast<int32_t>(in_.Byte(65));
    info_.Width = xmax - xmin + 1;
    info_.Height = ymax - ymin + 1;
    info_.BitsPerPixel = bits * planes;
  }

  void Tiff(bool big_endian) {
    info_.Kind = kImageTiff;
    int64_t directory = static_cast<int32_t>(in_.Long(4, big_endian));
    unsigned count = in_.Word(directory, big_endian);
    for (unsigned i = 0; i < count; ++i) {
      int64_t entry = directory + 2 + 12 * static_cast<int64_t>(i);
      unsigned tag = in_.Word(entry, big_endian);
      if (tag < 256 || tag > 258) continue;
      int32_t value = 0;
      switch (in_.Word(entry + 2, big_endian)) {
        case 1: value = static_cast<int32_t>(in_.Byte(entry + 8)); break;
        case 3: value = static_cast<int32_t>(in_.Word(entry + 8, big_endian)); break;
        case 4: value = static_cast<int32_t>(in_.Long(entry + 8, big_endian)); break;
      }
      if (tag == 256) info_.Width = value;
      if (tag == 257) info_.Height = value;
      if (tag == 258) info_.BitsPerPixel = value;
    }
    if (info_.Width <= 0 || info_.Height <= 0 || info_.BitsPerPixel <= 0) info_.Reset();
  }

  // The start marker may lie anywhere; the frame header follows the first
  // C0-C3 marker after it.
  void Jpeg() {
    int64_t p = 0;
    while (std::memcmp(in_.At(p, 3), "\xFF\xD8\xFF", 3) != 0) ++p;
    ++p;
    for (;;) {
      const unsigned char* b = in_.At(p, 2);
      if (b[0] != 0xFF || b[1] == 0xFF) {
        ++p;
        continue;
      }
      if (b[1] >= 0xC0 && b[1] <= 0xC3) break;
      // A zero length would stand still on the same marker for ever.
      p += std::max(in_.Word(p + 2, true), 1u);
    }
    info_.Kind = kImageJpeg;
    info_.Height = static_cast<int32_t>(in_.Word(p + 5, true));
    info_.Width = static_cast<int32_t>(in_.Word(p + 7, true));
    info_.BitsPerPixel = 8 * static_cast<int32_t>(in_.Byte(p + 9));
  }

  // One reader's failure resets the fields and leaves the others their turn.
  template <typename Reader>
  void Guarded(Reader reader) {
    try {
      reader();
    } catch (const HeaderOutOfFile&) {
      info_.Reset();
    }
  }

 private:
  TDCImageInfo& info_;
  HeaderSource& in_;
};

}  // namespace

bool TDCImageInfo::Read(const std::string& file_name) {
  Reset();
  UniqueHandle file(CreateFileA(file_name, GENERIC_READ, 0, OPEN_EXISTING, 0));
  if (!file) {
    FileSize = 0;
    return false;
  }
  uint32_t high = 0;
  uint32_t low = GetFileSize(file.get(), &high);
  int64_t size = (static_cast<int64_t>(high) << 32) | low;
  FileSize = static_cast<int32_t>(std::min<int64_t>(size, std::numeric_limits<int32_t>::max()));

  HeaderSource source(file.get(), size);
  unsigned char s[3];
  try {
    std::memcpy(s, source.At(0, 3), 3);
  } catch (const HeaderOutOfFile&) {
    return true;
  }
  HeaderReaders readers(*this, source);
  if (s[0] == 0x89 && s[1] == 0x50 && s[2] == 0x4E) readers.Guarded([&] { readers.Png(); });
  if (s[0] == 0x47 && s[1] == 0x49 && s[2] == 0x46) readers.Guarded([&] { readers.Gif(); });
  if (s[0] == 0x42 && s[1] == 0x4D) readers.Guarded([&] { readers.Bmp(); });
  if (s[0] == 0x0A) readers.Guarded([&] { readers.Pcx(); });
  if (s[0] == 0x49 && s[1] == 0x49 && s[2] == 0x2A) readers.Guarded([&] { readers.Tiff(false); });
  if (s[0] == 0x4D && s[1] == 0x4D && s[2] == 0x00) readers.Guarded([&] { readers.Tiff(true); });
  if (Kind == kImageNone) readers.Guarded([&] { readers.Jpeg(); });
  return true;
}
