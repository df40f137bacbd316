// Forming (add, sign, save) and opening (open, check every signature)
// packages through the library, beside their lower bounds and a peer:
//   - two sets of 20 documents of 1-15 MB, 100 MB in all: text-like bytes
//     that deflate shrinks about 3.6 times, and random bytes;
//   - 1,000 text-like documents of 10 KiB.
// Beside them, the cost of a package's size: adding 1,000 to 8,000
// documents one after another (add, type, original name, content), which
// takes time linear in their number when each call costs the same, and
// forming packages of many small documents: 10,000 signed and the largest
// one archive holds, 65,534 unsigned (a signature more would not fit).
// The forming bound is one GOST R 34.11-94 pass of the same engine and one
// zlib deflate -6 pass over the same bytes, one after the other; the
// opening bound is one inflate pass and one hash pass. The peer signs each
// file with `openssl cms -sign` and zips them with `zip -6`. Every figure
// is measured in a process of its own, so that its peak memory (maximum
// resident set) is its own. Run by hand on a quiet machine:
//   build/bench/package_bench [small] [random] [text] [adding] [many]
#include <openssl/evp.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/package_forming.h"

namespace {

using namespace bench;

const EVP_MD* Gost94() {
  IsGostEngineAvailable();
  const EVP_MD* md = EVP_get_digestbyname("md_gost94");
  if (md == nullptr) std::exit(1);
  return md;
}

void Hash(const EVP_MD* md, const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, md, nullptr);
}

std::string Deflate(const std::string& bytes) {
  uLongf size = compressBound(bytes.size());
  std::string packed(size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
            reinterpret_cast<const Bytef*>(bytes.data()), bytes.size(), 6);
  packed.resize(size);
  return packed;
}

double OpenAndCheck(const std::string& package_file) {
  const Clock::time_point start = Clock::now();
  CTarvexDoc package;
  if (!package.Open(package_file)) std::exit(1);
  for (int i = 0; i < package.GetFileCount(); ++i) package.GetFile(i)->CheckSign(false, true);
  return Since(start);
}

double FormBound(const DocumentSet& set) {
  const EVP_MD* md = Gost94();
  double seconds = 0;
  for (size_t i = 0; i < set.sizes.size(); ++i) {
    const std::string bytes = set.Make(i);
    const Clock::time_point start = Clock::now();
    Hash(md, bytes);
    Deflate(bytes);
    seconds += Since(start);
  }
  return seconds;
}

double OpenBound(const DocumentSet& set) {
  const EVP_MD* md = Gost94();
  double seconds = 0;
  for (size_t i = 0; i < set.sizes.size(); ++i) {
    const std::string bytes = set.Make(i);
    const std::string packed = Deflate(bytes);
    const Clock::time_point start = Clock::now();
    std::string plain(bytes.size(), '\0');
    uLongf size = plain.size();
    uncompress(reinterpret_cast<Bytef*>(plain.data()), &size,
               reinterpret_cast<const Bytef*>(packed.data()), packed.size());
    Hash(md, plain);
    seconds += Since(start);
  }
  return seconds;
}

double Peer(const DocumentSet& set, const std::string& dir) {
  const std::string folder = dir + "/peer";
  fs::remove_all(folder);
  fs::create_directory(folder);
  for (size_t i = 0; i < set.sizes.size(); ++i)
    WriteFile(folder + "/" + OriginalName(i), set.Make(i));
  const Clock::time_point start = Clock::now();
  for (size_t i = 0; i < set.sizes.size(); ++i) {
    const std::string file = folder + "/" + OriginalName(i);
    Run("openssl cms -sign -engine gost -binary -md md_gost94 -nosmimecap -signer " + dir +
        "/signer.pem -inkey " + kPki + "signer.key -in " + file + " -outform DER -out " + file +
        ".p7s 2>/dev/null");
  }
  Run("cd " + folder + " && zip -6 -q ../peer.zip *");
  const double seconds = Since(start);
  fs::remove_all(folder);
  fs::remove(dir + "/peer.zip");
  return seconds;
}

void Report(const DocumentSet& set, const Bench& bench) {
  const std::string package_file = bench.Dir() + "/" + set.name + ".zip";
  const Figure form = Measure([&] { return Form(set, bench, package_file); });
  const Figure open = Measure([&] { return OpenAndCheck(package_file); });
  const Figure form_bound = Measure([&] { return FormBound(set); });
  const Figure open_bound = Measure([&] { return OpenBound(set); });
  const Figure peer = Measure([&] { return Peer(set, bench.Dir()); });
  const double documents_mb = set.Total() / 1048576.0;
  std::printf("%s: %zu documents, %.1f MB, package %.1f MB\n", set.name, set.sizes.size(),
              documents_mb, fs::file_size(package_file) / 1048576.0);
  std::printf("  form           %7.2f s   %5.2fx bound (%.2f s)   %5.2fx peer (%.2f s)\n",
              form.seconds, form.seconds / form_bound.seconds, form_bound.seconds,
              form.seconds / peer.seconds, peer.seconds);
  std::printf("  open + check   %7.2f s   %5.2fx bound (%.2f s: inflate + hash)\n", open.seconds,
              open.seconds / open_bound.seconds, open_bound.seconds);
  std::printf("  peak memory    form %.0f MB, open %.0f MB (documents %.0f MB + %.0f / %.0f MB)\n",
              form.peak_mb, open.peak_mb, documents_mb, form.peak_mb - documents_mb,
              open.peak_mb - documents_mb);
  std::fflush(stdout);
  fs::remove(package_file);
}

// Adds `documents` documents of a few bytes to a new package, as a client
// does, and nothing more.
double Add(int documents) {
  CTarvexDoc package;
  package.New();
  package.SetDocTransactType(1);
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < documents; ++i) {
    CTarvexDocument* document = package.AddFile();
    document->SetDocType(3);
    document->SetOriginalFilename(OriginalName(i));
    document->SetContent("%PDF");
  }
  return Since(start);
}

void ReportAdding() {
  std::printf("adding documents (add, type, original name, content)\n");
  double first = 0;
  for (const int documents : {1000, 2000, 4000, 8000}) {
    const Figure add = Measure([&] { return Add(documents); });
    if (first == 0) first = add.seconds;
    std::printf("  %5d documents %7.3f s   %5.2f us each   %5.2fx the time of 1,000\n", documents,
                add.seconds, add.seconds / documents * 1e6, add.seconds / first);
  }
  std::fflush(stdout);
}

// Forming packages of many documents of 1 KiB: add, sign when `sign`, save.
void ReportMany(int documents, bool sign, const Bench& bench) {
  const DocumentSet set{"many", std::vector<size_t>(documents, 1 << 10), true};
  const std::string package_file = bench.Dir() + "/many.zip";
  const Figure form = Measure([&] { return Form(set, bench, package_file, sign); });
  std::printf("  %5d documents %s %7.2f s   %6.1f us each   package %.1f MB, peak %.0f MB\n",
              documents, sign ? "signed  " : "unsigned", form.seconds,
              form.seconds / documents * 1e6, fs::file_size(package_file) / 1048576.0,
              form.peak_mb);
  std::fflush(stdout);
  fs::remove(package_file);
}

}  // namespace

// The sets named on the command line (small, random, text, adding, many),
// or all of them.
int main(int argc, char** argv) {
  const SetChoice wanted(argc, argv);
  const Bench bench;
  std::printf("package_bench: %u cores\n", std::thread::hardware_concurrency());
  if (wanted("small")) Report(SmallSet(), bench);
  if (wanted("random")) Report(LargeSet("random", false), bench);
  if (wanted("text")) Report(LargeSet("text", true), bench);
  if (wanted("adding")) ReportAdding();
  if (wanted("many")) {
    std::printf("forming many documents of 1 KiB (add, sign, save)\n");
    ReportMany(10000, true, bench);
    ReportMany(65534, false, bench);
  }
  return 0;
}
