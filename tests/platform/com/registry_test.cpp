// The file-kept registry, read back both through its calls and from the
// files its layout names.
#include "platform/com/registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "tests/support/file_bytes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

class RegistryTest : public testing::Test {
 protected:
  void SetUp() override { setenv("TARVEX_COM_REGISTRY_ROOT", root_.Path().c_str(), 1); }
  void TearDown() override { unsetenv("TARVEX_COM_REGISTRY_ROOT"); }

  std::string Folder(const std::string& key) const {
    return root_.Path() + "/HKEY_CLASSES_ROOT/" + key;
  }

  static int32_t Set(const char* key, const char* name, const std::string& value) {
    HKEY handle = nullptr;
    int32_t error = RegCreateKeyA(HKEY_CLASSES_ROOT, key, &handle);
    if (error != 0) return error;
    error = RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const uint8_t*>(value.c_str()),
                           static_cast<uint32_t>(value.size() + 1));
    RegCloseKey(handle);
    return error;
  }

  static std::string Query(const char* key, const char* name) {
    HKEY handle = nullptr;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, key, &handle) != 0) return "<no key>";
    uint32_t size = 0;
    std::string value = "<no value>";
    if (RegQueryValueExA(handle, name, nullptr, nullptr, nullptr, &size) == 0) {
      value.assign(size, '?');
      RegQueryValueExA(handle, name, nullptr, nullptr, reinterpret_cast<uint8_t*>(value.data()),
                       &size);
      value.pop_back();  // the terminating zero
    }
    RegCloseKey(handle);
    return value;
  }

  TempDir root_;
};

TEST_F(RegistryTest, ValuesLiveInTheFilesTheLayoutNames) {
  ASSERT_EQ(Set("CLSID\\{1}\\InprocServer32", nullptr, "/opt/lib/Qim.Tarvex.Lib.so"), 0);
  ASSERT_EQ(Set("CLSID\\{1}\\InprocServer32", "ThreadingModel", "Apartment"), 0);
  ASSERT_EQ(Set("Ключ", nullptr, "Значение"), 0);

  EXPECT_EQ(ReadBytes(Folder("CLSID/{1}/InprocServer32/=")), "/opt/lib/Qim.Tarvex.Lib.so");
  EXPECT_EQ(ReadBytes(Folder("CLSID/{1}/InprocServer32/=ThreadingModel")), "Apartment");
  EXPECT_EQ(ReadBytes(Folder("\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87/=")),
            "\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5");  // cp1251 inside, UTF-8 name outside
  EXPECT_EQ(Query("CLSID\\{1}\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(Query("CLSID\\{1}\\InprocServer32", nullptr), "/opt/lib/Qim.Tarvex.Lib.so");
  EXPECT_EQ(Query("CLSID\\{1}", nullptr), "<no value>");
  EXPECT_EQ(Query("CLSID\\{2}", nullptr), "<no key>");
}

TEST_F(RegistryTest, QueryReportsTheSizeItNeeds) {
  ASSERT_EQ(Set("Key", nullptr, "12345"), 0);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Key", &key), 0);
  uint8_t small[3];
  uint32_t size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, small, &size),
            234);  // ERROR_MORE_DATA
  EXPECT_EQ(size, 6u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, NamesTheLayoutCannotKeepAreRefused) {
  for (const char* bad : {"a\\\\b", "..", "a\\.", "a/b", "=x", "a\\"}) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, bad, &key), 123) << bad;  // ERROR_INVALID_NAME
    EXPECT_EQ(key, nullptr);
  }
  EXPECT_FALSE(std::filesystem::exists(root_.Path() + "/HKEY_CLASSES_ROOT/a"));
}

TEST_F(RegistryTest, AKeyGoesOnlyWithoutSubkeys) {
  ASSERT_EQ(Set("Prog.Id\\Clsid", nullptr, "{1}"), 0);
  ASSERT_EQ(Set("Prog.Id", nullptr, ""), 0);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "Prog.Id"), 5);  // ERROR_ACCESS_DENIED
  EXPECT_EQ(Query("Prog.Id\\Clsid", nullptr), "{1}");
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "Prog.Id\\Clsid"), 0);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "Prog.Id"), 0);
  EXPECT_FALSE(std::filesystem::exists(Folder("Prog.Id")));
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "Prog.Id"), 2);  // ERROR_FILE_NOT_FOUND
}

TEST_F(RegistryTest, AValueIsReplacedWhole) {
  ASSERT_EQ(Set("Key", nullptr, "a long first value"), 0);
  ASSERT_EQ(Set("Key", nullptr, "short"), 0);
  EXPECT_EQ(Query("Key", nullptr), "short");
  // Writing one value never touches another, whatever its name.
  ASSERT_EQ(Set("Key", "v.tmp", "first"), 0);
  ASSERT_EQ(Set("Key", "v", "second"), 0);
  EXPECT_EQ(Query("Key", "v.tmp"), "first");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_.Path()), {}),
            1);  // no temporary file left
}

TEST(RegistryWithoutRoot, EveryCallFailsInsteadOfWritingBelowTheFileSystemRoot) {
  ScopedEnv root("TARVEX_COM_REGISTRY_ROOT", nullptr);
  ScopedEnv data("XDG_DATA_HOME", nullptr);
  ScopedEnv home("HOME", "relative/home");
  HKEY key = nullptr;
  EXPECT_EQ(3, RegCreateKeyA(HKEY_CLASSES_ROOT, "Prog.Id", &key));  // ERROR_PATH_NOT_FOUND
  EXPECT_EQ(3, RegOpenKeyA(HKEY_CLASSES_ROOT, "Prog.Id", &key));
  EXPECT_EQ(3, RegSetValueExA(HKEY_CLASSES_ROOT, "v", 0, REG_SZ,
                              reinterpret_cast<const uint8_t*>("x"), 2));
  uint32_t size = 0;
  EXPECT_EQ(3, RegQueryValueExA(HKEY_CLASSES_ROOT, "v", nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(3, RegDeleteKeyA(HKEY_CLASSES_ROOT, "Prog.Id"));
  EXPECT_FALSE(std::filesystem::exists("/HKEY_CLASSES_ROOT"));
}

}  // namespace
