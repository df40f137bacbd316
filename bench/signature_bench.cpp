// Detached GOST signing and verification of 1 KiB, 1 MiB and 32 MiB beside
// the lower bound of one GOST R 34.11-94 pass over the same bytes (the
// engine's digest alone) and beside `openssl cms -sign` of the same file
// (which includes starting the process and reading the key).
//
// The key is made on the spot with the openssl command and put into a key
// container under a temporary root, so the bench touches no real store.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "bench/bench_keys.h"
#include "lib/crypto/crypt_object.h"
#include "lib/crypto/crypt_tool.h"
#include "lib/crypto/crypto_provider.h"
#include "lib/crypto/crypto_signature.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/crypt_env.h"
#include "platform/crypt/crypt_prov.h"
#include "platform/kernel/codepage.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
}

// A signer key and certificate under a temporary root, for the process.
class Signer {
 public:
  Signer() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvex-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::exit(1);
    dir_ = pattern;
    ::setenv("TARVEX_CRYPT_USER_ROOT", (dir_ + "/user").c_str(), 1);
    ::setenv("TARVEX_CRYPT_MACHINE_ROOT", (dir_ + "/machine").c_str(), 1);
    Run("cd " + dir_ +
        " && openssl req -x509 -engine gost -newkey gost2001 -pkeyopt paramset:A -nodes "
        "-keyout key.pem -out cert.pem -subj /CN=bench -md_gost94 -days 30 2>/dev/null"
        " && openssl x509 -in cert.pem -outform DER -out cert.cer");

    PCCERT_CONTEXT context =
        BoundCertificate("bench", ReadFile(dir_ + "/key.pem"), ReadFile(dir_ + "/cert.cer"));
    certificate_ = std::make_unique<CCryptCertificate>(context);
    CertFreeCertificateContext(context);
  }
  ~Signer() {
    certificate_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  const CCryptCertificate* Certificate() const { return certificate_.get(); }
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_;
  std::unique_ptr<CCryptCertificate> certificate_;
};

Signer& TheSigner() {
  static Signer signer;
  return signer;
}

std::string Content(size_t size) {
  std::string content(size, '\0');
  for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>(i * 7 % 251);
  return content;
}

void Hash(benchmark::State& state) {
  TheSigner();  // loads the engine the same way
  if (!IsGostEngineAvailable()) state.SkipWithError("no gost engine");
  const EVP_MD* md = EVP_get_digestbyname("md_gost94");
  const std::string content = Content(state.range(0));
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  for (auto _ : state) {
    EVP_Digest(content.data(), content.size(), digest, &length, md, nullptr);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Sign(benchmark::State& state) {
  const std::string content = Content(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(CCryptTool::SignMessage(TheSigner().Certificate(), content, 0));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Verify(benchmark::State& state) {
  const std::string content = Content(state.range(0));
  const std::string signature = CCryptTool::SignMessage(TheSigner().Certificate(), content, 0);
  CCryptoProvider provider;
  provider.OpenVerifyContext(kGostProviderType, false);
  CCryptoSignatureConfig config(&provider, 2, 0, kIncludeSigningCert);
  CCryptoSignature verifier;
  verifier.Open(&config);
  for (auto _ : state) {
    benchmark::DoNotOptimize(verifier.Verify(content, signature, nullptr, 0));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void OpensslCmsSign(benchmark::State& state) {
  const std::string& dir = TheSigner().Dir();
  const std::string file = dir + "/content." + std::to_string(state.range(0));
  std::ofstream(file, std::ios::binary) << Content(state.range(0));
  const std::string command =
      "openssl cms -sign -engine gost -binary -md md_gost94 -nosmimecap "
      "-signer " +
      dir + "/cert.pem -inkey " + dir + "/key.pem -in " + file + " -outform DER -out " + dir +
      "/out.p7s 2>/dev/null";
  for (auto _ : state) Run(command);
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

#define SIZES Arg(1 << 10)->Arg(1 << 20)->Arg(32 << 20)->Unit(benchmark::kMillisecond)
BENCHMARK(Hash)->SIZES;
BENCHMARK(Sign)->SIZES;
BENCHMARK(Verify)->SIZES;
BENCHMARK(OpensslCmsSign)->SIZES->UseRealTime();

}  // namespace
