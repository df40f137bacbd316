// Test support for the crypt stand-in and the classes on it: private
// environment roots, the committed test PKI and the openssl command.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/temp_dir.h"

// Points the user and machine roots at fresh folders for the object's life,
// and turns the provider-absent switch off.
class CryptRoots {
 public:
  CryptRoots() {
    ::setenv("TARVEX_CRYPT_USER_ROOT", User().c_str(), 1);
    ::setenv("TARVEX_CRYPT_MACHINE_ROOT", Machine().c_str(), 1);
    ::unsetenv("TARVEX_GOST_ABSENT");
  }
  ~CryptRoots() {
    ::unsetenv("TARVEX_CRYPT_USER_ROOT");
    ::unsetenv("TARVEX_CRYPT_MACHINE_ROOT");
    ::unsetenv("TARVEX_GOST_ABSENT");
  }
  CryptRoots(const CryptRoots&) = delete;
  CryptRoots& operator=(const CryptRoots&) = delete;

  std::string User() const { return dir_.File("user"); }
  std::string Machine() const { return dir_.File("machine"); }
  const TempDir& Dir() const { return dir_; }

 private:
  TempDir dir_;
};

inline std::string PkiPath(const std::string& name) {
  return std::string(TARVEX_SOURCE_DIR) + "/tests/platform/crypt/pki/" + name;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string Pki(const std::string& name) { return ReadBytes(PkiPath(name)); }

struct CommandResult {
  int status = -1;     // the exit code
  std::string output;  // stdout
};

// Runs a shell command line; stderr goes to the test's log.
inline CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    result.output.append(buffer.data(), got);
  }
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// "AA:80:...": the SHA-1 fingerprint as openssl prints it, without colons.
inline std::string OpensslSha1(const std::string& der_file) {
  std::string line =
      RunCommand("openssl x509 -inform DER -in '" + der_file + "' -noout -fingerprint -sha1")
          .output;
  const size_t equals = line.find('=');
  std::string hex;
  for (size_t i = equals + 1; i < line.size(); ++i) {
    if (std::isxdigit(static_cast<unsigned char>(line[i]))) hex += line[i];
  }
  return hex;
}
