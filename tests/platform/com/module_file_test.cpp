#include "platform/com/module_file.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/kernel/codepage.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// A module's path is kept exactly, or not given at all: a look-alike with
// "?" would lead to another folder's files.
TEST(ModuleFileNameTest, APathWithoutACp1251FormIsNoPathAtAll) {
  const struct {
    std::string folder;  // UTF-8
    bool kept;
  } cases[] = {
      {AnsiToUtf8("Модули"), true},
      {"Jos\xC3\xA9", false},
      {"\xE6\xA8\xA1\xE5\x9D\x97", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    TempDir dir;
    const fs::path folder = fs::path(dir.Path()) / c.folder;
    fs::create_directories(folder);
    if (!c.kept) fs::create_directories(fs::path(dir.Path()) / "Jos?");
    const fs::path copy = folder / "probe.so";
    fs::copy_file(TARVEX_MODULE_FILE_PROBE, copy);
    void* module = ::dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << ::dlerror();
    const void* probe = ::dlsym(module, "ModuleFileProbe");
    ASSERT_NE(probe, nullptr);
    const std::string expected = c.kept ? Utf8ToAnsi(fs::canonical(copy).string()) : "";
    EXPECT_EQ(ModuleFileName(probe), expected);
    ::dlclose(module);
  }
}

}  // namespace
