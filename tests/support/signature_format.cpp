#include "tests/support/signature_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <regex>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/run_command.h"
#include "tests/support/test_pki.h"

namespace {

int Occurrences(const std::string& text, const std::string& what) {
  int count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

void ExpectSignatureFormat(const TempDir& dir, const std::string& signature,
                           const std::string& content, const std::string& signer) {
  const std::string file = dir.File("format.p7s");
  WriteBytes(file, signature);
  WriteBytes(dir.File("format.content"), content);
  const std::string printed =
      RunCommand("openssl cms -cmsout -print -inform DER -in " + Quoted(file)).output;
  EXPECT_NE(std::string::npos, printed.find("contentType: pkcs7-signedData (1.2.840.113549.1.7.2)\n"
                                            "  d.signedData: \n    version: 1\n"))
      << printed;
  // One digest algorithm and one signer, both GOST R 34.11-94.
  EXPECT_EQ(2, Occurrences(printed, "algorithm: GOST R 34.11-94 (1.2.643.2.2.9)")) << printed;
  EXPECT_EQ(1, Occurrences(printed, "d.issuerAndSerialNumber:")) << printed;
  EXPECT_NE(std::string::npos, printed.find("eContentType: pkcs7-data (1.2.840.113549.1.7.1)\n"
                                            "      eContent: <ABSENT>"))
      << printed;
  EXPECT_EQ(1, Occurrences(printed, "d.certificate:")) << printed;
  EXPECT_NE(std::string::npos, printed.find("crls:\n      <ABSENT>")) << printed;
  EXPECT_NE(std::string::npos, printed.find("unsignedAttrs:\n          <ABSENT>")) << printed;

  // Exactly content type, signing time and message digest are signed.
  const size_t begin = printed.find("signedAttrs:");
  const size_t end = printed.find("signatureAlgorithm:", begin);
  ASSERT_NE(std::string::npos, begin) << printed;
  const std::string attributes = printed.substr(begin, end - begin);
  std::vector<std::string> names;
  const std::regex object("object: (\\w+) \\(");
  for (auto it = std::sregex_iterator(attributes.begin(), attributes.end(), object);
       it != std::sregex_iterator(); ++it) {
    names.push_back((*it)[1]);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"contentType", "messageDigest", "signingTime"}), names);

  // The one certificate is the signer's.
  const CommandResult certificate = RunCommand("openssl pkcs7 -inform DER -in " + Quoted(file) +
                                               " -print_certs | openssl x509 -outform DER -out " +
                                               Quoted(dir.File("format.cer")));
  EXPECT_EQ(0, certificate.status);
  EXPECT_EQ(Pki(signer + ".cer"), ReadBytes(dir.File("format.cer")));

  // The message digest is openssl's own GOST R 34.11-94 of the content.
  const std::string parsed = RunCommand("openssl asn1parse -inform DER -in " + Quoted(file)).output;
  std::smatch digest;
  ASSERT_TRUE(std::regex_search(
      parsed, digest,
      std::regex(":messageDigest\\s*\\n.*SET.*\\n.*OCTET STRING\\s*\\[HEX DUMP\\]:([0-9A-F]+)")))
      << parsed;
  const std::string own = RunCommand("openssl dgst -engine gost -md_gost94 -r " +
                                     Quoted(dir.File("format.content")) + " 2>/dev/null")
                              .output;
  EXPECT_EQ(Upper(own.substr(0, 64)), digest[1].str());
}

long long SigningTimeOf(const TempDir& dir, const std::string& signature) {
  const std::string file = dir.File("time.p7s");
  WriteBytes(file, signature);
  const std::string printed =
      RunCommand("openssl cms -cmsout -print -inform DER -in " + Quoted(file)).output;
  std::smatch time;
  if (!std::regex_search(printed, time, std::regex("UTCTIME:(.*) GMT"))) return -1;
  std::tm parts{};
  if (::strptime(time[1].str().c_str(), "%b %d %H:%M:%S %Y", &parts) == nullptr) return -1;
  return static_cast<long long>(::timegm(&parts));
}
