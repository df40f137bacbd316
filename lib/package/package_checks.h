// CPackageChecks: what the checks of a package's signatures can find in
// advance, found on all cores at once when the first of them is checked:
// each signed document's digests and whether each signature's signed
// attributes verify. The checks themselves come one after another on the
// calling thread and then neither hash a document nor verify those
// attributes again. What was found stays with each document, which drops
// it whenever its content changes.
#pragma once

#include <memory>
#include <vector>

class CTarvexDocument;

class CPackageChecks {
 public:
  // The package's documents, borrowed: the package outlives this object.
  explicit CPackageChecks(const std::vector<std::unique_ptr<CTarvexDocument>>& documents)
      : documents_(documents) {}

  // Prepares the checks of the documents that have none prepared.
  void Prepare() const;

 private:
  const std::vector<std::unique_ptr<CTarvexDocument>>& documents_;
};
