// What the package benchmarks share: the document sets (made the same on
// every run), a measurement in a process of its own with its peak memory,
// temporary crypt roots with the test PKI's signer and its chain, and the
// library forming a package of a set.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "bench/bench_keys.h"
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/package/tarvex_doc.h"
#include "lib/package/tarvex_document.h"
#include "lib/package/tarvex_key.h"
#include "lib/package/xml_gpr_package.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/crl_context.h"
#include "platform/crypt/crypt_env.h"

namespace bench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline const std::string kPki = TARVEX_SOURCE_DIR "/tests/platform/crypt/pki/";

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
}

inline double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// One set of documents: their sizes and how their bytes are made.
struct DocumentSet {
  const char* name;
  std::vector<size_t> sizes;
  bool text;

  size_t Total() const {
    size_t total = 0;
    for (size_t size : sizes) total += size;
    return total;
  }

  // Document `index`, the same on every call. Text is words of a fixed
  // vocabulary in lines; random is what the generator gives.
  std::string Make(size_t index) const {
    std::mt19937_64 random(index * 7919 + (text ? 1 : 2));
    std::string bytes(sizes[index], '\0');
    if (!text) {
      for (size_t i = 0; i + 8 <= bytes.size(); i += 8) {
        const uint64_t value = random();
        std::memcpy(bytes.data() + i, &value, 8);
      }
      return bytes;
    }
    static const std::vector<std::string> words = [] {
      std::mt19937 letters(42);
      std::vector<std::string> list(1500);
      for (std::string& word : list) {
        word.resize(3 + letters() % 9);
        for (char& c : word) c = static_cast<char>(0xE0 + letters() % 32);
      }
      return list;
    }();
    size_t at = 0;
    int column = 0;
    while (at < bytes.size()) {
      const std::string& word = words[random() % words.size()];
      for (size_t i = 0; i < word.size() && at < bytes.size(); ++i) bytes[at++] = word[i];
      if (at < bytes.size()) bytes[at++] = ++column % 12 == 0 ? '\n' : ' ';
    }
    return bytes;
  }
};

inline DocumentSet LargeSet(const char* name, bool text) {
  // 20 documents of 1 to 15 MB, 100 MB in all.
  const int megabytes[] = {15, 12, 10, 9, 8, 7, 6, 5, 4, 4, 3, 3, 2, 2, 2, 2, 1, 1, 2, 2};
  DocumentSet set{name, {}, text};
  for (int size : megabytes) set.sizes.push_back(static_cast<size_t>(size) << 20);
  return set;
}

inline DocumentSet SmallSet() { return {"1000x10KiB", std::vector<size_t>(1000, 10 << 10), true}; }

// The sets named on a benchmark's command line; all when none is named.
class SetChoice {
 public:
  SetChoice(int argc, char** argv) : chosen_(argv + 1, argv + argc) {}
  bool operator()(const std::string& name) const {
    return chosen_.empty() || std::find(chosen_.begin(), chosen_.end(), name) != chosen_.end();
  }

 private:
  std::vector<std::string> chosen_;
};

// Seconds of the timed part and the process's peak memory in MiB.
struct Figure {
  double seconds = 0;
  double peak_mb = 0;
};

// Runs `work` (which returns the seconds it timed) in a child process.
inline Figure Measure(const std::function<double()>& work) {
  int pipe_ends[2];
  if (::pipe(pipe_ends) != 0) std::exit(1);
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe_ends[0]);
    Figure figure;
    figure.seconds = work();
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    figure.peak_mb = usage.ru_maxrss / 1024.0;
    if (::write(pipe_ends[1], &figure, sizeof figure) != sizeof figure) ::_exit(1);
    ::_exit(0);
  }
  ::close(pipe_ends[1]);
  Figure figure;
  const bool read = ::read(pipe_ends[0], &figure, sizeof figure) == sizeof figure;
  ::close(pipe_ends[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!read || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "a measurement failed\n");
    std::exit(1);
  }
  return figure;
}

// A signer of the test PKI in a key container under a temporary root, its
// chain trusted there.
class Bench {
 public:
  Bench() {
    dir_ = MakeBenchFolder("tarvex-bench");
    Run("openssl x509 -inform DER -in " + kPki + "signer.cer -out " + dir_ + "/signer.pem");
    signer_ =
        BoundCertificate("bench", ReadFile(kPki + "signer.key"), ReadFile(kPki + "signer.cer"));
    AddToStore(2, {"root"}, {});
    AddToStore(3, {"intermediate"}, {"root", "intermediate"});
  }
  ~Bench() {
    CertFreeCertificateContext(signer_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  const std::string& Dir() const { return dir_; }

  // The signer as the catalogue hands it out: its context reaches the key.
  std::unique_ptr<CTarvexKey> Signer() const {
    auto key = std::make_unique<CTarvexKey>();
    key->SetSha1("BENCH");
    key->CertContext = CertDuplicateCertificateContext(signer_);
    key->OwnsContext = true;
    key->SignRole = 3;
    return key;
  }

 private:
  static void AddToStore(int kind, const std::vector<std::string>& certificates,
                         const std::vector<std::string>& crls) {
    HCERTSTORE store = CCryptoAPI20Utils::OpenSystemStore(nullptr, 2, kind);
    for (const std::string& name : certificates) {
      PCCERT_CONTEXT context =
          CertCreateCertificateContext(kMsgEncoding, ReadFile(kPki + name + ".cer"));
      CertAddCertificateContextToStore(store, context, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
      CertFreeCertificateContext(context);
    }
    for (const std::string& name : crls) {
      PCCRL_CONTEXT context = CertCreateCRLContext(kMsgEncoding, ReadFile(kPki + name + ".crl"));
      CertAddCRLContextToStore(store, context, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
      CertFreeCRLContext(context);
    }
    CertCloseStore(store, 0);
  }

  std::string dir_;
  PCCERT_CONTEXT signer_ = nullptr;
};

inline std::string OriginalName(size_t index) { return "doc" + std::to_string(index) + ".bin"; }

// Adds, signs (unless `sign` is false) and saves the set; the documents are
// made one by one and handed over, as a client reading files would.
inline double Form(const DocumentSet& set, const Bench& bench, const std::string& package_file,
                   bool sign = true) {
  const auto key = bench.Signer();
  double making = 0;
  const Clock::time_point start = Clock::now();
  CTarvexDoc package;
  package.New();
  package.SetDocTransactType(1);
  package.SetSenderType(5);
  package.SetSenderIdentifier("7701");
  package.SetReceiverType(2);
  package.SetReceiverIdentifier("0046");
  for (size_t i = 0; i < set.sizes.size(); ++i) {
    const Clock::time_point made = Clock::now();
    std::string bytes = set.Make(i);
    making += Since(made);
    CTarvexDocument* document = package.AddFile();
    document->SetDocType(3);
    document->SetContentType("application/octet-stream");
    document->SetOriginalFilename(OriginalName(i));
    document->SetContent(std::move(bytes));
    if (sign && !package.SignFile(OriginalName(i), key.get())) std::exit(1);
  }
  if (!package.SaveAs(package_file)) std::exit(1);
  return Since(start) - making;
}

}  // namespace bench
