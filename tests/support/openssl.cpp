#include "tests/support/openssl.h"

#include <gtest/gtest.h>

#include <cctype>

#include "tests/support/file_bytes.h"
#include "tests/support/run_command.h"

std::string OpensslSha1(const std::string& der_file) {
  std::string line =
      RunCommand("openssl x509 -inform DER -in " + Quoted(der_file) + " -noout -fingerprint -sha1")
          .output;
  const size_t equals = line.find('=');
  std::string hex;
  for (size_t i = equals + 1; i < line.size(); ++i) {
    if (std::isxdigit(static_cast<unsigned char>(line[i]))) hex += line[i];
  }
  return hex;
}

std::string PemOf(const std::string& der_file) {
  return RunCommand("openssl x509 -inform DER -in " + Quoted(der_file)).output;
}

int OpensslVerify(const TempDir& dir, const std::string& signature, const std::string& content,
                  const std::string& ca_file) {
  WriteBytes(dir.File("verified.p7s"), signature);
  WriteBytes(dir.File("verified.content"), content);
  return RunCommand("openssl cms -verify -engine gost -binary -inform DER -in " +
                    Quoted(dir.File("verified.p7s")) + " -content " +
                    Quoted(dir.File("verified.content")) + " -CAfile " + Quoted(ca_file) +
                    " -purpose any -out /dev/null 2>/dev/null")
      .status;
}

std::string OpensslSign(const TempDir& dir, const std::string& signer_pem,
                        const std::string& key_file, const std::string& content,
                        const std::string& flags) {
  WriteBytes(dir.File("openssl.content"), content);
  const std::string command = "openssl cms -sign -engine gost -binary -md md_gost94 -signer " +
                              Quoted(signer_pem) + " -inkey " + Quoted(key_file) + " -in " +
                              Quoted(dir.File("openssl.content")) + " -outform DER -out " +
                              Quoted(dir.File("openssl.p7s")) + " " + flags + " 2>/dev/null";
  EXPECT_EQ(0, RunCommand(command).status) << command;
  return ReadBytes(dir.File("openssl.p7s"));
}
