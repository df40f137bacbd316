#include "platform/shell/special_folder.h"

#include <cstring>
#include <fstream>
#include <optional>
#include <string>

#include "platform/kernel/codepage.h"
#include "platform/kernel/user_folders.h"

namespace {

constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005);

// The quoted value of a user-dirs.dirs line, its backslash escapes undone;
// nothing when the line is not a quoted value.
std::optional<std::string> QuotedValue(const std::string& text) {
  if (text.size() < 2 || text.front() != '"') return std::nullopt;
  std::string value;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '"') return i + 1 == text.size() ? std::optional(value) : std::nullopt;
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    value += text[i];
  }
  return std::nullopt;
}

// XDG_DOCUMENTS_DIR of the user's user-dirs.dirs: "$HOME" or "$HOME/..."
// below the home folder, or an absolute path; the last such line counts,
// as when the shell reads the file. UTF-8; empty when none is named.
std::string DocumentsFolder() {
  const std::string config = UserConfigHome();
  if (config.empty()) return {};
  std::ifstream file(config + "/user-dirs.dirs");
  const std::string name = "XDG_DOCUMENTS_DIR=";
  std::string folder;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, name.size(), name) != 0) continue;
    const size_t from = start + name.size();
    const std::optional<std::string> value =
        QuotedValue(line.substr(from, line.find_last_not_of(" \t") + 1 - from));
    if (!value) continue;
    std::string named = *value;
    if (named.rfind("$HOME", 0) == 0 && (named.size() == 5 || named[5] == '/')) {
      const std::string home = UserHome();
      if (home.empty()) continue;
      named = (home == "/" && named.size() > 5 ? std::string() : home) + named.substr(5);
    }
    if (named.empty() || named.front() != '/') continue;
    while (named.size() > 1 && named.back() == '/') named.pop_back();
    folder = named;
  }
  return folder;
}

}  // namespace

HRESULT SHGetFolderPathA(HWND /*owner*/, int folder, HANDLE /*token*/, uint32_t /*flags*/,
                         char* path) {
  path[0] = '\0';
  std::string result;
  if (folder == CSIDL_APPDATA) result = UserConfigHome();
  if (folder == CSIDL_PERSONAL) result = DocumentsFolder();
  if (folder == CSIDL_PROFILE) result = UserHome();
  std::string ansi, refusal;
  if (!SysPathToAnsi(result, ansi, refusal)) return kFail;
  if (ansi.empty() || ansi.size() >= static_cast<size_t>(MAX_PATH)) return kFail;
  std::memcpy(path, ansi.c_str(), ansi.size() + 1);
  return 0;
}
