// The library binding as the editor meets the library: the real module
// loaded with dlopen from the folder of QIMDLLPATH (a folder with a space and
// Cyrillic letters) or from the executable's folder, its two creatable
// classes made through DllGetClassObject; fixture modules for the failures.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "editor/model/application.h"
#include "editor/model/com_shell.h"
#include "editor/model/editor_error.h"
#include "editor/model/ole_check.h"
#include "editor/model/packet_binding.h"
#include "include/tarvex_guids.h"
#include "platform/com/com_ref.h"
#include "platform/com/error_info.h"
#include "platform/kernel/codepage.h"
#include "tests/editor/model/editor_error_of.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/file_bytes.h"
#include "tests/support/keys_tool.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_pki.h"

namespace {

namespace fs = std::filesystem;

const std::string kNoProvider =
    "Не установлен СКЗИ КриптоПро, который требуется для операции: инициализация";

class BindingTest : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TMP", tmp_.Path().c_str(), 1);
    ::setenv("TARVEX_COM_REGISTRY_ROOT", registry_.Path().c_str(), 1);
    folder_ = MakeFolder("Библиотека Тарвекс");
  }
  void TearDown() override {
    ::unsetenv("TARVEX_COM_REGISTRY_ROOT");
    ::unsetenv("TMP");
  }

  // A new folder (cp1251 path). A module once loaded from a path stays, so
  // each module that a test puts in place gets a folder of its own.
  std::string MakeFolder(const std::string& name) const {
    const std::string folder = Utf8ToAnsi(dirs_.Path()) + "/" + name;
    fs::create_directory(AnsiToUtf8(folder));
    return folder;
  }
  // Puts `module` into the folder under the library's name.
  static void PlaceInFolder(const std::string& module, const std::string& folder) {
    fs::copy_file(module, AnsiToUtf8(LibraryPathIn(folder)));
  }
  void PlaceInFolder(const std::string& module) const { PlaceInFolder(module, folder_); }
  static std::string LibraryPathIn(const std::string& folder) {
    return folder + "/" + kTarvexLibraryFileName;
  }
  std::string LibraryPath() const { return LibraryPathIn(folder_); }

  static void ImportSigner() {
    ASSERT_EQ(0, ImportKeyFiles("Иванов", PkiPath("signer.key"), PkiPath("signer.cer")));
  }
  static int32_t PrivateKeyCount(ITarvexCrypt* crypt) {
    int32_t count = -1;
    EXPECT_EQ(S_OK, crypt->GetPrivateKeyCount(&count));
    return count;
  }

  CryptRoots roots_;
  TempDir tmp_;
  TempDir registry_;
  TempDir dirs_;
  std::string folder_;  // cp1251
};

TEST_F(BindingTest, LoadsFromTheParameterFolderWithOrWithoutItsSeparatorAndCreatesBothClasses) {
  PlaceInFolder(TARVEX_MODULE_PATH);
  ImportSigner();
  HMODULE first_module = nullptr;
  for (const std::string ending : {"", "/", "\\"}) {
    SCOPED_TRACE(ending);
    TPacketBinding packet;
    packet.LibraryFolder = folder_ + ending;
    std::string message = "kept";
    ASSERT_TRUE(packet.LoadLibrarySafe(message));
    EXPECT_EQ("kept", message);
    ASSERT_NE(nullptr, packet.LibraryModule);
    EXPECT_EQ(folder_ + (ending.empty() ? "/" : ending) + kTarvexLibraryFileName,
              packet.LibraryPath);
    // The same file, loaded once by the system however the folder ends.
    if (first_module == nullptr) first_module = packet.LibraryModule;
    EXPECT_EQ(first_module, packet.LibraryModule);

    packet.EnsurePackage();
    ASSERT_NE(nullptr, packet.Package);
    VARIANT_BOOL result = VARIANT_FALSE;
    EXPECT_EQ(S_OK, packet.Package->New(TRANSACTION_TYPE_IP_REG_IP, &result));
    TRANSACTION_TYPES type = TRANSACTION_TYPE_UNKNOWN;
    EXPECT_EQ(S_OK, packet.Package->get_DocTransactType(&type));
    EXPECT_EQ(TRANSACTION_TYPE_IP_REG_IP, type);

    ASSERT_TRUE(packet.InitCrypt(message)) << message;
    ASSERT_NE(nullptr, packet.Crypt);
    // Init has built the catalogue from the user's store.
    EXPECT_EQ(1, PrivateKeyCount(packet.Crypt.get()));
  }
}

TEST_F(BindingTest, AnEmptyParameterLoadsTheModuleBesideTheExecutable) {
  TPacketBinding packet;
  packet.EnsurePackage();
  ASSERT_NE(nullptr, packet.Package);
  const std::string exe = ApplicationExeName();
  EXPECT_EQ(exe.substr(0, exe.rfind('/') + 1) + kTarvexLibraryFileName, packet.LibraryPath);
  // The link beside the executable leads to the built module.
  void* built = dlopen(TARVEX_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(nullptr, built);
  EXPECT_EQ(built, packet.LibraryModule);
  dlclose(built);
}

TEST_F(BindingTest, LoadFailuresNameThePathAndAreTriedAgain) {
  const struct {
    const char* what;
    const char* content;  // of the library file; none when null
  } cases[] = {
      {"отсутствует", nullptr},
      {"не модуль", "MZ\x90 not an ELF module"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = MakeFolder(std::string("Библиотека ") + c.what);
    if (c.content != nullptr) WriteBytes(AnsiToUtf8(LibraryPathIn(folder)), c.content);
    const std::string cannot_load = "Невозможно загрузить библиотеку: " + LibraryPathIn(folder);
    TPacketBinding packet;
    packet.LibraryFolder = folder;
    std::string message;
    EXPECT_FALSE(packet.LoadLibrarySafe(message));
    EXPECT_EQ(cannot_load, message);
    EXPECT_EQ(cannot_load, ErrorOf([&] { packet.EnsurePackage(); }));
    EXPECT_FALSE(packet.InitCrypt(message));
    EXPECT_EQ(cannot_load, message);
    EXPECT_EQ(nullptr, packet.LibraryModule);
    EXPECT_EQ("", packet.LibraryPath);
    EXPECT_EQ(nullptr, packet.Package);
    EXPECT_EQ(nullptr, packet.Crypt);

    // Nothing was kept from the failure: once the library is there, it loads.
    fs::remove(AnsiToUtf8(LibraryPathIn(folder)));
    PlaceInFolder(TARVEX_MODULE_PATH, folder);
    packet.EnsurePackage();
    EXPECT_NE(nullptr, packet.Package);
    EXPECT_EQ(LibraryPathIn(folder), packet.LibraryPath);
  }
}

TEST_F(BindingTest, AModuleWithoutTheClassObjectExportFailsNamingItsFile) {
  PlaceInFolder(TARVEX_NO_CLASS_OBJECT_MODULE);
  TPacketBinding packet;
  packet.LibraryFolder = folder_;
  const std::string no_export =
      "Невозможно получить указатель на DllGetClassObject: " + LibraryPath();
  EXPECT_EQ(no_export, ErrorOf([&] { packet.EnsurePackage(); }));
  std::string message;
  EXPECT_FALSE(packet.InitCrypt(message));
  EXPECT_EQ(no_export, message);
  // The module did load and stays: only the objects are missing.
  EXPECT_NE(nullptr, packet.LibraryModule);
  EXPECT_EQ(LibraryPath(), packet.LibraryPath);
  EXPECT_EQ(nullptr, packet.Package);
  EXPECT_EQ(nullptr, packet.Crypt);

  // No module at all is not the process's own symbol table.
  void* object = &packet;
  EXPECT_FALSE(CreateObjectFromDll(nullptr, CLSID_Tarvex, ITarvex::kIid, &object, message));
  EXPECT_EQ("Невозможно получить указатель на DllGetClassObject: ", message);
  EXPECT_EQ(nullptr, object);
}

TEST_F(BindingTest, RefusedClassesAndInterfacesGiveTheirMessagesAndNoObject) {
  PlaceInFolder(TARVEX_MODULE_PATH);
  TPacketBinding packet;
  packet.LibraryFolder = folder_;
  packet.LoadLibrary();
  const CLSID foreign = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  const struct {
    const CLSID& class_id;
    const IID& iid;
    const char* message;
  } cases[] = {
      {foreign, ITarvex::kIid, "Невозможно создать фабрику классов"},
      {CLSID_Tarvex, ITarvexCrypt::kIid, "Ошибка создания объекта"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    void* object = &packet;
    std::string message;
    EXPECT_FALSE(CreateObjectFromDll(packet.LibraryModule, c.class_id, c.iid, &object, message));
    EXPECT_EQ(c.message, message);
    EXPECT_EQ(nullptr, object);
  }
}

TEST_F(BindingTest, ReferencesHandedOutBesideAnswersOtherThanSOkAreReleased) {
  void* module = dlopen(TARVEX_ODD_SERVER_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(nullptr, module) << dlerror();
  const auto live_objects = reinterpret_cast<int (*)()>(dlsym(module, "LiveObjects"));
  ASSERT_NE(nullptr, live_objects);
  const struct {
    const CLSID& class_id;
    const char* message;
  } cases[] = {
      {CLSID_Tarvex, "Невозможно создать фабрику классов"},
      {CLSID_TarvexCrypt, "Ошибка создания объекта"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    void* object = nullptr;
    std::string message;
    EXPECT_FALSE(CreateObjectFromDll(module, c.class_id, IUnknown::kIid, &object, message));
    EXPECT_EQ(c.message, message);
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(0, live_objects());
  }
  dlclose(module);
}

TEST_F(BindingTest, ObjectsAreCreatedOncePerPacketAndInitRunsOnce) {
  PlaceInFolder(TARVEX_MODULE_PATH);
  TPacketBinding first;
  TPacketBinding second;
  for (TPacketBinding* packet : {&first, &second}) {
    packet->LibraryFolder = folder_;
    packet->EnsurePackage();
    packet->EnsureCrypt();
  }
  EXPECT_EQ(first.LibraryModule, second.LibraryModule);
  EXPECT_NE(first.Package.get(), second.Package.get());
  EXPECT_NE(first.Crypt.get(), second.Crypt.get());

  // A second call makes nothing and calls nothing: an Init now would fail.
  ITarvex* package = first.Package.get();
  ITarvexCrypt* crypt = first.Crypt.get();
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  first.EnsurePackage();
  first.EnsureCrypt();
  EXPECT_EQ(package, first.Package.get());
  EXPECT_EQ(crypt, first.Crypt.get());
}

TEST_F(BindingTest, AFailedInitKeepsTheCatalogueAndIsNotRunAgain) {
  PlaceInFolder(TARVEX_MODULE_PATH);
  ImportSigner();
  TPacketBinding packet;
  packet.LibraryFolder = folder_;
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  std::string message;
  EXPECT_FALSE(packet.InitCrypt(message));
  EXPECT_EQ("Ошибка инициализации криптографии: некорректно установлен СКЗИ: " + kNoProvider,
            message);
  ASSERT_NE(nullptr, packet.Crypt);

  ::unsetenv("TARVEX_GOST_ABSENT");
  packet.EnsureCrypt();
  // No Init ran since: the catalogue was never built.
  EXPECT_EQ(0, PrivateKeyCount(packet.Crypt.get()));
}

TEST(OleCheckTest, AFailureRaisesTheErrorInfoDescriptionOrNamesTheCode) {
  OleCheck(S_OK);
  OleCheck(S_FALSE);
  ICreateErrorInfo* made = nullptr;
  ASSERT_EQ(S_OK, CreateErrorInfo(&made));
  const ComRef<ICreateErrorInfo> create(made);
  const std::u16string description = AnsiToWide("Описание ошибки");
  made->SetDescription(description.c_str());
  IErrorInfo* info = nullptr;
  ASSERT_EQ(S_OK, made->QueryInterface(IErrorInfo::kIid, reinterpret_cast<void**>(&info)));
  const ComRef<IErrorInfo> held(info);
  SetErrorInfo(0, info);
  EXPECT_EQ("Описание ошибки", ErrorOf([] { OleCheck(E_UNEXPECTED); }));
  // The description was taken with the first failure.
  EXPECT_EQ("Ошибка вызова библиотеки, код 0x8000FFFF", ErrorOf([] { OleCheck(E_UNEXPECTED); }));
}

}  // namespace
