#include "platform/kernel/user_folders.h"

#include <cstdlib>

namespace {

// The variable's value when it is an absolute path, without trailing
// separators; empty otherwise.
std::string AbsoluteVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  std::string path = value;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string BaseFolder(const char* variable, const char* below_home) {
  std::string folder = AbsoluteVariable(variable);
  if (!folder.empty()) return folder;
  const std::string home = AbsoluteVariable("HOME");
  if (home.empty()) return {};
  return (home == "/" ? std::string() : home) + below_home;
}

}  // namespace

std::string UserDataHome() { return BaseFolder("XDG_DATA_HOME", "/.local/share"); }

std::string UserConfigHome() { return BaseFolder("XDG_CONFIG_HOME", "/.config"); }

std::string UserHome() { return AbsoluteVariable("HOME"); }
