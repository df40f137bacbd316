#include "lib/package/tarvex_package_config.h"

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
  flow_kind_ = other.flow_kind_;
  use_user_storage_ = other.use_user_storage_;
}
