#include "editor/model/application.h"

#include <filesystem>
#include <system_error>

#include "editor/model/editor_error.h"
#include "platform/kernel/codepage.h"

namespace {

std::string& Title() {
  static std::string title;
  return title;
}

}  // namespace

const std::string& ApplicationTitle() { return Title(); }

void SetApplicationTitle(const std::string& title) { Title() = title; }

std::string ApplicationExeName() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::string();
  // A look-alike path would name another program's settings, books and
  // library.
  std::string path;
  std::string refusal;
  if (!SysPathToAnsi(exe.string(), path, refusal)) throw EditorError(refusal);
  return path;
}
