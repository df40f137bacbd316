#include "lib/package/tarvex_package_config.h"

#include "lib/foundation/file_routines.h"
#include "lib/foundation/path_routines.h"
#include "lib/package/package_caches.h"
#include "lib/package/tarvex_package_files.h"

std::unique_ptr<CTarvexPackageConfig> CTarvexPackageConfig::Create(CXMLClass* node,
                                                                   uint8_t flow_kind,
                                                                   const std::string& work_folder) {
  return std::unique_ptr<CTarvexPackageConfig>(
      new CTarvexPackageConfig(node, flow_kind, work_folder));
}

std::unique_ptr<CTarvexPackageConfig> CTarvexPackageConfig::CreateEmpty() {
  return Create(nullptr, 0, std::string());
}

void CTarvexPackageConfig::Assign(const CTarvexPackageConfig& other) {
  node_ = other.node_;
  work_folder_ = other.work_folder_;
  files_ = other.files_;
  verified_issuers_ = other.verified_issuers_;
  caches_ = other.caches_;
  flow_kind_ = other.flow_kind_;
  use_user_storage_ = other.use_user_storage_;
}

void CTarvexPackageConfig::NamesChanged() const {
  if (caches_ != nullptr) caches_->NamesChanged(node_);
}

void CTarvexPackageConfig::PrepareChecks() const {
  if (caches_ != nullptr) caches_->PrepareChecks();
}

void CTarvexPackageConfig::CheckContentSize(const std::string& name, int64_t before,
                                            int64_t after) const {
  if (caches_ != nullptr) caches_->CheckContentSize(name, before, after);
}

void CTarvexPackageConfig::ContentResized(int64_t before, int64_t after) const noexcept {
  if (caches_ != nullptr) caches_->ContentResized(before, after);
}

std::string CTarvexPackageConfig::ReadFile(const std::string& name, bool take) const {
  if (files_ != nullptr) return files_->Read(name, take);
  return LoadFileToString(CombinePath(work_folder_, name));
}

void CTarvexPackageConfig::WriteFile(const std::string& name, std::string_view bytes,
                                     const ZipPacking* packing) const {
  if (files_ != nullptr) {
    files_->Save(name, bytes, packing);
  } else {
    WriteStringToFile(CombinePath(work_folder_, name), std::string(bytes));
  }
}
