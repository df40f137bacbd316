// CPackageCaches: what a package keeps of its documents for its checks
// (the index of their names, package_names.h, and their prepared
// signature checks, package_checks.h), as its documents and signatures
// reach it through their configuration without knowing the package: they
// tell it of their changes and have it prepare the checks.
#pragma once

class CXMLClass;

class CPackageCaches {
 public:
  // `node`, the element of a document or of one of its signatures at any
  // depth, may have changed a name, a code, a type or a list of
  // signatures. Allocates nothing: the change is made already.
  virtual void NamesChanged(const CXMLClass* node) noexcept = 0;
  // Prepares the checks of the documents that have none prepared.
  virtual void PrepareChecks() = 0;

 protected:
  ~CPackageCaches() = default;
};
