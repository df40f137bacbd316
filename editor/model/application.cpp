#include "editor/model/application.h"

#include <filesystem>
#include <system_error>

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
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : Utf8ToAnsi(exe.string());
}
