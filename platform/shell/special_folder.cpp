#include "platform/shell/special_folder.h"

#include <cstring>
#include <string>

#include "platform/kernel/codepage.h"
#include "platform/kernel/user_folders.h"

namespace {

constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005);

}  // namespace

HRESULT SHGetFolderPathA(HWND /*owner*/, int folder, HANDLE /*token*/, uint32_t /*flags*/,
                         char* path) {
  path[0] = '\0';
  std::string result;
  if (folder == CSIDL_APPDATA) result = Utf8ToAnsi(UserConfigHome());
  if (result.empty() || result.size() >= static_cast<size_t>(MAX_PATH)) return kFail;
  std::memcpy(path, result.c_str(), result.size() + 1);
  return 0;
}
