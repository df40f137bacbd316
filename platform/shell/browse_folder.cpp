#include "platform/shell/browse_folder.h"

#include <utility>

namespace {

// The one picker of the process, as the shell has one dialog.
FolderPicker& InstalledPicker() {
  static FolderPicker picker;
  return picker;
}

}  // namespace

void SetFolderPicker(FolderPicker picker) { InstalledPicker() = std::move(picker); }

std::optional<std::string> SHBrowseForFolderA(const BrowseInfo& info) {
  const FolderPicker& picker = InstalledPicker();
  if (!picker) return std::nullopt;
  return picker(info);
}
