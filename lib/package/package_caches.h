// CPackageCaches: what a package keeps of its documents for its checks
// (the index of their names, package_names.h, their prepared signature
// checks, package_checks.h, and the size of their contents together), as
// its documents and signatures reach it through their configuration
// without knowing the package: they tell it of their changes and have it
// prepare the checks.
#pragma once

#include <cstdint>
#include <string>

class CXMLClass;

class CPackageCaches {
 public:
  // `node`, the element of a document or of one of its signatures at any
  // depth, may have changed a name, a code, a type or a list of
  // signatures. Allocates nothing: the change is made already.
  virtual void NamesChanged(const CXMLClass* node) noexcept = 0;
  // Prepares the checks of the documents that have none prepared.
  virtual void PrepareChecks() = 0;
  // Refuses a document's content of `after` bytes in place of its `before`
  // that the package could not save into an archive that opens again, by
  // itself or with the other documents' contents; the refusal names the
  // file `name`.
  virtual void CheckContentSize(const std::string& name, int64_t before, int64_t after) const = 0;
  // A document's content went from `before` to `after` bytes.
  virtual void ContentResized(int64_t before, int64_t after) noexcept = 0;

 protected:
  ~CPackageCaches() = default;
};
