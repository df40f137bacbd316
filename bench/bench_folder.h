// The temporary folder a benchmark runs in, with the library's working
// folder and both key roots under it, so that a run touches nothing of the
// user's.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace bench {

// Makes the folder named after `name` and points TMP and the key roots into
// it; ends the process when it cannot be made.
inline std::string MakeBenchFolder(const char* name) {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) std::exit(1);
  fs::create_directory(pattern + "/tmp");
  ::setenv("TMP", (pattern + "/tmp").c_str(), 1);
  ::setenv("TARVEX_CRYPT_USER_ROOT", (pattern + "/user").c_str(), 1);
  ::setenv("TARVEX_CRYPT_MACHINE_ROOT", (pattern + "/machine").c_str(), 1);
  return pattern;
}

}  // namespace bench
