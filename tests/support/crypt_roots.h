// The certificate stores and key containers of a test: private folders for
// the user and machine roots of the crypt stand-in.
#pragma once

#include <string>

#include "tests/support/temp_dir.h"

// Points the user and machine roots at fresh folders for the object's life,
// and turns the provider-absent switch off.
class CryptRoots {
 public:
  CryptRoots();
  ~CryptRoots();
  CryptRoots(const CryptRoots&) = delete;
  CryptRoots& operator=(const CryptRoots&) = delete;

  std::string User() const { return dir_.File("user"); }
  std::string Machine() const { return dir_.File("machine"); }
  const TempDir& Dir() const { return dir_; }

 private:
  TempDir dir_;
};
