#include "editor/ui/html_help.h"

#include "editor/model/application.h"
#include "editor/model/string_routines.h"
#include "editor/ui/exe_paths.h"
#include "platform/kernel/file_system.h"
#include "platform/kernel/message_box.h"
#include "platform/shell/shell_execute.h"

namespace {

bool IsFile(const std::string& path) {
  const uint32_t attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

bool CallHtmlHelp(const std::string& file, uint32_t command) {
  return command == HH_DISPLAY_TOPIC && ShellExecuteA(nullptr, "open", file, SW_SHOWMAXIMIZED) > 32;
}

std::string HelpFileNameOf(const std::string& exe_path) {
  return IncludeBackslash(ExtractFileDir(exe_path)) +
         ChangeFileExt(ExtractFileName(exe_path), ".chm");
}

std::string GetHelpFileName() { return HelpFileNameOf(ApplicationExeName()); }

void ShowHelp() {
  const std::string file = GetHelpFileName();
  if (!IsFile(file)) {
    // The system's own box, with its own caption rather than the title.
    MessageBoxA(GetForegroundWindow(), "Файл справки не найден!", "Ошибка", MB_OK | MB_ICONERROR);
    return;
  }
  CallHtmlHelp(file, HH_DISPLAY_TOPIC);
}
