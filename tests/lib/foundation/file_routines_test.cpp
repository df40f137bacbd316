#include "lib/foundation/file_routines.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "lib/foundation/exception.h"
#include "lib/foundation/maped_file.h"
#include "platform/kernel/file_system.h"
#include "tests/support/debug_capture.h"
#include "tests/support/error_of.h"
#include "tests/support/file_bytes.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::string RandomBytes(size_t size) {
  std::mt19937 random(static_cast<unsigned>(size));
  std::string bytes(size, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  return bytes;
}

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool SameFiles(const std::string& a, const std::string& b) {
  return RunCommand("cmp -s " + Quoted(a) + " " + Quoted(b)).status == 0;
}

// Every entry under `root`, relative, links not followed.
std::set<std::string> Tree(const std::string& root) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    names.insert(fs::relative(entry.path(), root).string());
  }
  return names;
}

const size_t kPage = static_cast<size_t>(::sysconf(_SC_PAGESIZE));

std::set<std::string> NamesIn(const CStrArray& list) {
  std::set<std::string> names;
  for (int i = 0; i < list.Count(); ++i) names.insert(list.GetString(i));
  return names;
}

TEST(ListFiles, NamesFoldersAndMasks) {
  TempDir dir;
  for (const char* name : {"a.xml", "b.p7s", "c.xml"}) std::ofstream(dir.File(name)) << "x";
  std::filesystem::create_directory(dir.File("sub"));

  CStrArray list;
  list.Add("kept");
  ListFiles(dir.Path(), "*.xml", list, FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(NamesIn(list), (std::set<std::string>{"kept", "a.xml", "c.xml"}));

  CStrArray all;
  ListFiles(dir.Path(), "*.*", all, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(NamesIn(all), (std::set<std::string>{".", "..", "a.xml", "b.p7s", "c.xml", "sub"}));

  CStrArray none;
  ListFiles(dir.File("missing"), "*.*", none, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(none.Count(), 0);
}

TEST(DeleteFilesByMask, DeletesMatchingFilesOnly) {
  TempDir dir;
  for (const char* name : {"a.p7s", "b.p7s", "ro.p7s", "keep.xml"})
    std::ofstream(dir.File(name)) << "x";
  std::filesystem::create_directory(dir.File("d.p7s"));
  SetFileAttributesA(dir.File("ro.p7s"), FILE_ATTRIBUTE_READONLY);
  DeleteFilesByMask(dir.Path(), "*.p7s");  // no trailing separator: one is added
  std::set<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
    left.insert(e.path().filename());
  EXPECT_EQ(left, (std::set<std::string>{"d.p7s", "keep.xml", "ro.p7s"}));
}

TEST(DeleteFilesByMask, EmptyFolderNeverTouchesTheCurrentFolder) {
  TempDir dir;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  std::ofstream("victim.txt") << "x";
  DeleteFilesByMask("", "*.*");
  DeleteFilesByMask("   ", "*.txt");
  CStrArray list;
  ListFiles("", "*.*", list, 0);
  EXPECT_TRUE(std::filesystem::exists("victim.txt"));
  EXPECT_EQ(list.Count(), 0);
  std::filesystem::current_path(previous);
}

}  // namespace

TEST(FileRoutines, WritesAndReadsWholeFilesOfEverySize) {
  TempDir dir;
  for (const size_t size :
       {size_t{0}, size_t{1}, kPage - 1, kPage, kPage + 1, 3 * kPage + 5, size_t{1} << 20}) {
    SCOPED_TRACE(size);
    const std::string bytes = RandomBytes(size);
    const std::string reference = dir.File("reference"), plain = dir.File("plain"),
                      mapped = dir.File("mapped");
    Put(reference, bytes);
    WriteStringToFile(plain, bytes);
    EXPECT_TRUE(SameFiles(plain, reference));
    if (size > 0) {
      WriteBufferToFileMapped(mapped, bytes.data(), bytes.size());
      EXPECT_TRUE(SameFiles(mapped, reference));
    }
    EXPECT_EQ(LoadFileToString(reference), bytes);
  }
}

TEST(FileRoutines, WritersReplaceLongerFilesExactly) {
  TempDir dir;
  const std::string path = dir.File("f.bin"), reference = dir.File("reference");
  Put(reference, "new");
  Put(path, RandomBytes(3 * kPage));
  WriteBufferToFileMapped(path, "new", 3);
  EXPECT_TRUE(SameFiles(path, reference));
  Put(path, RandomBytes(3 * kPage));
  WriteStringToFile(path, "new");
  EXPECT_TRUE(SameFiles(path, reference));
  WriteStringToFile(path, "");
  EXPECT_EQ(fs::file_size(path), 0u);
}

TEST(FileRoutines, ZeroLengthMappedWriteLeavesNoFile) {
  TempDir dir;
  DebugCapture debug;
  const std::string path = dir.File("none.bin");
  EXPECT_EQ(ErrorOf([&] { WriteBufferToFileMapped(path, "", 0); }),
            "Не удалось открыть файл [" + path + "]: [Attempt to mapping the file of size=0]");
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(debug.Lines().size(), 2u);
  const std::string existing = dir.File("old.bin");
  Put(existing, "old");
  EXPECT_NE(ErrorOf([&] { WriteBufferToFileMapped(existing, "", 0); }), "no error");
  EXPECT_EQ(ReadBytes(existing), "old");
}

TEST(FileRoutines, Errors) {
  TempDir dir;
  const std::string missing = dir.File("none.bin");
  EXPECT_EQ(ErrorOf([&] { LoadFileToString(missing); }), "Файл не найден: [" + missing + "]");
  EXPECT_EQ(ErrorOf([&] { LoadFileToString(dir.Path()); }), "Файл не найден: [" + dir.Path() + "]");
  EXPECT_EQ(ErrorOf([&] { WriteStringToFile("", "x"); }), "Передано пустое имя файла");

  // System failures are OS errors with the system's code and text.
  const std::string in_missing_folder = dir.File("no/f.bin");
  try {
    WriteStringToFile(in_missing_folder, "x");
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), 3u);
    EXPECT_EQ(e.Message(), "System Error.  Code: 3.\r\nСистеме не удается найти указанный путь");
  }
  const std::string locked = dir.File("ro.bin");
  Put(locked, "keep");
  ASSERT_TRUE(SetFileAttributesA(locked, FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(
      ErrorOf([&] { WriteBufferToFileMapped(locked, "abc", 3); }),
      "Не удалось открыть файл [" + locked + "]: [System Error.  Code: 5.\r\nОтказано в доступе]");
  EXPECT_THROW(WriteStringToFile(locked, "abc"), EOSError);
  EXPECT_EQ(ReadBytes(locked), "keep");
}

TEST(MapedFile, WritesInPiecesAndRefusesToPassTheSize) {
  TempDir dir;
  const std::string path = dir.File("m.bin");
  {
    CMapedFile file;
    file.OpenForWrite(path, 6);
    file.Write("abc", 3);
    file.Write("de", 2);
    EXPECT_EQ(ErrorOf([&] { file.Write("xy", 2); }),
              "Не удалось записать в файл [" + path +
                  "]: [Запись за пределы размера файла: 2 байт с позиции 5 при размере 6]");
    file.Write("f", 1);
    file.Close();
  }
  EXPECT_EQ(ReadBytes(path), "abcdef");
  // Opening again lets the first file go (the sanitizer build sees a leak).
  CMapedFile reopened;
  reopened.OpenForWrite(dir.File("first.bin"), 4);
  reopened.OpenForWrite(path, 2);
  reopened.Write("gh", 2);
  reopened.Close();
  EXPECT_EQ(ReadBytes(path), "gh");
  EXPECT_EQ(fs::file_size(dir.File("first.bin")), 4u);
  CMapedFile unopened;
  EXPECT_EQ(ErrorOf([&] { unopened.Write("x", 1); }),
            "Не удалось записать в файл []: [Файл не открыт]");
}

TEST(FileRoutines, ForceDeleteFile) {
  TempDir dir;
  const std::string path = dir.File("ro.bin");
  Put(path, "x");
  ASSERT_TRUE(SetFileAttributesA(path, FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(DeleteFileA(path));
  EXPECT_TRUE(ForceDeleteFile(path));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_FALSE(ForceDeleteFile(path));
}

// A tree with read-only files, nested and empty folders, a hidden file, a
// Cyrillic name, and links to a folder and a file outside it.
class FolderDeletion : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(tree_.File("sub/deep"));
    fs::create_directories(tree_.File("empty"));
    fs::create_directories(tree_.File("\xD0\xB4"));  // "д"
    for (const char* name : {"a.txt", "ro.txt", ".hidden", "sub/b.txt", "sub/ro.txt",
                             "sub/deep/c.txt", "\xD0\xB4/e.txt"}) {
      Put(tree_.File(name), name);
    }
    for (const char* name : {"ro.txt", "sub/ro.txt"}) {
      ASSERT_TRUE(SetFileAttributesA(tree_.File(name), FILE_ATTRIBUTE_READONLY));
    }
    Put(outside_.File("keep.txt"), "keep");
    fs::create_directory_symlink(outside_.Path(), tree_.File("sub/out"));
    fs::create_symlink(outside_.File("keep.txt"), tree_.File("file-link"));
  }
  void ExpectOutsideIntact() {
    EXPECT_EQ(ReadBytes(outside_.File("keep.txt")), "keep");
    EXPECT_EQ(Tree(outside_.Path()), std::set<std::string>{"keep.txt"});
  }
  static void Record(bool is_folder, const std::string& path, void* user_value) {
    static_cast<std::vector<std::string>*>(user_value)->push_back((is_folder ? "d " : "f ") + path);
  }

  TempDir tree_, outside_;
  std::vector<std::string> failures_;
};

TEST_F(FolderDeletion, DeleteDirectoryRemovesEverythingButWhatLinksPointTo) {
  EXPECT_TRUE(DeleteDirectory(tree_.Path() + "\\", Record, &failures_));
  EXPECT_TRUE(failures_.empty());
  EXPECT_FALSE(fs::exists(tree_.Path()));
  ExpectOutsideIntact();
}

TEST_F(FolderDeletion, ClearDirectoryKeepsTheFolder) {
  EXPECT_TRUE(ClearDirectory(tree_.Path(), Record, &failures_));
  EXPECT_TRUE(failures_.empty());
  EXPECT_TRUE(fs::is_directory(tree_.Path()));
  EXPECT_TRUE(fs::is_empty(tree_.Path()));
  ExpectOutsideIntact();
}

TEST_F(FolderDeletion, DeleteTreeLeavesReadOnlyFiles) {
  DeleteTree(tree_.Path());
  EXPECT_EQ(Tree(tree_.Path()), (std::set<std::string>{"ro.txt", "sub", "sub/ro.txt"}));
  ExpectOutsideIntact();
}

TEST_F(FolderDeletion, ALinkInTheFolderPlaceIsNotWalked) {
  const std::string link = tree_.File("sub/out");
  DeleteTree(link);
  EXPECT_FALSE(DeleteDirectory(link, Record, &failures_));
  EXPECT_FALSE(ClearDirectory(link, Record, &failures_));
  EXPECT_EQ(failures_, (std::vector<std::string>{"d " + link, "d " + link}));
  ExpectOutsideIntact();
}

TEST_F(FolderDeletion, MissingFolders) {
  const std::string missing = tree_.File("none");
  EXPECT_TRUE(ClearDirectory(missing));
  EXPECT_FALSE(DeleteDirectory(missing + "/", Record, &failures_));
  EXPECT_EQ(failures_, std::vector<std::string>{"d " + missing});
}

TEST_F(FolderDeletion, AnEmptyNameDeletesNothing) {
  const fs::path previous = fs::current_path();
  fs::current_path(tree_.Path());
  const std::set<std::string> before = Tree(".");
  for (const char* name : {"", "  "}) {
    DeleteTree(name);
    EXPECT_FALSE(DeleteDirectory(name, Record, &failures_));
    EXPECT_FALSE(ClearDirectory(name, Record, &failures_));
  }
  const std::set<std::string> after = Tree(".");
  fs::current_path(previous);
  EXPECT_EQ(after, before);
  EXPECT_TRUE(failures_.empty());
}
