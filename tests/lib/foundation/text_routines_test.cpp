#include "lib/foundation/text_routines.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "tests/support/file_bytes.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(TextRoutines, ReplaceCopyAndPrefix) {
  EXPECT_EQ(ReplaceAll("aXbxc", "x", "--"), "a--b--c");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  // Only a-z are folded: the Cyrillic capital stays unmatched.
  EXPECT_EQ(ReplaceAll("Файл файл FILE", "файл", "x"), "Файл x FILE");
  EXPECT_EQ(ReplaceAll("Файл file FILE", "File", "x"), "Файл x x");

  EXPECT_EQ(CopyLeft("abc", 2), "ab");
  EXPECT_EQ(CopyLeft("abc", 5), "abc");
  EXPECT_EQ(CopyLeft("abc", 0), "");

  EXPECT_TRUE(StartsWith("abc", ""));
  EXPECT_TRUE(StartsWith("abc", "ab"));
  EXPECT_FALSE(StartsWith("abc", "ABC"));
  EXPECT_FALSE(StartsWith("ab", "abc"));
}

TEST(TextRoutines, HexDigits) {
  EXPECT_EQ(BinToHexStr(Bytes({0x00, 0xAB})), "00AB");
  EXPECT_EQ(BinToHexPrefixed(Bytes({0x00, 0xAB})), "0x00AB");
  EXPECT_EQ(BinToHexPrefixed(""), "");
  EXPECT_EQ(BinToHexStr(""), "");
  EXPECT_EQ(BinToHex("\xFF", 0), "");
  char out[4] = {'.', '.', '.', '.'};
  BinToHexBuf("\x5A", out, 1);
  EXPECT_EQ(std::string(out, 4), "5A..");

  EXPECT_EQ(HexToBin("0aFF"), Bytes({0x0A, 0xFF}));
  EXPECT_EQ(HexToBin("abc"), Bytes({0xAB}));  // the odd digit is ignored
  EXPECT_EQ(HexToBin(""), "");
  // Not rejected: "G" is 71 - 87 = -16, so "GG" gives -272, kept to 8 bits.
  EXPECT_EQ(HexToBin("GG"), Bytes({0xF0}));
}

TEST(TextRoutines, Base64DecodeSkipsEverythingOutsideTheAlphabet) {
  struct Case {
    const char* text;
    const char* bytes;
  } cases[] = {
      {"QUJD", "ABC"},
      {"QU\r\nJD", "ABC"},
      {"QUI=", "AB"},
      {"QQ==", "A"},
      {"Q", ""},
      {"", ""},
      {"QU=JD", "ABC"},
      {"-Q U!J\tD-", "ABC"},
      {"QUJDRA", "ABCD"},
      {"QUJDRE", "ABCD"},
      {"QUJDREU", "ABCDE"},
      {"QUJDREUx", "ABCDE1"},
  };
  for (const Case& c : cases) EXPECT_EQ(Base64Decode(c.text), c.bytes) << c.text;

  EXPECT_TRUE(IsBase64Text("QUJD\r\n"));
  EXPECT_TRUE(IsBase64Text("-"));
  EXPECT_TRUE(IsBase64Text(""));
  EXPECT_TRUE(IsBase64Text("a+/= 9"));
  EXPECT_FALSE(IsBase64Text("QUJD!"));
  EXPECT_FALSE(IsBase64Text("QU\tJD"));
  EXPECT_FALSE(IsBase64Text("\xC0"));
}

// Random data of sizes around the group and line boundaries, encoded by
// Python: base64 with 76-character lines ended by CR LF, and hex digits.
TEST(TextRoutines, RoundTripsAgainstPython) {
  TempDir dir;
  const size_t sizes[] = {0, 1, 2, 3, 4, 56, 57, 58, 255, 4096};
  std::mt19937 random(20240601);
  std::vector<std::string> data;
  for (const size_t size : sizes) {
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    std::ofstream(dir.File(std::to_string(size) + ".bin"), std::ios::binary) << bytes;
    data.push_back(bytes);
  }
  const CommandResult made = RunCommand(
      "cd '" + dir.Path() +
      "' && python3 -c 'import base64, glob\n"
      "for name in glob.glob(\"*.bin\"):\n"
      "    data = open(name, \"rb\").read()\n"
      "    open(name + \".b64\", \"wb\").write(base64.encodebytes(data).replace(b\"\\n\", "
      "b\"\\r\\n\"))\n"
      "    open(name + \".hex\", \"w\").write(data.hex().upper())\n'");
  ASSERT_EQ(made.status, 0);
  for (size_t i = 0; i < std::size(sizes); ++i) {
    SCOPED_TRACE(sizes[i]);
    const std::string base = dir.File(std::to_string(sizes[i]) + ".bin");
    const std::string b64 = ReadBytes(base + ".b64"), hex = ReadBytes(base + ".hex");
    if (sizes[i] > 57) {
      ASSERT_NE(b64.find("\r\n"), b64.size() - 2);  // wrapped
    }
    EXPECT_TRUE(IsBase64Text(b64));
    EXPECT_EQ(Base64Decode(b64), data[i]);
    EXPECT_EQ(BinToHexStr(data[i]), hex);
    EXPECT_EQ(BinToHex(data[i].data(), data[i].size()), hex);
    EXPECT_EQ(HexToBin(hex), data[i]);
    std::string lower = hex;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(HexToBin(lower), data[i]);
  }
}
