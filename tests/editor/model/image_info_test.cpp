#include "editor/model/image_info.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>

#include "platform/kernel/files.h"
#include "tests/support/file_bytes.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace {

struct Sniffed {
  int kind;
  int width;
  int height;
  int bpp;
  bool operator==(const Sniffed&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Sniffed& s) {
  return out << s.kind << " " << s.width << "x" << s.height << "x" << s.bpp;
}

Sniffed Sniff(TDCImageInfo& info, const std::string& path) {
  info.Read(path);
  return {info.Kind, info.Width, info.Height, info.BitsPerPixel};
}

Sniffed SniffBytes(const std::string& bytes) {
  TempDir dir;
  WriteBytes(dir.File("f"), bytes);
  TDCImageInfo info;
  Sniffed result = Sniff(info, dir.File("f"));
  EXPECT_EQ(info.FileSize, static_cast<int32_t>(bytes.size()));
  return result;
}

std::string Le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string Be16(unsigned v) { return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }

// The files are made by the formats' own rules in Python (and read the same
// with the `file` command); every one must give what its header fields say.
TEST(ImageInfoTest, PicturesOfEveryKnownFormat) {
  TempDir dir;
  std::istringstream lines(
      RunCommand("python3 " TARVEX_TEST_DIR "/make_images.py " + Quoted(dir.Path())).output);
  std::string name;
  Sniffed expected{};
  int seen = 0;
  TDCImageInfo info;
  while (lines >> name >> expected.kind >> expected.width >> expected.height >> expected.bpp) {
    ++seen;
    EXPECT_EQ(Sniff(info, dir.File(name)), expected) << name;
    EXPECT_EQ(info.FileSize, static_cast<int32_t>(std::filesystem::file_size(dir.File(name))));
  }
  EXPECT_EQ(seen, 20);
}

TEST(ImageInfoTest, HeadersThatDoNotHold) {
  const Sniffed none{kImageNone, 0, 0, 0};
  const std::string png_head = "\x89PNG\r\n\x1a\n" + std::string(8, '\0');
  const std::string frame = std::string("\xFF\xC0") + Be16(11) + "\x08" + Be16(34) + Be16(12) +
                            "\x03" + std::string(9, '\0');
  const std::pair<std::string, Sniffed> cases[] = {
      {"", none},
      {"\x0A", none},
      {"GI", none},
      {"GIF89a", none},  // too short for its fields
      {"\x0A\x05\x01\x08" + std::string(40, '\0'), none},
      {png_head + Be16(0) + Be16(9) + Be16(0) + Be16(7) + "\x08\x05", none},  // colour type 5
      // A PNG that does not hold still leaves the JPEG scan its turn.
      {png_head + Be16(0) + Be16(9) + Be16(0) + Be16(7) + "\x08\x05\xFF\xD8\xFF" + frame,
       {kImageJpeg, 12, 34, 24}},
      {std::string("II*\0", 4) + std::string("\x08\0\0\0", 4) + Le16(2) + Le16(256) + Le16(3) +
           std::string(4, '\0') + Le16(5) + Le16(0) + Le16(257) + Le16(3) + std::string(4, '\0') +
           Le16(6) + Le16(0),
       none},  // no bits per sample
      {std::string("II*\0", 4) + std::string("\xF0\xFF\xFF\xFF", 4),
       none},                                                          // directory before the file
      {std::string("MM\0*", 4) + std::string("\x7F\0\0\0", 4), none},  // directory past its end
      {"\xFF\xD8\xFF\xE0" + Be16(16), none},                           // no frame header
      {"plain text without any marker", none},
      // A zero segment length must not stop the scan on one marker.
      {std::string("\xFF\xD8\xFF\xE0", 4) + Be16(0) + "junk" + frame, {kImageJpeg, 12, 34, 24}},
  };
  for (const auto& [bytes, expected] : cases) {
    EXPECT_EQ(SniffBytes(bytes), expected) << testing::PrintToString(bytes);
  }
}

TEST(ImageInfoTest, AFileThatCannotBeOpenedReadsAsNothingNotAsThePreviousFile) {
  TempDir dir;
  WriteBytes(dir.File("gif"), "GIF89a" + Le16(3) + Le16(4) + std::string("\x80\0\0", 3));
  TDCImageInfo info;
  EXPECT_TRUE(info.Read(dir.File("gif")));
  EXPECT_EQ(info.FileSize, 13);
  EXPECT_FALSE(info.Read(dir.File("missing")));
  EXPECT_EQ((Sniffed{info.Kind, info.Width, info.Height, info.BitsPerPixel}),
            (Sniffed{kImageNone, 0, 0, 0}));
  EXPECT_EQ(info.FileSize, 0);
  // The file is read without sharing: one held open by another reader is
  // refused, and the size of the file read before does not stand for it.
  WriteBytes(dir.File("held"), "GIF89a" + std::string(20, '\0'));
  EXPECT_TRUE(info.Read(dir.File("gif")));
  UniqueHandle held(CreateFileA(dir.File("held"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0));
  ASSERT_TRUE(held);
  EXPECT_FALSE(info.Read(dir.File("held")));
  EXPECT_EQ(info.FileSize, 0);
  held.reset();
  EXPECT_TRUE(info.Read(dir.File("held")));
  EXPECT_EQ(info.FileSize, 26);
}

TEST(ImageInfoTest, SizeOfAFileAbove2GiBStaysAboveEveryLimit) {
  TempDir dir;
  WriteBytes(dir.File("big.png"), std::string("\x89PNG\r\n\x1a\n") + std::string(8, '\0') +
                                      Be16(0) + Be16(640) + Be16(0) + Be16(480) + "\x08\x02");
  std::filesystem::resize_file(dir.File("big.png"), (3ull << 30) + 5);
  TDCImageInfo info;
  EXPECT_EQ(Sniff(info, dir.File("big.png")), (Sniffed{kImagePng, 640, 480, 24}));
  EXPECT_EQ(info.FileSize, std::numeric_limits<int32_t>::max());
}

}  // namespace
