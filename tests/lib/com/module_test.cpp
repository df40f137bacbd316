// The library module as its clients meet it: its dynamic symbol table, and
// its four exports reached with dlopen and dlsym.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "include/tarvex_guids.h"
#include "include/tarvex_interfaces.h"
#include "platform/com/class_factory.h"
#include "platform/com/com_ref.h"
#include "platform/com/guid_text.h"
#include "platform/com/type_lib.h"
#include "platform/kernel/codepage.h"
#include "platform/shell/file_version.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace {

using GetClassObjectFn = HRESULT (*)(const CLSID&, const IID&, void**);
using NoArgumentFn = HRESULT (*)();

std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "<absent>";
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(ModuleTest, ExportsExactlyTheFourEntryPoints) {
  const std::string names =
      RunCommand("nm -D --defined-only '" TARVEX_MODULE_PATH "' | awk '{print $3}' | sort").output;
  EXPECT_EQ(names, "DllCanUnloadNow\nDllGetClassObject\nDllRegisterServer\nDllUnregisterServer\n");
  EXPECT_EQ(std::filesystem::path(TARVEX_MODULE_PATH).filename(), "Qim.Tarvex.Lib.so");
}

TEST(ModuleTest, CarriesTheProjectsVersionInItsVersionResource) {
  VS_FIXEDFILEINFO info{};
  ASSERT_TRUE(GetFileVersionInfoA(TARVEX_MODULE_PATH, 0, sizeof info, &info));
  EXPECT_EQ(info.dwFileVersionMS, (TARVEX_VERSION_MAJOR << 16u) | TARVEX_VERSION_MINOR);
  EXPECT_EQ(info.dwFileVersionLS, TARVEX_VERSION_PATCH << 16u);
}

// The module copied into a folder whose name holds a space, loaded from there.
class LoadedModuleTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder_);
    std::filesystem::copy_file(TARVEX_MODULE_PATH, module_path_);
    setenv("TARVEX_COM_REGISTRY_ROOT", registry_.Path().c_str(), 1);
    setenv("TARVEX_DEBUG", debug_file_.c_str(), 1);
    handle_ = dlopen(module_path_.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
    get_class_object_ = reinterpret_cast<GetClassObjectFn>(dlsym(handle_, "DllGetClassObject"));
    can_unload_now_ = reinterpret_cast<NoArgumentFn>(dlsym(handle_, "DllCanUnloadNow"));
    register_ = reinterpret_cast<NoArgumentFn>(dlsym(handle_, "DllRegisterServer"));
    unregister_ = reinterpret_cast<NoArgumentFn>(dlsym(handle_, "DllUnregisterServer"));
    ASSERT_TRUE(get_class_object_ && can_unload_now_ && register_ && unregister_);
  }
  void TearDown() override {
    if (handle_ != nullptr) dlclose(handle_);
    unsetenv("TARVEX_COM_REGISTRY_ROOT");
    unsetenv("TARVEX_DEBUG");
  }

  std::string Value(const std::string& key, const std::string& name = "") const {
    std::string path = registry_.Path() + "/HKEY_CLASSES_ROOT/" + key;
    for (char& c : path) c = c == '\\' ? '/' : c;
    return FileText(path + "/=" + name);
  }

  TempDir temp_;
  TempDir registry_;
  const std::string folder_ = temp_.Path() + "/Program Files";
  const std::string module_path_ = folder_ + "/Qim.Tarvex.Lib.so";
  const std::string debug_file_ = temp_.File("debug.log");
  void* handle_ = nullptr;
  GetClassObjectFn get_class_object_ = nullptr;
  NoArgumentFn can_unload_now_ = nullptr;
  NoArgumentFn register_ = nullptr;
  NoArgumentFn unregister_ = nullptr;
};

TEST_F(LoadedModuleTest, ServesAFactoryForEachCreatableClass) {
  EXPECT_EQ(can_unload_now_(), S_OK);
  for (const CLSID& id : {CLSID_Tarvex, CLSID_TarvexCrypt}) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(get_class_object_(id, IClassFactory::kIid, reinterpret_cast<void**>(&factory)), S_OK);
    const ComRef<IClassFactory> held(factory);
    EXPECT_EQ(can_unload_now_(), S_FALSE);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->QueryInterface(ITarvex::kIid, &object), static_cast<HRESULT>(0x80004002));
    EXPECT_EQ(object, nullptr);
  }
  EXPECT_EQ(can_unload_now_(), S_OK);

  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(get_class_object_(ITarvex::kIid, IClassFactory::kIid, &object),
            static_cast<HRESULT>(0x80040111));
  EXPECT_EQ(object, nullptr);
}

TEST_F(LoadedModuleTest, ItsTypeLibraryIsAResourceOnlyWhileItIsLoaded) {
  const std::u16string path =
      AnsiToWide(Utf8ToAnsi(folder_ + "/../Program Files/Qim.Tarvex.Lib.so"));
  ITypeLib* lib = nullptr;
  ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib), S_OK);
  ComRef<ITypeLib> held(lib);
  BSTR name = nullptr;
  lib->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
  EXPECT_EQ(std::u16string(name, SysStringLen(name)), u"QimTarvexLib");
  SysFreeString(name);
  held.reset();

  dlclose(handle_);
  handle_ = nullptr;
  lib = reinterpret_cast<ITypeLib*>(1);
  EXPECT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib), TYPE_E_CANTLOADLIBRARY);
  EXPECT_EQ(lib, nullptr);
}

TEST_F(LoadedModuleTest, RegistersFromAFolderWithASpaceAndUnregistersEverything) {
  ASSERT_EQ(register_(), S_OK);
  EXPECT_EQ(FileText(debug_file_).find("DllRegisterServer.begin"), 0u) << FileText(debug_file_);
  EXPECT_NE(FileText(debug_file_).find("DllRegisterServer.end"), std::string::npos);

  const std::string libid = GuidToRegistryString(LIBID_QimTarvexLib);
  const std::string path = std::filesystem::canonical(module_path_).string();
  struct Class {
    CLSID id;
    const char* prog_id;
  };
  for (const Class& c : {Class{CLSID_Tarvex, "QimTarvexLib.Tarvex"},
                         Class{CLSID_TarvexCrypt, "QimTarvexLib.TarvexCrypt"}}) {
    const std::string key = "CLSID\\" + GuidToRegistryString(c.id);
    EXPECT_EQ(Value(key), "");
    // No short names here: the path as it is, space and all.
    EXPECT_EQ(Value(key + "\\InprocServer32"), path);
    EXPECT_EQ(Value(key + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(Value(key + "\\ProgID"), c.prog_id);
    EXPECT_EQ(Value(key + "\\Version"), "1.0");
    EXPECT_EQ(Value(key + "\\TypeLib"), libid);
    EXPECT_EQ(Value(c.prog_id), "");
    EXPECT_EQ(Value(std::string(c.prog_id) + "\\Clsid"), GuidToRegistryString(c.id));
  }
  EXPECT_EQ(Value("TypeLib\\" + libid + "\\1.0"), "QimTarvexLib Library [Kestrin]");
  EXPECT_EQ(Value("TypeLib\\" + libid + "\\1.0\\0\\win32"), path);
  for (const IID& iid : {ITarvex::kIid, ITarvexFile::kIid, ITarvexSignature::kIid,
                         ITarvexCrypt::kIid, ITarvexKey::kIid}) {
    EXPECT_EQ(Value("Interface\\" + GuidToRegistryString(iid) + "\\TypeLib"), libid);
  }

  ASSERT_EQ(unregister_(), S_OK);
  // What stays is the bare top-level keys that every server shares.
  std::vector<std::string> left;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(registry_.Path() + "/HKEY_CLASSES_ROOT")) {
    left.push_back(std::filesystem::relative(entry.path(), registry_.Path()).string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left,
            (std::vector<std::string>{"HKEY_CLASSES_ROOT/CLSID", "HKEY_CLASSES_ROOT/Interface",
                                      "HKEY_CLASSES_ROOT/TypeLib"}));
}

}  // namespace
