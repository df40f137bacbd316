// GetOpenFileNameA: the dialog that picks one existing file. The window
// itself belongs to the user interface, which installs it with
// SetOpenFilePicker; without one no file is ever picked.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/kernel/message_box.h"

struct OpenFileName {
  HWND owner = nullptr;
  // Pairs of a description and its patterns, each followed by "|":
  // "Файлы пакетов (*.zip)|*.zip", patterns separated by ";" (cp1251).
  std::string filter;
  std::string initial_dir;  // cp1251
  std::string file_name;    // cp1251; the picked file after a true answer
  std::string title;        // cp1251; empty: the dialog's own
};

// The picked file's path (cp1251), nothing when the user cancelled.
using OpenFilePicker = std::function<std::optional<std::string>(const OpenFileName&)>;

void SetOpenFilePicker(OpenFilePicker picker);
// True and the path in `info.file_name` when a file was picked.
bool GetOpenFileNameA(OpenFileName& info);
