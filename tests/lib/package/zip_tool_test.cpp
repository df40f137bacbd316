#include "lib/package/os_abbrevia_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "lib/foundation/text_routines.h"
#include "lib/package/zip_codec.h"
#include "platform/kernel/codepage.h"
#include "tests/support/bounded_child.h"
#include "tests/support/debug_capture.h"
#include "tests/support/error_of.h"
#include "tests/support/file_bytes.h"
#include "tests/support/run_command.h"
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
  for (const auto& [name, content] : entries) {
    arguments += ' ';
    arguments += Hex(name);
    arguments += '=';
    arguments += Hex(content);
  }
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

// The entries' names and bytes, in the archive's order.
std::vector<std::pair<std::string, std::string>> Pairs(const std::vector<ZipEntry>& entries) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const ZipEntry& entry : entries) pairs.emplace_back(entry.name, entry.bytes);
  return pairs;
}

TEST_F(ZipToolTest, WritesEntriesFromMemoryUnderTheirBareNames) {
  const std::string text(5000, 'a');
  // cp1251 bytes that also read as UTF-8 must not be marked as UTF-8.
  const std::vector<ZipEntryView> entries = {{"packageDescription.xml", "<x/>"},
                                             {kAnsiName, text},
                                             {"empty.p7s", ""},
                                             {kUtf8LookingName, "u"}};
  const std::string archive = dir_.File("out.zip");
  COsAbbreviaTool::WriteArchive(archive, entries);
  std::vector<PeerEntry> listed = ListZip(archive);
  std::sort(listed.begin(), listed.end(),
            [](const PeerEntry& a, const PeerEntry& b) { return a.name < b.name; });
  ASSERT_EQ(4u, listed.size());
  EXPECT_EQ("empty.p7s", listed[0].name);
  EXPECT_EQ("", listed[0].content);
  EXPECT_EQ("packageDescription.xml", listed[1].name);
  EXPECT_EQ("<x/>", listed[1].content);
  // The cp1251 names are stored as they are, marked by their host byte and
  // not as UTF-8, even when the bytes happen to read as UTF-8.
  EXPECT_EQ(kUtf8LookingName, listed[2].name);
  EXPECT_EQ("u", listed[2].content);
  EXPECT_EQ(kAnsiName, listed[3].name);
  EXPECT_EQ(text, listed[3].content);
  EXPECT_EQ(8, listed[3].compress_type);  // deflated
  for (const PeerEntry& entry : {listed[2], listed[3]}) {
    EXPECT_EQ(11, entry.create_system) << entry.name;
    EXPECT_EQ(0, entry.utf8_flag) << entry.name;
  }
  EXPECT_EQ(3, listed[0].create_system);

  // An existing file is made anew; an entry given twice is refused.
  COsAbbreviaTool::WriteArchive(archive, {{"one", "1"}});
  EXPECT_EQ(1u, ListZip(archive).size());
  EXPECT_NE("no error", ErrorOf([&] {
              COsAbbreviaTool::WriteArchive(dir_.File("twice.zip"), {{"a", "1"}, {"a", "2"}});
            }));
}

TEST_F(ZipToolTest, DeflatesAtLevelSixAndStoresWhatDoesNotShrink) {
  // Entries large enough for the work to be spread over threads.
  std::mt19937 random(5);
  std::string noise(700 << 10, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  std::string text;
  while (text.size() < (900 << 10))
    text += "строка документа " + std::to_string(random() % 977) + "\n";
  const std::string other = text.substr(1000) + "конец";
  const std::string archive = dir_.File("out.zip");
  COsAbbreviaTool::WriteArchive(
      archive, {{"noise.bin", noise}, {"text.txt", text}, {"other.txt", other}, {"empty", ""}});

  std::vector<PeerEntry> listed = ListZip(archive);
  ASSERT_EQ(4u, listed.size());
  EXPECT_EQ(0, listed[0].compress_type);  // stored: deflate would not shrink it
  EXPECT_EQ(noise, listed[0].content);
  EXPECT_EQ(8, listed[1].compress_type);
  EXPECT_EQ(text, listed[1].content);
  EXPECT_EQ(other, listed[2].content);
  EXPECT_EQ(0, listed[3].compress_type);
  EXPECT_EQ(Hex("text.txt") + " 1\n" + Hex("other.txt") + " 1\n", Peer("level '" + archive + "'"));

  // Read back on the machine's cores, every byte checked by its CRC.
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{
                {"noise.bin", noise}, {"text.txt", text}, {"other.txt", other}, {"empty", ""}}),
            Pairs(COsAbbreviaTool::ReadArchive(archive)));
  for (const char* name : {"text.txt", "noise.bin"}) {
    COsAbbreviaTool::WriteArchive(archive, {{"text.txt", text}, {"noise.bin", noise}});
    Peer("corrupt '" + archive + "' " + Hex(name));
    const std::string error = ErrorOf([&] { COsAbbreviaTool::ReadArchive(archive); });
    const std::string prefix = "Ошибка при работе с архивом [" + archive + "]: ";
    EXPECT_TRUE(error == prefix + "контрольная сумма (CRC) файла не совпадает" ||
                error == prefix + "сжатые данные повреждены" ||
                error == prefix + "архив повреждён: его заголовки не согласуются")
        << error;
  }
}

TEST_F(ZipToolTest, PiecesDeflatedOnSeveralCoresMakeOneStream) {
  std::string text;
  std::mt19937 random(9);
  while (text.size() < (5 << 20) + 12345)
    text += "строка " + std::to_string(random() % 5000) + "\n";
  ZipDeflated deflated;
  ASSERT_TRUE(DeflateSmaller(text, deflated, true));
  EXPECT_LT(deflated.packed_size, text.size() / 2);
  std::string packed;
  for (const std::string& block : deflated.blocks) packed += block;
  EXPECT_EQ(deflated.packed_size, packed.size());
  std::string unpacked;
  ASSERT_TRUE(InflateRaw(packed, text.size(), text.size(), unpacked, [](int64_t) {}));
  EXPECT_EQ(text, unpacked);
  EXPECT_EQ(ZipCrc32(text), deflated.crc);

  std::string noise(3 << 20, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  EXPECT_FALSE(DeflateSmaller(noise, deflated, true));
  EXPECT_TRUE(deflated.blocks.empty());
}

TEST_F(ZipToolTest, ReadsEveryEntryIntoMemory) {
  const std::string archive = dir_.File("in.zip");
  MakeZip(archive, {{"packageDescription.xml", "<x/>"}, {kAnsiName, std::string("\0\xFF", 2)}});
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{
                {"packageDescription.xml", "<x/>"}, {kAnsiName, std::string("\0\xFF", 2)}}),
            Pairs(COsAbbreviaTool::ReadArchive(archive)));
  // Nothing is written anywhere.
  EXPECT_TRUE(Names(tmp_.Path()).empty());
}

TEST_F(ZipToolTest, RefusesNamesThatWouldLandElsewhereOrUnderAnotherName) {
  const struct {
    std::string name;
    std::string error;
  } cases[] = {
      {"../escaped.txt", "Недопустимое имя файла в архиве: [../escaped.txt]"},
      {"sub/inner.txt", "Недопустимое имя файла в архиве: [sub/inner.txt]"},
      {"/abs.txt", "Недопустимое имя файла в архиве: [/abs.txt]"},
      {"c:x", "Недопустимое имя файла в архиве: [c:x]"},
      {"ctl\x01\x1b.txt", "Недопустимое имя файла в архиве: [ctl\\x01\\x1B.txt]"},
      {"del\x7f", "Недопустимое имя файла в архиве: [del\\x7F]"},
      {std::string("ok\0.txt", 7), "Недопустимое имя файла в архиве: [ok\\x00.txt]"},
      {"first.txt", "Файл [first.txt] встречается в архиве дважды"},
  };
  for (const auto& c : cases) {
    MakeZip(dir_.File("bad.zip"), {{"first.txt", "1"}, {c.name, "2"}});
    EXPECT_EQ(c.error, ErrorOf([&] { COsAbbreviaTool::ReadArchive(dir_.File("bad.zip")); }))
        << Hex(c.name);
  }
  WriteBytes(dir_.File("not.zip"), "not a zip archive");
  EXPECT_EQ("Ошибка при работе с архивом [" + dir_.File("not.zip") +
                "]: файл не является zip-архивом или обрезан",
            ErrorOf([&] { COsAbbreviaTool::ReadArchive(dir_.File("not.zip")); }));
  EXPECT_EQ("Файл не найден: [" + dir_.File("missing.zip") + "]",
            ErrorOf([&] { COsAbbreviaTool::ReadArchive(dir_.File("missing.zip")); }));
}

TEST_F(ZipToolTest, BoundsWhatAnArchiveUnpacksTo) {
  const std::string archive = dir_.File("big.zip");
  const auto read = [&](const ZipLimits& limits) {
    return ErrorOf([&] { COsAbbreviaTool::ReadArchive(archive, limits); });
  };
  // The bounds of a real package: more entries than a zip without ZIP64
  // can hold, an entry above 256 MiB, one that unpacks 1000 times over.
  Peer("many '" + archive + "' 65536");
  EXPECT_EQ("Число файлов в архиве [65536] превышает предел [65535]", read(ZipLimits()));
  Peer("zeros '" + archive + "' " + Hex("big.tif") + " " + std::to_string((256 << 20) + 1));
  EXPECT_EQ("Размер файла [big.tif] в архиве превышает предел [268435456] байт", read(ZipLimits()));
  Peer("zeros '" + archive + "' " + Hex("big.tif") + " " + std::to_string(5 << 20));
  EXPECT_EQ("Файл [big.tif] в архиве сжат сильнее предела [500] к 1", read(ZipLimits()));
  // A blank scan within the editor's picture limits unpacks as it is.
  Peer("zeros '" + archive + "' " + Hex("blank.tif") + " " + std::to_string(1500000));
  EXPECT_EQ(1500000u, COsAbbreviaTool::ReadArchive(archive)[0].bytes.size());

  // The total; and bytes that the headers understate are never inflated
  // past what they declare, which the bounds counted, whatever the bounds.
  MakeZip(archive, {{"a", std::string(600, 'a')}, {"b", std::string(600, 'b')}});
  EXPECT_EQ("Общий размер файлов в архиве превышает предел [1000] байт",
            read({.total_size = 1000}));
  Peer("understate '" + archive + "'");
  const std::string understated = "Ошибка при работе с архивом [" + archive +
                                  "]: архив повреждён: его заголовки не согласуются";
  EXPECT_EQ(understated, read(ZipLimits()));
  EXPECT_EQ(understated, read({.entry_size = 100}));
  EXPECT_EQ(understated, read({.ratio = 2, .ratio_floor = 10}));

  // Stored bytes declared far beyond the archive's own length are refused
  // before a buffer of that size is made.
  MakeZip(archive, {{"a", std::string(600, 'a')}});
  Peer("overstate-stored '" + archive + "'");
  EXPECT_EQ("Ошибка при работе с архивом [" + archive +
                "]: архив повреждён: его заголовки не согласуются",
            read(ZipLimits()));
}

TEST_F(ZipToolTest, SizesDeclaredBeyondTheBoundsAreRefusedBeforeTheyAreUsed) {
  // Unpacked sizes in ZIP64 extra fields that a signed figure would hold
  // as negative, and one just above the bound; one entry of 8 bytes makes
  // an archive of 158 bytes.
  const std::string archive = dir_.File("declared.zip");
  const std::string refused = "Размер файла [0] в архиве превышает предел [268435456] байт";
  const uint64_t negative = ~uint64_t{0} - (uint64_t{1} << 62) + 1;  // 2^64 - 2^62
  for (const uint64_t size :
       {negative, uint64_t{1} << 63, ~uint64_t{0}, (uint64_t{256} << 20) + 1}) {
    SCOPED_TRACE(size);
    Peer("declare-size '" + archive + "' 1 " + std::to_string(size) + " 8");
    EXPECT_EQ(refused, ErrorOf([&] { COsAbbreviaTool::ReadArchive(archive); }));
    EXPECT_EQ(refused, ErrorOf([&] { COsAbbreviaTool::UnzipString(ReadBytes(archive)); }));
    EXPECT_EQ(refused, ErrorOf([&] { COsAbbreviaTool::UnzippedSize(ReadBytes(archive)); }));
  }
  EXPECT_EQ(158u, ReadBytes(archive).size());

  // 1,000 such entries in 4 MB are refused at once, in little memory.
  Peer("declare-size '" + archive + "' 1000 " + std::to_string(negative));
  const TimedAnswer refusal = InBoundedChildTimed(
      64 << 20, 10, [&] { return ErrorOf([&] { COsAbbreviaTool::ReadArchive(archive); }); },
      dir_.File("answer"));
  EXPECT_EQ(refused, refusal.answer);
  EXPECT_LT(refusal.took, std::chrono::seconds(1));
}

TEST_F(ZipToolTest, EntriesOfKindsThePackageNeverWritesAreRefusedBeforeAnyIsRead) {
  // Four bzip2 entries of 256 MiB of zeros each in about 1.2 KB, whose
  // stored sizes claim 2 GiB: libzip's own decoder would unpack them
  // beyond the archive-length bound and the ratio.
  const std::string bomb = dir_.File("bzip2.zip");
  Peer("bzip2 '" + bomb + "' 4");
  EXPECT_LT(ReadBytes(bomb).size(), 2048u);
  const std::string refused =
      "Файл [0] в архиве сжат методом [bzip2, код 12], а пакет хранит файлы только несжатыми или "
      "сжатыми методом deflate";
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(refused,
            InBoundedChild(
                64 << 20, [&] { return ErrorOf([&] { COsAbbreviaTool::ReadArchive(bomb); }); },
                dir_.File("answer")));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  // Compressed content is held to the same kinds.
  Peer("bzip2 '" + dir_.File("one.zip") + "' 1");
  EXPECT_EQ(refused,
            ErrorOf([&] { COsAbbreviaTool::UnzipString(ReadBytes(dir_.File("one.zip"))); }));

  // An entry that is encrypted, whatever its method.
  MakeZip(dir_.File("encrypted.zip"), {{"a.xml", "<a/>"}});
  Peer("mark-encrypted '" + dir_.File("encrypted.zip") + "'");
  EXPECT_EQ("Файл [a.xml] в архиве зашифрован, а пакет не шифрует своих файлов",
            ErrorOf([&] { COsAbbreviaTool::ReadArchive(dir_.File("encrypted.zip")); }));
}

TEST_F(ZipToolTest, EntriesThatShareTheirBytesAreRefusedBeforeAnyIsRead) {
  // Two entries over one local header: each would be held on its own.
  const std::string shared = dir_.File("shared.zip");
  Peer("shared '" + shared + "' 2 64");
  EXPECT_EQ("Файл [1] в архиве занимает байты файла [0]",
            ErrorOf([&] { COsAbbreviaTool::ReadArchive(shared); }));

  // One entry, read from a file and from memory alike.
  const std::string archive = dir_.File("one.zip");
  const struct {
    const char* what;
    std::function<void()> make;
    std::string error;
  } cases[] = {
      {"stored bytes over the directory", [&] { Peer("shared '" + archive + "' 1 64"); },
       "Файл [0] в архиве занимает байты оглавления архива"},
      {"another local name",
       [&] {
         MakeZip(archive, {{"a.xml", "<a/>"}});
         Peer("patch-local '" + archive + "' 30 " + Hex("b"));
       },
       "Файл [a.xml] в архиве назван в своём локальном заголовке иначе: [b.xml]"},
      {"a shorter local name",
       [&] {
         MakeZip(archive, {{"a.xml", "<a/>"}});
         Peer("patch-local '" + archive + "' 26 0400");
       },
       "Файл [a.xml] в архиве назван в своём локальном заголовке иначе: [a.xm]"},
      {"another local method",
       [&] {
         MakeZip(archive, {{"a.xml", "<a/>"}});
         Peer("patch-local '" + archive + "' 8 0000");
       },
       "Файл [a.xml] в архиве сжат методом [deflate, код 8], а его локальный заголовок называет "
       "метод [store, код 0]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.make();
    EXPECT_EQ(c.error, ErrorOf([&] { COsAbbreviaTool::ReadArchive(archive); }));
    EXPECT_EQ(c.error, ErrorOf([&] { COsAbbreviaTool::UnzipString(ReadBytes(archive)); }));
  }

  // Sizes and CRC left to a data descriptor are zero in the local headers;
  // ZIP64 records keep sizes and offsets in their extra field, the
  // unpacked size before the stored one (deflated, so that they differ).
  for (const char* kind : {"make-streamed", "make-zip64"}) {
    SCOPED_TRACE(kind);
    Peer(std::string(kind) + " '" + archive + "' " + Hex("a.xml") + "=" + Hex("<a/>") + " " +
         Hex("b") + "=" + Hex(std::string(100, 'b')));
    EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"a.xml", "<a/>"},
                                                                {"b", std::string(100, 'b')}}),
              Pairs(COsAbbreviaTool::ReadArchive(archive)));
  }
}

TEST_F(ZipToolTest, EntriesListedOutOfTheirDataOrderAreCheckedByWhereTheirBytesLie) {
  // The directory's order is the entries' order, whatever that of their data.
  const std::string archive = dir_.File("listed.zip");
  MakeZip(archive, {{"a", "1"}, {"b", std::string(50, 'b')}, {"c", "3"}});
  Peer("reverse '" + archive + "'");
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{
                {"c", "3"}, {"b", std::string(50, 'b')}, {"a", "1"}}),
            Pairs(COsAbbreviaTool::ReadArchive(archive)));
  // Entry "b" lies inside the stored data of "a", listed after it and before.
  Peer("inside '" + archive + "'");
  for (const bool reversed : {false, true}) {
    SCOPED_TRACE(reversed);
    if (reversed) Peer("reverse '" + archive + "'");
    EXPECT_EQ("Файл [b] в архиве занимает байты файла [a]",
              ErrorOf([&] { COsAbbreviaTool::ReadArchive(archive); }));
  }
}

TEST_F(ZipToolTest, AnArchiveOfMoreThanOneEndRecordIsRefusedBeforeAnyEntryIsRead) {
  const std::string name = "платёж-A.pdf";
  const std::string archive = dir_.File("ends.zip");
  const auto refused = [](const std::string& label) {
    return "Ошибка при работе с архивом [" + label +
           "]: в архиве больше одной записи о конце оглавления, и разные программы прочли бы в "
           "нём разные файлы";
  };
  const struct {
    const char* what;
    std::function<void()> make;
  } cases[] = {
      // libzip takes the first of two directories of the same span, the
      // peer the last.
      {"two archives in one",
       [&] {
         Peer("two-ends '" + archive + "' " + Hex(name) + " " + Hex("%PDF first") + " " +
              Hex("%PDF other"));
         ASSERT_EQ(1u, ListZip(archive).size());
         EXPECT_EQ("%PDF other", ListZip(archive)[0].content);
       }},
      {"two archives in one, the first of ZIP64",
       [&] {
         Peer("two-ends-zip64 '" + archive + "' " + Hex(name) + " " + Hex("%PDF first") + " " +
              Hex("%PDF other"));
         EXPECT_EQ("%PDF other", ListZip(archive).at(0).content);
       }},
      {"a copy of the end record in its comment",
       [&] {
         MakeZip(archive, {{name, "%PDF"}});
         Peer("comment '" + archive + "' END");
       }},
      {"an empty end record in its comment",
       [&] {
         MakeZip(archive, {{name, "%PDF"}});
         Peer("comment '" + archive + "' 504b0506" + std::string(36, '0'));
       }},
      {"the signature alone in its comment",
       [&] {
         MakeZip(archive, {{name, "%PDF"}});
         Peer("comment '" + archive + "' 504b0506");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.make();
    EXPECT_EQ(refused(archive), ErrorOf([&] { COsAbbreviaTool::ReadArchive(archive); }));
    EXPECT_EQ(refused("сжатое содержимое"),
              ErrorOf([&] { COsAbbreviaTool::UnzipString(ReadBytes(archive)); }));
  }

  // The end records of a zip archive stored as the last entry lead to no
  // directory of the package's.
  std::mt19937 random(5);
  std::string noise(3000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  COsAbbreviaTool::WriteArchive(dir_.File("inner.zip"), {{"scan.bin", noise}});
  const std::string inner = ReadBytes(dir_.File("inner.zip"));
  COsAbbreviaTool::WriteArchive(archive, {{"a.xml", "<a/>"}, {"inner.zip", inner}});
  ASSERT_NE(std::string::npos, ReadBytes(archive).find(inner));
  EXPECT_EQ(
      (std::vector<std::pair<std::string, std::string>>{{"a.xml", "<a/>"}, {"inner.zip", inner}}),
      Pairs(COsAbbreviaTool::ReadArchive(archive)));
}

TEST_F(ZipToolTest, ZipArchivesHeldAsDocumentsAtAnyDepthAreNeverTakenForItsDirectory) {
  // An archive a user attaches, with a comment, stored in an archive that
  // is stored in another, and so on: its end records give offsets from its
  // own start, which with some comment lengths lead to the directory of an
  // archive held deeper.
  std::mt19937 random(7);
  std::string noise(1000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const ZipPacking stored;  // as deflating would not make them smaller
  const std::string archive = dir_.File("held.zip");
  for (const int depth : {1, 2, 3}) {
    for (size_t comment = 0; comment < 100; ++comment) {
      SCOPED_TRACE(std::to_string(depth) + " " + std::to_string(comment));
      COsAbbreviaTool::WriteArchive(archive, {{"scan.bin", noise, &stored}});
      // Written without a comment: the archive ends in its end record.
      std::string held = ReadBytes(archive);
      held[held.size() - 2] = static_cast<char>(comment);
      held.append(comment, 'c');
      for (int level = 0; level < depth; ++level) {
        COsAbbreviaTool::WriteArchive(archive,
                                      {{"a.xml", "<a/>", &stored}, {"held.zip", held, &stored}});
        held = ReadBytes(archive);
      }
      EXPECT_EQ("no error", ErrorOf([&] { COsAbbreviaTool::ReadArchive(archive); }));
    }
    // The peers read the last of them cleanly.
    ASSERT_EQ(2u, ListZip(archive).size());
    EXPECT_EQ(0, RunCommand("unzip -tqq '" + archive + "'").status);
  }
}

TEST_F(ZipToolTest, NamesFlaggedAsUtf8AreReadInCodePage1251) {
  // As other zip writers store names beyond ASCII.
  const std::string archive = dir_.File("utf8.zip");
  Peer("make-utf8 '" + archive + "' " + Hex(AnsiToUtf8(kAnsiName)) + "=" + Hex("<a/>") + " " +
       Hex("plain.txt") + "=" + Hex("p"));
  ASSERT_EQ(1, ListZip(archive)[0].utf8_flag);
  EXPECT_EQ(
      (std::vector<std::pair<std::string, std::string>>{{kAnsiName, "<a/>"}, {"plain.txt", "p"}}),
      Pairs(COsAbbreviaTool::ReadArchive(archive)));

  // Names without a form in the code page, and what the checks see.
  const struct {
    std::string utf8;
    std::string error;
  } cases[] = {
      {"\xE6\x96\x87\xE4\xBB\xB6.txt",
       "Имя файла [\\xE6\\x96\\x87\\xE4\\xBB\\xB6.txt] в архиве записано в UTF-8 и не "
       "переводится в кодовую страницу 1251"},
      {AnsiToUtf8("отчёт") + "\xE2\x9C\x93.pdf",
       "Имя файла [отчёт\\xE2\\x9C\\x93.pdf] в архиве записано в UTF-8 и не переводится в "
       "кодовую страницу 1251"},
      {"a\xC0\xAF.txt",  // "/" written long
       "Имя файла [a\\xC0\\xAF.txt] в архиве записано в UTF-8 и не переводится в кодовую "
       "страницу 1251"},
      // cp1251 bytes flagged by mistake: no UTF-8 at all.
      {kAnsiName,
       "Имя файла [\\xE7\\xE0\\xFF\\xE2\\xEB\\xE5\\xED\\xE8\\xE5.xml] в архиве записано в "
       "UTF-8 и не переводится в кодовую страницу 1251"},
      {AnsiToUtf8("акт") + "\xFF\x01.pdf",
       "Имя файла [акт\\xFF\\x01.pdf] в архиве записано в UTF-8 и не переводится в кодовую "
       "страницу 1251"},
      {AnsiToUtf8("папка/файл.txt"), "Недопустимое имя файла в архиве: [папка/файл.txt]"},
  };
  for (const auto& c : cases) {
    Peer("make-utf8 '" + archive + "' " + Hex("first.txt") + "=31 " + Hex(c.utf8) + "=32");
    EXPECT_EQ(c.error, ErrorOf([&] { COsAbbreviaTool::ReadArchive(archive); })) << Hex(c.utf8);
  }
  // Compressed content names the entry that libzip refuses too: the
  // cp1251 bytes flagged by mistake.
  Peer("make-utf8 '" + archive + "' " + Hex(kAnsiName) + "=32");
  EXPECT_EQ(cases[3].error, ErrorOf([&] { COsAbbreviaTool::UnzipString(ReadBytes(archive)); }));
}

TEST_F(ZipToolTest, ThousandsOfEntriesOverOneHeaderTakeNeitherMemoryNorTime) {
  // 8,000 entries over one header whose stored bytes run through the
  // archive's 450 KB: read one by one, they would take 3.5 GB.
  const std::string archive = dir_.File("shared.zip");
  Peer("shared '" + archive + "' 8000 49152");
  EXPECT_LT(ReadBytes(archive).size(), 460000u);
  // The best of three runs, so that a loaded machine does not fail it.
  auto best = std::chrono::steady_clock::duration::max();
  for (int run = 0; run < 3; ++run) {
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ("Файл [1] в архиве занимает байты файла [0]",
              InBoundedChild(
                  64 << 20, [&] { return ErrorOf([&] { COsAbbreviaTool::ReadArchive(archive); }); },
                  dir_.File("answer")));
    best = std::min(best, std::chrono::steady_clock::now() - started);
  }
  EXPECT_LT(best, std::chrono::seconds(1));
}

TEST_F(ZipToolTest, WhatLibzipRefusesIsNamedInRussianAndItsOwnTextGoesToTheTrace) {
  const std::string archive = dir_.File("bad.zip");
  std::mt19937 random(3);
  std::string noise(300, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  // One entry deflated, one stored: the archive ends in its 22-byte end
  // record, without a comment.
  COsAbbreviaTool::WriteArchive(archive, {{"a.xml", std::string(3000, 'a')}, {"b.bin", noise}});
  const std::string good = ReadBytes(archive);
  // The archive with 16-bit fields of its end record set to `value`.
  const auto end_record = [&](std::initializer_list<size_t> fields, uint16_t value) {
    std::string bytes = good;
    for (const size_t field : fields) {
      bytes[bytes.size() - 22 + field] = static_cast<char>(value & 0xFF);
      bytes[bytes.size() - 22 + field + 1] = static_cast<char>(value >> 8);
    }
    return bytes;
  };
  const std::string not_zip = "файл не является zip-архивом или обрезан";
  const std::string inconsistent = "архив повреждён: его заголовки не согласуются";
  const struct {
    const char* what;
    std::function<void()> make;
    std::string text;
    std::string trace;  // libzip's own, when the refusal is libzip's
  } cases[] = {
      {"not a zip", [&] { WriteBytes(archive, "PK not a zip archive"); }, not_zip,
       "[libzip: Not a zip archive]"},
      {"empty", [&] { WriteBytes(archive, ""); }, not_zip, "[libzip: Not a zip archive]"},
      {"truncated", [&] { WriteBytes(archive, good.substr(0, good.size() / 2)); }, not_zip,
       "[libzip: Not a zip archive]"},
      {"multi-disk",
       [&] {
         WriteBytes(archive, end_record({4, 6}, 1));
       },
       "многотомные архивы не поддерживаются", "[libzip: Multi-disk zip archives not supported]"},
      {"miscounted",
       [&] {
         WriteBytes(archive, end_record({8, 10}, 3));
       },
       inconsistent, ""},
      {"misplaced",
       [&] {
         WriteBytes(archive, good);
         Peer("misplace '" + archive + "'");
       },
       inconsistent, ""},
      {"CRC",
       [&] {
         WriteBytes(archive, good);
         Peer("corrupt '" + archive + "' " + Hex("b.bin"));
       },
       "контрольная сумма (CRC) файла не совпадает", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.make();
    DebugCapture debug;
    EXPECT_EQ("Ошибка при работе с архивом [" + archive + "]: " + c.text,
              ErrorOf([&] { COsAbbreviaTool::ReadArchive(archive); }));
    if (!c.trace.empty()) {
      EXPECT_NE(debug.Lines().end(),
                std::find(debug.Lines().begin(), debug.Lines().end(), c.trace));
    }
  }
}

TEST_F(ZipToolTest, UnzipsTheOneFileOfAnArchiveInMemory) {
  MakeZip(dir_.File("one.zip"), {{"doc.xml", std::string("<a>\0\xC0</a>", 9)}});
  EXPECT_EQ(std::string("<a>\0\xC0</a>", 9),
            COsAbbreviaTool::UnzipString(ReadBytes(dir_.File("one.zip"))));

  MakeZip(dir_.File("two.zip"), {{"a", "1"}, {"b", "2"}});
  EXPECT_EQ("Неверное число файлов в архиве: [2]",
            ErrorOf([&] { COsAbbreviaTool::UnzipString(ReadBytes(dir_.File("two.zip"))); }));
  EXPECT_EQ(
      "Ошибка при работе с архивом [сжатое содержимое]: файл не является zip-архивом или обрезан",
      ErrorOf([&] { COsAbbreviaTool::UnzipString("not a zip"); }));
  // Compressed content has the bounds of an entry: 2.6 KB that would
  // unpack to 5 MiB are refused.
  Peer("zeros '" + dir_.File("bomb.zip") + "' " + Hex("x") + " " + std::to_string(5 << 20));
  EXPECT_EQ("Файл [x] в архиве сжат сильнее предела [500] к 1",
            ErrorOf([&] { COsAbbreviaTool::UnzipString(ReadBytes(dir_.File("bomb.zip"))); }));
  EXPECT_TRUE(Names(tmp_.Path()).empty());
}

}  // namespace
