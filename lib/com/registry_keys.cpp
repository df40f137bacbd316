#include "lib/com/registry_keys.h"

#include "lib/foundation/errors.h"
#include "platform/com/registry.h"
#include "platform/kernel/error_codes.h"

void CreateRegKey(const std::string& key, const std::string& name, const std::string& value) {
  HKEY handle = nullptr;
  int32_t error = RegCreateKeyA(HKEY_CLASSES_ROOT, key.c_str(), &handle);
  if (error == ERROR_SUCCESS) {
    error = RegSetValueExA(handle, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const uint8_t*>(value.c_str()),
                           static_cast<uint32_t>(value.size() + 1));
    RegCloseKey(handle);
  }
  if (error != ERROR_SUCCESS) {
    RaiseErrorFmt("Не удалось записать ключ реестра [%s]: %s",
                  {key, TrimmedSysErrorText(static_cast<uint32_t>(error))});
  }
}

void DeleteRegKey(const std::string& key) {
  const int32_t error = RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
  if (error != ERROR_SUCCESS && error != static_cast<int32_t>(ERROR_FILE_NOT_FOUND)) {
    RaiseErrorFmt("Не удалось удалить ключ реестра [%s]: %s",
                  {key, TrimmedSysErrorText(static_cast<uint32_t>(error))});
  }
}
