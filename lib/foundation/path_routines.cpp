#include "lib/foundation/path_routines.h"

#include <vector>

#include "lib/foundation/errors.h"
#include "lib/foundation/str_array.h"
#include "lib/foundation/text_routines.h"
#include "platform/kernel/environment.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/file_system.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/path_combine.h"

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
}  // namespace

std::string AddTrailingBackslash(const std::string& path) {
  std::string result = Trim(path);
  if (!result.empty() && result.back() != '/' && result.back() != '\\') result += '/';
  return result;
}

bool DirExists(const std::string& path) {
  if (path.empty()) return false;
  // The attribute call reports a link as itself; with a separator after it
  // the system resolves the link, so a linked folder counts as it does on
  // the platform.
  const uint32_t attributes = GetFileAttributesA(IsSeparator(path.back()) ? path : path + "/");
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string GetEnvVar(const std::string& name) {
  std::vector<char> buffer(256);
  for (;;) {
    const uint32_t length =
        GetEnvironmentVariableA(name, buffer.data(), static_cast<uint32_t>(buffer.size()));
    if (length == 0 && GetLastError() == ERROR_INVALID_NAME) {
      RaiseErrorFmt("Недопустимое значение переменной окружения [%0:s]: %1:s",
                    {name, EnvironmentValueRefusal(name)});
    }
    if (length < buffer.size()) return std::string(buffer.data(), length);
    // Too small: `length` is the size needed. The value may grow again
    // before the next call, hence the loop.
    buffer.resize(length);
  }
}

std::string CombinePath(const std::string& folder, const std::string& name) {
  std::string d = Trim(folder), n = Trim(name);
  if (d.empty() && n.empty()) return "";
  // The root alone keeps its separator: it is a folder of its own.
  if (d.size() > 1 && IsSeparator(d.back())) d.pop_back();
  if (!n.empty() && IsSeparator(n.front())) n.erase(0, 1);
  if (d.empty() && n.empty()) return "";
  std::string result;
  if (!PathCombineA(result, d, n)) {
    RaiseErrorFmt("Слишком длинный путь: [%s]", {d + "/" + n});
  }
  return result;
}

bool ForceDirectoryPath(const std::string& path) {
  std::string p = Trim(path);
  for (char& c : p) {
    if (c == '/') c = '\\';
  }
  // No network shares here; read as a local path, it would create folders
  // at the root.
  if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') return false;
  CStrArray pieces;
  SplitString(p, '\\', pieces);
  std::string current;
  for (int i = 0; i < pieces.Count(); ++i) {
    const std::string& piece = pieces.GetString(i);
    // The empty piece before a leading separator is the root.
    current = i == 0 && piece.empty() && pieces.Count() > 1 ? "/" : CombinePath(current, piece);
    if (current.empty() || DirExists(current)) continue;
    if (!CreateDirectoryA(current)) return false;
  }
  return !current.empty() && DirExists(current);
}
