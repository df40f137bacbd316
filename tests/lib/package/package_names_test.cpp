// The index of a package's names, codes and signature files: a change of
// it that runs out of memory half-way leaves it answering as before.
#include "lib/package/package_names.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lib/package/tarvex_document.h"
#include "lib/package/xml_gpr_document.h"
#include "lib/package/xml_gpr_package.h"
#include "tests/lib/package/large_package.h"
#include "tests/support/counting_allocator.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

// What an index answers to every question the package asks it.
struct Answers {
  int64_t signature_files;
  bool clashes;
  std::vector<CTarvexDocument*> by_original_name;
  bool operator==(const Answers&) const = default;
};

const char* const kOriginalNames[] = {"", "a.xml", "b.xml", "c.xml"};

Answers Ask(CPackageNames& names) {
  Answers answers{names.SignatureFiles(), names.Clashes(), {}};
  for (const char* name : kOriginalNames) {
    answers.by_original_name.push_back(names.FindByOriginalName(name));
  }
  return answers;
}

std::string Print(const Answers& answers) {
  std::string text = "signature files " + std::to_string(answers.signature_files) +
                     (answers.clashes ? ", clashes" : ", no clash") + ", found";
  for (const CTarvexDocument* document : answers.by_original_name) {
    text += ' ';
    text += document == nullptr ? "none" : std::to_string(document->Serial());
  }
  return text;
}

}  // namespace

TEST(PackageNames, AChangeThatRunsOutOfMemoryLeavesTheIndexAnsweringAsAFreshOne) {
  TempDir folder;
  ScopedEnv tmp("TMP", folder.Path());
  // Four documents with no clash; the first is signed; two share an
  // original name.
  WriteLargePackage(folder.File("package.zip"), 4);
  CTarvexDoc package;
  ASSERT_TRUE(package.Open(folder.File("package.zip")));
  std::vector<CTarvexDocument*> documents;
  for (int i = 0; i < package.GetFileCount(); ++i) documents.push_back(package.GetFile(i));
  documents[0]->SetOriginalFilename("a.xml");
  documents[1]->SetOriginalFilename("b.xml");
  documents[2]->SetOriginalFilename("b.xml");

  struct Case {
    const char* name;
    // Run before the allocations are counted; `held` lists the documents
    // the index was told of.
    std::function<void(CPackageNames&, std::vector<CTarvexDocument*>& held, size_t k)> prepare;
    // Run while the k-th allocation fails.
    std::function<void(CPackageNames&, std::vector<CTarvexDocument*>& held)> change;
  };
  const Case cases[] = {
      {"adding every document and entering them",
       [](CPackageNames&, std::vector<CTarvexDocument*>&, size_t) {},
       [&](CPackageNames& names, std::vector<CTarvexDocument*>& held) {
         for (CTarvexDocument* document : documents) {
           names.Add(*document);
           held.push_back(document);
         }
         names.SignatureFiles();
       }},
      {"taking changed documents again",
       [&](CPackageNames& names, std::vector<CTarvexDocument*>& held, size_t k) {
         for (CTarvexDocument* document : documents) {
           names.Add(*document);
           held.push_back(document);
         }
         names.Clashes();
         // Each round changes the signed document's code, and with it its
         // content and signature file names, and moves another document
         // from one original name to another.
         documents[0]->SetDocumentCode(k % 2 ? "0123456789abcdef0123456789abcdef"
                                             : "00000000000000000000000000000000");
         documents[2]->SetOriginalFilename(k % 2 ? "c.xml" : "b.xml");
       },
       [&](CPackageNames& names, std::vector<CTarvexDocument*>&) {
         names.Changed(documents[0]->Node());
         names.Changed(documents[2]->Node());
         names.Clashes();
       }},
      {"telling of a change once every document is listed",
       [&](CPackageNames& names, std::vector<CTarvexDocument*>& held, size_t k) {
         names.Add(*documents[0]);
         names.Clashes();
         names.Add(*documents[1]);
         held = {documents[0], documents[1]};
         documents[0]->SetOriginalFilename(k % 2 ? "c.xml" : "a.xml");
       },
       [&](CPackageNames& names, std::vector<CTarvexDocument*>&) {
         names.Changed(documents[0]->Node());
         names.Clashes();
       }},
  };
  for (const Case& test : cases) {
    for (size_t k = 1;; ++k) {
      CPackageNames names;
      std::vector<CTarvexDocument*> held;
      held.reserve(documents.size());
      test.prepare(names, held, k);
      const size_t before = Allocations();
      FailAllocation(k);
      bool raised = false;
      try {
        test.change(names, held);
      } catch (...) {
        raised = true;
      }
      FailAllocation(0);
      const bool failed = Allocations() - before >= k;
      EXPECT_EQ(failed, raised) << test.name << ", allocation " << k;

      CPackageNames fresh;
      for (CTarvexDocument* document : held) fresh.Add(*document);
      EXPECT_EQ(Print(Ask(fresh)), Print(Ask(names))) << test.name << ", allocation " << k;
      if (!failed) break;
    }
  }
}
