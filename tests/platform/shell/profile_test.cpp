// The ini routines on files of cp1251 bytes: what is read, what a write
// changes and what it keeps byte for byte, and a write that cannot be done.
#include "platform/shell/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class ProfileTest : public testing::Test {
 protected:
  // The cp1251 path of a file in the folder; the folder's name has
  // Cyrillic letters and a blank, as a user's may.
  std::string Ini(const std::string& name = "Редактор.ini") const {
    return Utf8ToAnsi(folder_.string()) + "\\" + name;
  }
  void Put(const std::string& bytes) const {
    std::ofstream(SysPath(Ini()), std::ios::binary) << bytes;
  }
  std::string Bytes() const {
    std::ifstream in(SysPath(Ini()), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  std::string Read(const std::string& section, const std::string& key) const {
    return GetPrivateProfileStringA(section, key, "нет", Ini());
  }

  TempDir dir_;
  fs::path folder_ = [this] {
    fs::path folder = fs::path(dir_.Path()) / AnsiToUtf8("мои настройки");
    fs::create_directory(folder);
    return folder;
  }();
};

TEST_F(ProfileTest, ReadsFoldLatinAndCyrillicLettersOfNamesAndKeepValueBytes) {
  Put("ключ=вне раздела\r\n[Прочее]\r\nФамилия=Не та\r\n[quenda_setup]\r\n"
      "  фамилия  =  Ёлкин Пётр  \r\n; Имя=комментарий\r\nИМЯ=\"Иван\"\r\nOUTPATH=C:\\Пакеты\\\r\n"
      "Пусто=\r\nФамилия=второй\r\n[QUENDA_SETUP]\r\nЁж=из второго раздела\r\n");
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"QUENDA_SETUP", "ФАМИЛИЯ", "Ёлкин Пётр"},  // the first key of the first section
      {"Quenda_Setup", "имя", "Иван"},            // quotes go, a comment is no key
      {"QUENDA_SETUP", "outpath", "C:\\Пакеты\\"},
      {"QUENDA_SETUP", "пусто", ""},
      {"QUENDA_SETUP", "Ёж", "нет"},  // only the first section of a name is read
      {"ПРОЧЕЕ", "фамилия", "Не та"},
      {"QUENDA_SETUP", "ключ", "нет"},
      {"Нет такого", "Имя", "нет"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value, Read(c.section, c.key)) << AnsiToUtf8(c.section) << " " << AnsiToUtf8(c.key);
  }
  EXPECT_EQ("умолчание", GetPrivateProfileStringA("QUENDA_SETUP", "Имя", "умолчание",
                                                  Ini("нет такого файла.ini")));
  EXPECT_TRUE(SameProfileName("ЁжИк abc", "ёЖиК ABC"));
  EXPECT_FALSE(SameProfileName("Е", "Ё"));
}

TEST_F(ProfileTest, AWriteChangesOnlyItsLineAndKeepsEveryOtherByte) {
  const std::string before =
      "; настройки\r\n[Прочее]\r\nИмя=другое\r\n\r\n[QUENDA_SETUP]\r\nФамилия=Иванов\r\n"
      "ИННФЛ = 500100732259\r\n\r\n[Последний]\r\nx=1";
  Put(before);
  ASSERT_TRUE(WritePrivateProfileStringA("quenda_setup", "ФАМИЛИЯ", "Петров", Ini()));
  std::string expected = before;
  expected.replace(expected.find("Фамилия=Иванов"), 14, "ФАМИЛИЯ=Петров");
  EXPECT_EQ(expected, Bytes());

  // A new key goes after the section's last line that is not blank.
  ASSERT_TRUE(WritePrivateProfileStringA("QUENDA_SETUP", "E-Mail", "", Ini()));
  expected.insert(expected.find("\r\n\r\n[Последний]") + 2, "E-Mail=\r\n");
  EXPECT_EQ(expected, Bytes());
  EXPECT_EQ("", Read("QUENDA_SETUP", "E-MAIL"));

  // A key of the last section, which has no line break at its end.
  ASSERT_TRUE(WritePrivateProfileStringA("Последний", "y", "2", Ini()));
  expected += "\r\ny=2\r\n";
  EXPECT_EQ(expected, Bytes());

  // A new section at the end, in the file's own line breaks.
  ASSERT_TRUE(WritePrivateProfileStringA("Новый", "Ключ", "Значение", Ini()));
  expected += "[Новый]\r\nКлюч=Значение\r\n";
  EXPECT_EQ(expected, Bytes());
  EXPECT_EQ("Значение", Read("НОВЫЙ", "КЛЮЧ"));
}

TEST_F(ProfileTest, EveryLineBreakEndsALineForReadingAndWritingAlike) {
  // Each kind of line break, and the last line with it or without any.
  struct Break {
    const char* name;
    std::string eol;
    std::string last;
  };
  const Break breaks[] = {{"LF", "\n", "\n"},          {"CR LF", "\r\n", "\r\n"},
                          {"CR", "\r", "\r"},          {"LF, none", "\n", ""},
                          {"CR LF, none", "\r\n", ""}, {"CR, none", "\r", ""}};
  for (const Break& b : breaks) {
    SCOPED_TRACE(b.name);
    Put("[S]" + b.eol + "X=1" + b.eol + "[T]" + b.eol + "Y=2" + b.last);
    const auto expect = [&](const std::vector<std::pair<std::string, std::string>>& keys) {
      for (const auto& [path, value] : keys) {
        const size_t slash = path.find('/');
        EXPECT_EQ(value, Read(path.substr(0, slash), path.substr(slash + 1))) << path;
      }
    };
    expect({{"S/X", "1"}, {"T/Y", "2"}});
    // A key of the last section goes after its last line however that ends.
    ASSERT_TRUE(WritePrivateProfileStringA("T", "OUTPATH", "/out", Ini()));
    expect({{"S/X", "1"}, {"T/Y", "2"}, {"T/OUTPATH", "/out"}});
    ASSERT_TRUE(WritePrivateProfileStringA("S", "New", "n", Ini()));
    ASSERT_TRUE(WritePrivateProfileStringA("S", "X", "5", Ini()));
    ASSERT_TRUE(WritePrivateProfileStringA("U", "W", "4", Ini()));
    expect({{"S/X", "5"}, {"S/New", "n"}, {"T/Y", "2"}, {"T/OUTPATH", "/out"}, {"U/W", "4"}});
    EXPECT_EQ("[S]" + b.eol + "X=5" + b.eol + "New=n" + b.eol + "[T]" + b.eol + "Y=2" + b.last +
                  (b.last.empty() ? b.eol : "") + "OUTPATH=/out" + b.eol + "[U]" + b.eol + "W=4" +
                  b.eol,
              Bytes());
  }

  // A CR alone inside the file ends a line too; a new line takes the break
  // of the one before it, so that it does not join the blank line after.
  Put("[S]\rA=1\rB=2\n\n[T]\n");
  EXPECT_EQ("1", Read("S", "A"));
  EXPECT_EQ("2", Read("S", "B"));
  ASSERT_TRUE(WritePrivateProfileStringA("S", "C", "3", Ini()));
  EXPECT_EQ("[S]\rA=1\rB=2\nC=3\n\n[T]\n", Bytes());
  Put("[QUENDA_SETUP]\nX=1\r");
  ASSERT_TRUE(WritePrivateProfileStringA("QUENDA_SETUP", "OUTPATH", "/out", Ini()));
  EXPECT_EQ("1", Read("QUENDA_SETUP", "X"));
  EXPECT_EQ("/out", Read("QUENDA_SETUP", "OUTPATH"));
}

TEST_F(ProfileTest, TextsALineWouldNotGiveBackAreRefusedBeforeTheFileIsTouched) {
  const std::string before = "[S]\nk=old\nY=2\n";
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"S", "k", "1\nY=evil"}, {"S", "k", "1\rY=evil"}, {"S\r", "k", "v"}, {"S", "k\n", "v"},
      {"S]x", "k", "v"},       {"S", "Y=", "v"},        {"S", "[T]", "v"}, {"S", " ;k", "v"},
  };
  for (const auto& c : cases) {
    Put(before);
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringA(c.section, c.key, c.value, Ini()))
        << c.section << " " << c.key;
    EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_EQ(before, Bytes());
  }
  // A blank or an empty key is still a key.
  ASSERT_TRUE(WritePrivateProfileStringA("S", "", "пусто", Ini()));
  EXPECT_EQ("пусто", Read("S", ""));
  EXPECT_EQ("old", Read("S", "k"));
}

TEST_F(ProfileTest, AMissingFileIsMadeWithTheUsualPermissionsAndAReplacedOneKeepsItsOwn) {
  ASSERT_TRUE(WritePrivateProfileStringA("QUENDA_SETUP", "OUTPATH", "/tmp/Пакеты\\", Ini()));
  ASSERT_TRUE(WritePrivateProfileStringA("QUENDA_SETUP", "IONotary", "", Ini()));
  EXPECT_EQ("[QUENDA_SETUP]\nOUTPATH=/tmp/Пакеты\\\nIONotary=\n", Bytes());
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(fs::perms(0666 & ~mask), fs::status(SysPath(Ini())).permissions());

  fs::permissions(SysPath(Ini()), fs::perms(0640));
  ASSERT_TRUE(WritePrivateProfileStringA("QUENDA_SETUP", "OUTPATH", "", Ini()));
  EXPECT_EQ(fs::perms(0640), fs::status(SysPath(Ini())).permissions());
  // Nothing is left beside the file.
  EXPECT_EQ(1, std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
}

TEST_F(ProfileTest, AWriteThatCannotBeDoneFailsWithTheLastErrorAndChangesNothing) {
  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", Ini("нет\\файл.ini")));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
  EXPECT_FALSE(fs::exists(folder_ / "нет"));

  // A folder where the file should be cannot be read, so nothing is written.
  fs::create_directory(SysPath(Ini("папка.ini")));
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", Ini("папка.ini")));
  EXPECT_EQ(ERROR_DIRECTORY, GetLastError());
  EXPECT_TRUE(fs::is_empty(SysPath(Ini("папка.ini"))));

  Put("[S]\nk=old\n");
  fs::permissions(folder_, fs::perms::owner_write, fs::perm_options::remove);
  if (::access(folder_.c_str(), W_OK) == 0) GTEST_SKIP() << "root writes a read-only folder";
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "new", Ini()));
  EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
  EXPECT_EQ("[S]\nk=old\n", Bytes());
}

}  // namespace
