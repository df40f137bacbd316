#include "platform/shell/shell_execute.h"

#include <utility>

#include "platform/kernel/file_system.h"

namespace {

constexpr intptr_t kLaunched = 42;

ShellLauncher& Launcher() {
  static ShellLauncher launcher;
  return launcher;
}

}  // namespace

void SetShellLauncher(ShellLauncher launcher) { Launcher() = std::move(launcher); }

intptr_t ShellExecuteA(HWND owner, const std::string& verb, const std::string& file, int show) {
  if (!verb.empty() && verb != "open") return SE_ERR_NOASSOC;
  if (GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES) return SE_ERR_FNF;
  if (!Launcher() || !Launcher()({owner, file, show})) return SE_ERR_NOASSOC;
  return kLaunched;
}
