#include "platform/crypt/crypt_env.h"

#include <cstdlib>

#include "platform/kernel/user_folders.h"

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string CryptRootFolder(bool machine) {
  std::string root = Variable(machine ? "TARVEX_CRYPT_MACHINE_ROOT" : "TARVEX_CRYPT_USER_ROOT");
  if (!root.empty()) return WithoutTrailingSlash(root);
  if (machine) return "/var/lib/tarvex/crypt";
  const std::string data_home = UserDataHome();
  return data_home.empty() ? std::string() : data_home + "/tarvex/crypt";
}
