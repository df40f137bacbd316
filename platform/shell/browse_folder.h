// SHBrowseForFolderA: the folder picker. The window itself belongs to the
// user interface, which installs it with SetFolderPicker; without one no
// folder is ever picked.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/kernel/message_box.h"

constexpr uint32_t BIF_NEWDIALOGSTYLE = 0x0040;
constexpr uint32_t BIF_BROWSEINCLUDEURLS = 0x0080;
constexpr uint32_t BIF_NONEWFOLDERBUTTON = 0x0200;

struct BrowseInfo {
  HWND owner = nullptr;
  int root = 0;           // CSIDL of the folder the tree starts at
  std::string title;      // cp1251
  uint32_t flags = 0;     // BIF_*
  std::string selection;  // cp1251; selected when the dialog opens (BFFM_SETSELECTIONA)
};

// The chosen item's file-system path (cp1251), an empty text for an item
// without one, nothing when the user cancelled.
using FolderPicker = std::function<std::optional<std::string>(const BrowseInfo&)>;

void SetFolderPicker(FolderPicker picker);
std::optional<std::string> SHBrowseForFolderA(const BrowseInfo& info);
