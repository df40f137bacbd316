// CPackageDigests: the digests of a package's signed documents, made on all
// cores at once when the first of them is checked, so that the checks of
// their signatures, which come one after another on the calling thread, do
// not each hash a document again. The digests stay with each document,
// which drops them whenever its content changes.
#pragma once

#include <memory>
#include <vector>

class CTarvexDocument;

class CPackageDigests {
 public:
  // The package's documents, borrowed: the package outlives this object.
  explicit CPackageDigests(const std::vector<std::unique_ptr<CTarvexDocument>>& documents)
      : documents_(documents) {}

  // Makes the digests that the documents' signatures name and that the
  // documents do not hold yet.
  void Prepare() const;

 private:
  const std::vector<std::unique_ptr<CTarvexDocument>>& documents_;
};
