#include "editor/ui/document_files.h"

#include <sys/stat.h>

#include <set>

#include "editor/model/editor_error.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/escaped_text.h"
#include "platform/kernel/file_system.h"
#include "platform/kernel/files.h"
#include "platform/kernel/last_error.h"

void RequireBareFileName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of(std::string("\\/\0", 3)) != std::string::npos) {
    throw EditorError("Недопустимое имя файла [" + Escaped(name) +
                      "]: ожидается имя файла без указания папки");
  }
  if (HasControlByte(name)) {
    throw EditorError("Недопустимое имя файла [" + Escaped(name) +
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
