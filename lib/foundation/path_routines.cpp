#include "lib/foundation/path_routines.h"

#include "lib/foundation/text_routines.h"

std::string AddTrailingBackslash(const std::string& path) {
  std::string result = Trim(path);
  if (!result.empty() && result.back() != '/' && result.back() != '\\') result += '/';
  return result;
}
