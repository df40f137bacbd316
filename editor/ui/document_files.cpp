#include "editor/ui/document_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "editor/model/editor_error.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/file_system.h"
#include "platform/kernel/files.h"
#include "platform/kernel/last_error.h"

namespace {

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

// The name as a message may show it: a line feed or an escape sequence
// written as it is would break the message or drive a terminal.
std::string Shown(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (!IsControl(c)) {
      shown += c;
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\t') {
      shown += "\\t";
    } else {
      shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
    }
  }
  return shown;
}

}  // namespace

void RequireBareFileName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of(std::string("\\/\0", 3)) != std::string::npos) {
    throw EditorError("Недопустимое имя файла [" + Shown(name) +
                      "]: ожидается имя файла без указания папки");
  }
  if (std::any_of(name.begin(), name.end(), IsControl)) {
    throw EditorError("Недопустимое имя файла [" + Shown(name) +
                      "]: имя содержит управляющие символы");
  }
}

std::vector<std::string> ExtractionPaths(const std::string& folder,
                                         const std::vector<std::string>& names) {
  for (const std::string& name : names) RequireBareFileName(name);
  std::vector<std::string> paths;
  std::set<std::string> taken;
  for (const std::string& name : names) {
    paths.push_back(IncludeBackslash(folder) + name);
    if (!taken.insert(name).second) {
      throw EditorError("Два извлекаемых файла записываются под одним именем [" + paths.back() +
                        "]");
    }
  }
  // Opened for writing as the write will open it, but neither made nor cut,
  // an entry tells now whatever would refuse its write later.
  for (const std::string& path : paths) {
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) continue;
    const UniqueHandle file(
        CreateFileA(path, GENERIC_WRITE, 0, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT));
    if (!file) {
      throw EditorError("Невозможно заменить файл [" + path + "]: " + LastErrorMessage());
    }
  }
  return paths;
}

std::string WriteDocumentFile(const std::string& folder, const std::string& name,
                              const std::string& content) {
  RequireBareFileName(name);
  const std::string path = IncludeBackslash(folder) + name;
  std::string message;
  if (!SaveStringToFile(path, content, message)) throw EditorError(message);
  // The desktop's handler may run a file that it finds executable.
  struct stat status;
  const std::string system = SysPath(path);
  if (::lstat(system.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
      (status.st_mode & 07111) != 0 && ::chmod(system.c_str(), status.st_mode & 0666) != 0) {
    FailWithErrno();
    throw EditorError("Невозможно снять с файла " + path +
                      " признак исполнения: " + LastErrorMessage());
  }
  return path;
}
