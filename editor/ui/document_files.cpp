#include "editor/ui/document_files.h"

#include <sys/stat.h>

#include "editor/model/editor_error.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/last_error.h"

void RequireBareFileName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of(std::string("\\/\0", 3)) != std::string::npos) {
    throw EditorError("Недопустимое имя файла [" + name +
                      "]: ожидается имя файла без указания папки");
  }
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
