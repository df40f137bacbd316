#include "tests/support/crypt_roots.h"

#include <cstdlib>

CryptRoots::CryptRoots() {
  ::setenv("TARVEX_CRYPT_USER_ROOT", User().c_str(), 1);
  ::setenv("TARVEX_CRYPT_MACHINE_ROOT", Machine().c_str(), 1);
  ::unsetenv("TARVEX_GOST_ABSENT");
}

CryptRoots::~CryptRoots() {
  ::unsetenv("TARVEX_CRYPT_USER_ROOT");
  ::unsetenv("TARVEX_CRYPT_MACHINE_ROOT");
  ::unsetenv("TARVEX_GOST_ABSENT");
}
