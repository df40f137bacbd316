#include "platform/com/type_lib.h"

#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <new>
#include <string>

#include "platform/com/com_ref.h"
#include "platform/com/guid_text.h"
#include "platform/com/module_file.h"
#include "platform/com/registry.h"
#include "platform/com/type_info.h"
#include "platform/kernel/codepage.h"

namespace {

// The loader's table of TYPELIB resources of the loaded modules, by the
// modules' full paths (UTF-8).
struct ResourceTable {
  std::mutex lock;
  std::multimap<std::string, const TypeLibDesc*> by_path;
};

ResourceTable& Resources() {
  static ResourceTable table;
  return table;
}

std::string FullPath(const std::string& utf8) {
  char resolved[PATH_MAX];
  return realpath(utf8.c_str(), resolved) != nullptr ? std::string(resolved) : utf8;
}

std::string Narrow(const OLECHAR* text) {
  return text != nullptr ? WideToAnsi(std::u16string_view(text)) : std::string();
}

int32_t SetDefault(const std::string& key, const std::string& value, const char* name = nullptr) {
  HKEY handle = nullptr;
  int32_t error = RegCreateKeyA(HKEY_CLASSES_ROOT, key.c_str(), &handle);
  if (error != 0) return error;
  error = RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const uint8_t*>(value.c_str()),
                         static_cast<uint32_t>(value.size() + 1));
  RegCloseKey(handle);
  return error;
}

HRESULT FromError(int32_t error) {
  return error == 0 ? S_OK
                    : static_cast<HRESULT>(0x80070000u | (static_cast<uint32_t>(error) & 0xFFFF));
}

std::string VersionText(uint16_t major, uint16_t minor) {
  return std::to_string(major) + "." + std::to_string(minor);
}

}  // namespace

TypeLibResource::TypeLibResource(const void* address_in_module, const TypeLibDesc& desc)
    : desc_(&desc) {
  const std::string path = FullPath(SysPath(ModuleFileName(address_in_module)));
  ResourceTable& table = Resources();
  std::lock_guard guard(table.lock);
  table.by_path.emplace(path, desc_);
}

TypeLibResource::~TypeLibResource() {
  ResourceTable& table = Resources();
  std::lock_guard guard(table.lock);
  for (auto it = table.by_path.begin(); it != table.by_path.end(); ++it) {
    if (it->second == desc_) {
      table.by_path.erase(it);
      break;
    }
  }
}

HRESULT LoadTypeLibEx(const OLECHAR* file, REGKIND kind, ITypeLib** lib) {
  if (lib == nullptr) return E_INVALIDARG;
  *lib = nullptr;
  if (file == nullptr || kind != REGKIND_NONE) return E_INVALIDARG;
  const std::string path = FullPath(SysPath(Narrow(file)));
  const TypeLibDesc* desc = nullptr;
  {
    ResourceTable& table = Resources();
    std::lock_guard guard(table.lock);
    const auto it = table.by_path.find(path);
    if (it != table.by_path.end()) desc = it->second;
  }
  if (desc == nullptr) return TYPE_E_CANTLOADLIBRARY;
  *lib = new (std::nothrow) TypeLib(*desc);
  return *lib != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT RegisterTypeLib(ITypeLib* lib, const OLECHAR* path, const OLECHAR* help_dir) {
  if (lib == nullptr || path == nullptr) return E_INVALIDARG;
  TLIBATTR* attr = nullptr;
  if (HRESULT hr = lib->GetLibAttr(&attr); FAILED(hr)) return hr;
  const std::string libid = GuidToRegistryString(attr->guid);
  const std::string version =
      "TypeLib\\" + libid + "\\" + VersionText(attr->wMajorVerNum, attr->wMinorVerNum);
  lib->ReleaseTLibAttr(attr);

  BSTR name = nullptr;
  BSTR help = nullptr;
  lib->GetDocumentation(-1, &name, &help, nullptr, nullptr);
  const std::string help_text = Narrow(SysStringLen(help) != 0 ? help : name);
  SysFreeString(name);
  SysFreeString(help);

  int32_t error = SetDefault(version, help_text);
  if (error == 0) error = SetDefault(version + "\\0\\win32", Narrow(path));
  if (error == 0) error = SetDefault(version + "\\FLAGS", "0");
  if (error == 0) error = SetDefault(version + "\\HELPDIR", Narrow(help_dir));
  for (uint32_t index = 0; error == 0 && index < lib->GetTypeInfoCount(); ++index) {
    ITypeInfo* got = nullptr;
    if (FAILED(lib->GetTypeInfo(index, &got))) continue;
    const ComRef<ITypeInfo> info(got);
    TYPEATTR* type = nullptr;
    BSTR type_name = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&type))) {
      if (type->typekind == TKIND_DISPATCH || type->typekind == TKIND_INTERFACE) {
        const std::string key = "Interface\\" + GuidToRegistryString(type->guid);
        info->GetDocumentation(MEMBERID_NIL, &type_name, nullptr, nullptr, nullptr);
        error = SetDefault(key, Narrow(type_name));
        if (error == 0) error = SetDefault(key + "\\TypeLib", libid);
        if (error == 0)
          error = SetDefault(key + "\\TypeLib", VersionText(type->wMajorVerNum, type->wMinorVerNum),
                             "Version");
      }
      info->ReleaseTypeAttr(type);
    }
    SysFreeString(type_name);
  }
  return FromError(error);
}

namespace {

std::string QueryDefault(const std::string& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, key.c_str(), &handle) != 0) return {};
  uint32_t size = 0;
  std::string value;
  if (RegQueryValueExA(handle, nullptr, nullptr, nullptr, nullptr, &size) == 0 && size > 0) {
    value.resize(size);
    if (RegQueryValueExA(handle, nullptr, nullptr, nullptr,
                         reinterpret_cast<uint8_t*>(value.data()), &size) == 0) {
      value.resize(size - 1);
    } else {
      value.clear();
    }
  }
  RegCloseKey(handle);
  return value;
}

// Deletes the keys in order; a key already gone is no error.
int32_t DeleteKeys(std::initializer_list<std::string> keys) {
  int32_t error = 0;
  for (const std::string& key : keys) {
    const int32_t result = RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    if (result != 0 && result != 2 && error == 0) error = result;
  }
  return error;
}

}  // namespace

HRESULT UnRegisterTypeLib(const GUID& libid, uint16_t major, uint16_t minor, LCID, SYSKIND) {
  const std::string lib_key = "TypeLib\\" + GuidToRegistryString(libid);
  const std::string version = lib_key + "\\" + VersionText(major, minor);
  int32_t error = 0;
  // The interface keys are found through the library that was registered.
  const std::string path = QueryDefault(version + "\\0\\win32");
  ITypeLib* loaded = nullptr;
  if (!path.empty() && SUCCEEDED(LoadTypeLibEx(AnsiToWide(path).c_str(), REGKIND_NONE, &loaded))) {
    const ComRef<ITypeLib> lib(loaded);
    for (uint32_t index = 0; index < lib->GetTypeInfoCount(); ++index) {
      ITypeInfo* got = nullptr;
      if (FAILED(lib->GetTypeInfo(index, &got))) continue;
      const ComRef<ITypeInfo> info(got);
      TYPEATTR* type = nullptr;
      if (SUCCEEDED(info->GetTypeAttr(&type))) {
        if (type->typekind == TKIND_DISPATCH || type->typekind == TKIND_INTERFACE) {
          const std::string key = "Interface\\" + GuidToRegistryString(type->guid);
          if (const int32_t result = DeleteKeys({key + "\\TypeLib", key}); error == 0)
            error = result;
        }
        info->ReleaseTypeAttr(type);
      }
    }
  }
  const int32_t result = DeleteKeys({version + "\\0\\win32", version + "\\0", version + "\\FLAGS",
                                     version + "\\HELPDIR", version});
  if (error == 0) error = result;
  RegDeleteKeyA(HKEY_CLASSES_ROOT, lib_key.c_str());  // stays while another version is left
  return FromError(error);
}
