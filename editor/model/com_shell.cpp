#include "editor/model/com_shell.h"

#include <dlfcn.h>
#include <link.h>

#include <exception>

#include "editor/model/application.h"
#include "platform/com/class_factory.h"
#include "platform/kernel/codepage.h"

namespace {

using GetClassObjectFn = HRESULT (*)(const CLSID&, const IID&, void**);

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The folder of the running executable, with its trailing separator.
std::string ExecutableFolder() {
  const std::string exe = ApplicationExeName();
  const size_t last = exe.find_last_of("/\\");
  return last == std::string::npos ? std::string() : exe.substr(0, last + 1);
}

// The file the module was loaded from, for messages.
std::string ModulePath(HMODULE module) {
  link_map* map = nullptr;
  if (module == nullptr || dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return {};
  return Utf8ToAnsi(map->l_name);
}

template <typename Intf>
void ReleaseAndClear(Intf*& intf) {
  if (intf != nullptr) intf->Release();
  intf = nullptr;
}

}  // namespace

bool LoadLibraryFrom(const std::string& file_name, HMODULE& module, std::string& message,
                     std::string& path, const std::string& folder) {
  path = folder.empty() ? ExecutableFolder() : folder;
  if (path.empty() || !IsSeparator(path.back())) path += '/';
  path += file_name;
  module = dlopen(SysPath(path).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module != nullptr) return true;
  message = "Невозможно загрузить библиотеку: " + path;
  return false;
}

bool CreateObjectFromDll(HMODULE module, const CLSID& class_id, const IID& iid, void** object,
                         std::string& message) {
  *object = nullptr;
  IClassFactory* factory = nullptr;
  try {
    // A null handle would make dlsym search the whole process.
    const auto get_class_object = reinterpret_cast<GetClassObjectFn>(
        module == nullptr ? nullptr : dlsym(module, "DllGetClassObject"));
    if (get_class_object == nullptr) {
      // The folder comes from a parameter: say which file lacks the export.
      message = "Невозможно получить указатель на DllGetClassObject: " + ModulePath(module);
      return false;
    }
    const HRESULT got =
        get_class_object(class_id, IClassFactory::kIid, reinterpret_cast<void**>(&factory));
    // A failure leaves no reference to release; S_FALSE may hand one out.
    if (FAILED(got)) factory = nullptr;
    if (got != S_OK || factory == nullptr) {
      ReleaseAndClear(factory);
      message = "Невозможно создать фабрику классов";
      return false;
    }
    const HRESULT created = factory->CreateInstance(nullptr, iid, object);
    ReleaseAndClear(factory);
    if (created != S_OK || *object == nullptr) {
      // An object handed out beside a non-zero answer is not kept.
      IUnknown* made = SUCCEEDED(created) ? static_cast<IUnknown*>(*object) : nullptr;
      ReleaseAndClear(made);
      *object = nullptr;
      message = "Ошибка создания объекта";
      return false;
    }
    return true;
  } catch (const std::exception& e) {
    ReleaseAndClear(factory);
    message = e.what();
    return false;
  }
}
