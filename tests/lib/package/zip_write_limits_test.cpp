// The archive writer within the bounds its reader applies: what reading
// would refuse by its size is refused before anything is written, and an
// entry that deflates tighter than reading takes is stored, so that every
// archive written opens again. Checked with Python's zipfile and unzip.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "lib/package/os_abbrevia_tool.h"
#include "lib/package/zip_codec.h"
#include "tests/support/bounded_child.h"
#include "tests/support/error_of.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace {

// `size` zero bytes that take address space but no memory: every page
// reads as the one zero page.
class ZeroView {
 public:
  explicit ZeroView(size_t size)
      : size_(size),
        data_(
            ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0)) {}
  ~ZeroView() {
    if (data_ != MAP_FAILED) ::munmap(data_, size_);
  }
  ZeroView(const ZeroView&) = delete;
  ZeroView& operator=(const ZeroView&) = delete;

  bool Made() const { return data_ != MAP_FAILED; }
  std::string_view Bytes() const { return {static_cast<const char*>(data_), size_}; }

 private:
  size_t size_;
  void* data_;
};

// The compression method of each entry as Python's zipfile reads it, after
// it has checked every CRC.
std::vector<int> PeerMethods(const std::string& archive) {
  const CommandResult result = RunCommand(
      "python3 -c 'import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1]) as z:\n"
      "    assert z.testzip() is None\n"
      "    print(*[i.compress_type for i in z.infolist()])' " +
      Quoted(archive));
  EXPECT_EQ(0, result.status);
  std::istringstream words(result.output);
  std::vector<int> methods;
  for (int method = 0; words >> method;) methods.push_back(method);
  return methods;
}

bool UnzipTests(const std::string& archive) {
  return RunCommand("unzip -tqq " + Quoted(archive) + " >&2").status == 0;
}

TEST(ZipWriteLimits, WhatDeflatesTighterThanReadingTakesIsStored) {
  const TempDir dir;
  const std::string archive = dir.File("out.zip");
  const ZipLimits small{.ratio = 10, .ratio_floor = 1000};
  std::string text;
  for (int i = 0; text.size() < 5000; ++i) text += std::to_string(i * 7919 % 1000003) + ";";
  // A blank page scanned without compression deflates over 1000 to 1.
  const std::string blank((4 << 20) + 1, '\0');
  const struct {
    const char* label;
    std::string bytes;
    ZipLimits limits;
    int method;  // 0 stored, 8 deflated
  } cases[] = {
      {"just above the floor", blank, ZipLimits(), 0},
      {"at the floor", blank.substr(1), ZipLimits(), 8},
      {"a small bound", std::string(5000, 'a'), small, 0},
      {"below a small floor", std::string(1000, 'a'), small, 8},
      {"within a small ratio", text, small, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    // Deflated by the writer, and deflated by its owner beforehand.
    ZipPacking packing;
    packing.smaller = DeflateSmaller(c.bytes, packing.deflated);
    ASSERT_TRUE(packing.smaller);
    COsAbbreviaTool::WriteArchive(archive, {{"a", c.bytes}, {"b", c.bytes, &packing}}, c.limits);
    EXPECT_EQ((std::vector<int>{c.method, c.method}), PeerMethods(archive));
    EXPECT_TRUE(UnzipTests(archive));
    const std::vector<ZipEntry> read = COsAbbreviaTool::ReadArchive(archive, c.limits);
    ASSERT_EQ(2u, read.size());
    EXPECT_TRUE(read[0].bytes == c.bytes && read[1].bytes == c.bytes);
  }
}

TEST(ZipWriteLimits, EntriesThatReadingRefusesByTheirSizeAreNeverWritten) {
  const TempDir dir;
  const std::string archive = dir.File("out.zip");
  const ZipLimits small{.entry_size = 100, .total_size = 250};
  const std::string most(100, 'x');
  const struct {
    std::vector<ZipEntryView> entries;
    std::string error;  // empty: written
  } cases[] = {
      {{{"a", most}, {"b", most}, {"c", std::string_view(most).substr(50)}}, ""},
      {{{"a", most}, {"b", most + "x"}}, "Размер файла [b] превышает предел [100] байт"},
      {{{"a", most}, {"b", most}, {"c", std::string_view(most).substr(49)}},
       "Общий размер файлов пакета с файлом [c] превышает предел [250] байт"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    std::filesystem::remove(archive);
    if (c.error.empty()) {
      COsAbbreviaTool::WriteArchive(archive, c.entries, small);
      EXPECT_EQ(3u, COsAbbreviaTool::ReadArchive(archive, small).size());
      EXPECT_TRUE(UnzipTests(archive));
    } else {
      EXPECT_EQ(c.error,
                ErrorOf([&] { COsAbbreviaTool::WriteArchive(archive, c.entries, small); }));
      EXPECT_FALSE(std::filesystem::exists(archive));
    }
  }
}

TEST(ZipWriteLimits, AnEntryOfFourGibibytesIsRefusedAtOnceInLittleMemory) {
  // 0xFFFFFFFF bytes, which libzip would mark as ZIP64 without the ZIP64
  // field that readers then look for: refused by the reading bound, and
  // by the 32-bit one where the limits would let it through.
  const ZeroView zeros(UINT32_MAX);
  ASSERT_TRUE(zeros.Made());
  const TempDir dir;
  const ZipLimits wide{.entry_size = int64_t{8} << 30, .total_size = int64_t{8} << 30};
  const struct {
    ZipLimits limits;
    std::string error;
  } cases[] = {
      {ZipLimits(), "Размер файла [scan.tif] превышает предел [268435456] байт"},
      {wide, "Размер файла [scan.tif] превышает предел [4294967294] байт"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    const TimedAnswer refusal = InBoundedChildTimed(
        64 << 20, 10,
        [&] {
          return ErrorOf([&] {
            COsAbbreviaTool::WriteArchive(dir.File("out.zip"), {{"scan.tif", zeros.Bytes()}},
                                          c.limits);
          });
        },
        dir.File("answer"));
    EXPECT_EQ(c.error, refusal.answer);
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(refusal.took, std::chrono::seconds(5));
#endif
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.zip")));
  }
}

}  // namespace
