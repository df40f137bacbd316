#include "platform/shell/special_folder.h"

#include <cstring>
#include <string>

#include "platform/kernel/environment.h"

namespace {

constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005);

std::string EnvironmentValue(const char* name) {
  char buffer[MAX_PATH * 4];
  uint32_t length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return {};
  return std::string(buffer, length);
}

// XDG asks to ignore relative values.
std::string ConfigHome() {
  std::string config = EnvironmentValue("XDG_CONFIG_HOME");
  if (!config.empty() && config[0] == '/') return config;
  std::string home = EnvironmentValue("HOME");
  if (home.empty() || home[0] != '/') return {};
  if (home.back() == '/') home.pop_back();
  return home + "/.config";
}

}  // namespace

HRESULT SHGetFolderPathA(HWND /*owner*/, int folder, HANDLE /*token*/, uint32_t /*flags*/,
                         char* path) {
  path[0] = '\0';
  std::string result;
  if (folder == CSIDL_APPDATA) result = ConfigHome();
  if (result.empty() || result.size() >= static_cast<size_t>(MAX_PATH)) return kFail;
  std::memcpy(path, result.c_str(), result.size() + 1);
  return 0;
}
