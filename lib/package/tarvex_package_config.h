// CTarvexPackageConfig: the parameters the package hands to each document
// and a document to each signature. Every receiver keeps its own copy.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "lib/foundation/base_class.h"

class CPackageCaches;
class CTarvexPackageFiles;
struct ZipPacking;
class CVerifiedIssuers;
class CXMLClass;

class CTarvexPackageConfig : public CBaseClass {
 public:
  // Bound to `node` (not owned), using the current user's stores.
  static std::unique_ptr<CTarvexPackageConfig> Create(CXMLClass* node, uint8_t flow_kind,
                                                      const std::string& work_folder);
  // No node, flow kind 0, no work folder, the current user's stores.
  static std::unique_ptr<CTarvexPackageConfig> CreateEmpty();

  // Copies every parameter.
  void Assign(const CTarvexPackageConfig& other);

  // The document or signature element of the transport description the
  // receiving object is bound to; null when none.
  CXMLClass* Node() const { return node_; }
  void SetNode(CXMLClass* node) { node_ = node; }
  // Where the package's content and signature files are read and written
  // when it holds no files of its own in memory.
  const std::string& WorkFolder() const { return work_folder_; }
  // The package's files in memory (not owned); null when they lie in the
  // work folder.
  CTarvexPackageFiles* Files() const { return files_; }
  void SetFiles(CTarvexPackageFiles* files) { files_ = files; }
  // The issuers verified over the package's checks (not owned), or null.
  CVerifiedIssuers* VerifiedIssuers() const { return verified_issuers_; }
  void SetVerifiedIssuers(CVerifiedIssuers* verified) { verified_issuers_ = verified; }
  // What the package keeps of its documents for its checks (not owned),
  // or null.
  void SetCaches(CPackageCaches* caches) { caches_ = caches; }
  // Tells them that the receiver's element may have changed a name, a
  // code, a type or a list of signatures.
  void NamesChanged() const;
  // Has them prepare the checks of the package's documents.
  void PrepareChecks() const;
  // What a document's content size asks of them (package_caches.h);
  // nothing outside a package.
  void CheckContentSize(const std::string& name, int64_t before, int64_t after) const;
  void ContentResized(int64_t before, int64_t after) const noexcept;
  // The bytes of the named file (a bare name); `take` lets an in-memory
  // file go to its one reader.
  std::string ReadFile(const std::string& name, bool take) const;
  // Gives the bytes (with their packing, when the owner made it) to the
  // package's save, which writes them before the owner lets them go, or
  // writes them into the work folder.
  void WriteFile(const std::string& name, std::string_view bytes,
                 const ZipPacking* packing = nullptr) const;
  // 1 legal entity, 2 individual entrepreneur, 0 unknown.
  uint8_t FlowKind() const { return flow_kind_; }
  // True: the current user's certificate stores; false: the machine's.
  bool UseUserStorage() const { return use_user_storage_; }
  void SetUseUserStorage(bool flag) { use_user_storage_ = flag; }

 private:
  CTarvexPackageConfig(CXMLClass* node, uint8_t flow_kind, std::string work_folder)
      : node_(node), work_folder_(std::move(work_folder)), flow_kind_(flow_kind) {}

  CXMLClass* node_;
  std::string work_folder_;
  CTarvexPackageFiles* files_ = nullptr;
  CVerifiedIssuers* verified_issuers_ = nullptr;
  CPackageCaches* caches_ = nullptr;
  uint8_t flow_kind_;
  bool use_user_storage_ = true;
};
