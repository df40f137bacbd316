// An ordinary user in place of root for a while, so that a folder owned by
// root refuses the test's writes as it refuses a user's: tests run as root,
// for whom no permission bit stops a write.
#pragma once

#include <sys/types.h>

#include <initializer_list>
#include <string>

// As root, makes the effective user and group "nobody" for the object's
// life (the real and saved ids stay root's, which gives them back), after
// handing it the folders it must work in, with their content. Run by
// anybody else, it changes nothing: that user cannot write a folder of
// mode 0555 anyway.
class OrdinaryUser {
 public:
  explicit OrdinaryUser(std::initializer_list<std::string> own);
  ~OrdinaryUser();
  OrdinaryUser(const OrdinaryUser&) = delete;
  OrdinaryUser& operator=(const OrdinaryUser&) = delete;

 private:
  bool dropped_ = false;
  gid_t group_ = 0;
};
