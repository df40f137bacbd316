#include "tests/support/ordinary_user.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

}  // namespace

OrdinaryUser::OrdinaryUser(std::initializer_list<std::string> own) {
  if (::geteuid() != 0) return;
  for (const std::string& folder : own) {
    if (::chown(folder.c_str(), kNobody, kNoGroup) != 0) std::abort();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      if (::lchown(entry.path().c_str(), kNobody, kNoGroup) != 0) std::abort();
    }
  }
  group_ = ::getegid();
  if (::setegid(kNoGroup) != 0 || ::seteuid(kNobody) != 0) std::abort();
  dropped_ = true;
}

OrdinaryUser::~OrdinaryUser() {
  if (dropped_ && (::seteuid(0) != 0 || ::setegid(group_) != 0)) std::abort();
}
