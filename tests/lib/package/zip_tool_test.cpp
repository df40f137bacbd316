#include "lib/package/os_abbrevia_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "lib/foundation/text_routines.h"
#include "platform/kernel/codepage.h"
#include "tests/platform/crypt/crypt_test_support.h"
#include "tests/support/error_of.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kAnsiName = "заявление.xml";  // cp1251 bytes
const std::string kUtf8LookingName = "Рё.txt";  // D0 B8: "и" in UTF-8

std::string Hex(const std::string& bytes) {
  std::string hex = BinToHexStr(bytes);
  for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return hex;
}

std::string Peer(const std::string& arguments) {
  const CommandResult result = RunCommand("python3 '" TARVEX_TEST_DIR "/zip_peer.py' " + arguments);
  EXPECT_EQ(0, result.status) << arguments;
  return result.output;
}

// A zip archive made by the peer, with raw entry names.
void MakeZip(const std::string& archive,
             const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string arguments = "make '" + archive + "'";
  for (const auto& [name, content] : entries) arguments += " " + Hex(name) + "=" + Hex(content);
  Peer(arguments);
}

struct PeerEntry {
  std::string name;
  int compress_type = -1;
  int create_system = -1;
  int utf8_flag = -1;
  std::string content;
};

std::vector<PeerEntry> ListZip(const std::string& archive) {
  std::istringstream lines(Peer("list '" + archive + "'"));
  std::vector<PeerEntry> entries;
  PeerEntry entry;
  std::string name_hex, content_hex;
  while (lines >> name_hex >> entry.compress_type >> entry.create_system >> entry.utf8_flag >>
         content_hex) {
    entry.name = HexToBin(name_hex);
    entry.content = content_hex == "-" ? "" : HexToBin(content_hex);
    entries.push_back(entry);
  }
  return entries;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    names.push_back(item.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// TMP points at a folder of the test's own.
class ZipToolTest : public testing::Test {
 protected:
  void SetUp() override { ::setenv("TMP", tmp_.Path().c_str(), 1); }
  void TearDown() override { ::unsetenv("TMP"); }

  TempDir tmp_;
  TempDir dir_;
};

TEST_F(ZipToolTest, ZipsTheFilesOfAFolderUnderTheirBareNames) {
  const std::string folder = dir_.File("in");
  std::filesystem::create_directory(folder);
  WriteBytes(folder + "/packageDescription.xml", "<x/>");
  WriteBytes(folder + "/" + AnsiToUtf8(kAnsiName), std::string(5000, 'a'));
  WriteBytes(folder + "/empty.p7s", "");
  // cp1251 bytes that also read as UTF-8 must not be marked as UTF-8.
  WriteBytes(folder + "/" + AnsiToUtf8(kUtf8LookingName), "u");
  std::filesystem::create_directory(folder + "/sub");
  WriteBytes(folder + "/sub/inner.txt", "not taken");

  const std::string archive = dir_.File("out.zip");
  ASSERT_TRUE(COsAbbreviaTool::ZipFolder(folder, "*.*", archive));
  std::vector<PeerEntry> entries = ListZip(archive);
  std::sort(entries.begin(), entries.end(),
            [](const PeerEntry& a, const PeerEntry& b) { return a.name < b.name; });
  ASSERT_EQ(4u, entries.size());
  EXPECT_EQ("empty.p7s", entries[0].name);
  EXPECT_EQ("", entries[0].content);
  EXPECT_EQ("packageDescription.xml", entries[1].name);
  EXPECT_EQ("<x/>", entries[1].content);
  // The cp1251 names are stored as they are, marked by their host byte and
  // not as UTF-8, even when the bytes happen to read as UTF-8.
  EXPECT_EQ(kUtf8LookingName, entries[2].name);
  EXPECT_EQ("u", entries[2].content);
  EXPECT_EQ(kAnsiName, entries[3].name);
  EXPECT_EQ(std::string(5000, 'a'), entries[3].content);
  EXPECT_EQ(8, entries[3].compress_type);  // deflated
  for (const PeerEntry& entry : {entries[2], entries[3]}) {
    EXPECT_EQ(11, entry.create_system) << entry.name;
    EXPECT_EQ(0, entry.utf8_flag) << entry.name;
  }
  EXPECT_EQ(3, entries[0].create_system);

  EXPECT_FALSE(COsAbbreviaTool::ZipFolder(dir_.File("missing"), "*.*", dir_.File("no.zip")));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("no.zip")));
}

TEST_F(ZipToolTest, ExtractsEveryEntryIntoTheFolderOrANewSubfolder) {
  const std::string archive = dir_.File("in.zip");
  MakeZip(archive, {{"packageDescription.xml", "<x/>"}, {kAnsiName, std::string("\0\xFF", 2)}});

  const std::string target = dir_.File("a/b");
  EXPECT_EQ(target + "/", COsAbbreviaTool::ExtractArchive(target, archive, false));
  EXPECT_EQ((std::vector<std::string>{"packageDescription.xml", AnsiToUtf8(kAnsiName)}),
            Names(target));
  EXPECT_EQ(std::string("\0\xFF", 2), ReadBytes(target + "/" + AnsiToUtf8(kAnsiName)));

  const std::string sub = COsAbbreviaTool::ExtractArchive(target, archive, true);
  ASSERT_EQ(target.size() + 1 + 38 + 1, sub.size()) << sub;
  EXPECT_EQ('{', sub[target.size() + 1]);
  EXPECT_EQ(2u, Names(sub).size());
}

TEST_F(ZipToolTest, AFailedExtractionLeavesNoFolder) {
  const std::string target = dir_.File("t");
  WriteBytes(dir_.File("bad.zip"), "not a zip archive");
  EXPECT_EQ("", COsAbbreviaTool::ExtractArchive(target, dir_.File("bad.zip"), false));
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_EQ("", COsAbbreviaTool::ExtractArchive(target, dir_.File("missing.zip"), false));

  // An entry that would land outside the folder is refused, and what was
  // extracted before it is removed.
  for (const char* name : {"../escaped.txt", "sub/inner.txt", "/abs.txt"}) {
    MakeZip(dir_.File("slip.zip"), {{"first.txt", "1"}, {name, "2"}});
    EXPECT_EQ("", COsAbbreviaTool::ExtractArchive(target, dir_.File("slip.zip"), false)) << name;
    EXPECT_FALSE(std::filesystem::exists(target)) << name;
    EXPECT_FALSE(std::filesystem::exists(dir_.File("escaped.txt")));
  }
}

TEST_F(ZipToolTest, UnzipsTheOneFileOfAnArchiveInMemory) {
  MakeZip(dir_.File("one.zip"), {{"doc.xml", std::string("<a>\0\xC0</a>", 9)}});
  EXPECT_EQ(std::string("<a>\0\xC0</a>", 9),
            COsAbbreviaTool::UnzipString(ReadBytes(dir_.File("one.zip"))));

  MakeZip(dir_.File("two.zip"), {{"a", "1"}, {"b", "2"}});
  EXPECT_EQ("Неверное число файлов в архиве: [2]",
            ErrorOf([&] { COsAbbreviaTool::UnzipString(ReadBytes(dir_.File("two.zip"))); }));
  EXPECT_NE("no error", ErrorOf([&] { COsAbbreviaTool::UnzipString("not a zip"); }));
  // The temporary files go in every case.
  EXPECT_TRUE(Names(tmp_.Path()).empty());
}

}  // namespace
