#include "fuzz/fuzz_files.h"

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

std::string MakeFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarvex-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  const std::string folder = pattern + "/";
  for (const char* sub : {"tmp", "user", "machine"})
    std::filesystem::create_directory(folder + sub);
  ::setenv("TMP", (folder + "tmp").c_str(), 1);
  ::setenv("TARVEX_CRYPT_USER_ROOT", (folder + "user").c_str(), 1);
  ::setenv("TARVEX_CRYPT_MACHINE_ROOT", (folder + "machine").c_str(), 1);
  std::atexit([] { std::filesystem::remove_all(FuzzFolder()); });
  return folder;
}

}  // namespace

const std::string& FuzzFolder() {
  static const std::string folder = MakeFolder();
  return folder;
}

std::string WriteFuzzFile(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = FuzzFolder() + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}
