#include "platform/shell/open_file_dialog.h"

#include <utility>

namespace {

OpenFilePicker& Picker() {
  static OpenFilePicker picker;
  return picker;
}

}  // namespace

void SetOpenFilePicker(OpenFilePicker picker) { Picker() = std::move(picker); }

bool GetOpenFileNameA(OpenFileName& info) {
  if (!Picker()) return false;
  std::optional<std::string> picked = Picker()(info);
  if (!picked || picked->empty()) return false;
  info.file_name = std::move(*picked);
  return true;
}
