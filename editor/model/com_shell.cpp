#include "editor/model/com_shell.h"

#include <dlfcn.h>
#include <link.h>

#include <exception>

#include "editor/model/application.h"
#include "platform/com/class_factory.h"
#include "platform/com/com_ref.h"
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
  try {
    // A null handle would make dlsym search the whole process.
    const auto get_class_object = reinterpret_cast<GetClassObjectFn>(
        module == nullptr ? nullptr : dlsym(module, "DllGetClassObject"));
    if (get_class_object == nullptr) {
      // The folder comes from a parameter: say which file lacks the export.
      message = "Невозможно получить указатель на DllGetClassObject: " + ModulePath(module);
      return false;
    }
    IClassFactory* got_factory = nullptr;
    const HRESULT got =
        get_class_object(class_id, IClassFactory::kIid, reinterpret_cast<void**>(&got_factory));
    // A failure leaves no reference to release; S_FALSE may hand one out.
    const ComRef<IClassFactory> factory(FAILED(got) ? nullptr : got_factory);
    if (got != S_OK || factory == nullptr) {
      message = "Невозможно создать фабрику классов";
      return false;
    }
    void* created_object = nullptr;
    const HRESULT created = factory->CreateInstance(nullptr, iid, &created_object);
    // An object handed out beside a non-zero answer is not kept.
    ComRef<IUnknown> made(SUCCEEDED(created) ? static_cast<IUnknown*>(created_object) : nullptr);
    if (created != S_OK || made == nullptr) {
      message = "Ошибка создания объекта";
      return false;
    }
    *object = made.release();
    return true;
  } catch (const std::exception& e) {
    message = e.what();
    return false;
  }
}
