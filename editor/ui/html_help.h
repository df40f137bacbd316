// The editor's help. There is no help control here: the help entry point
// hands the help file, the executable's path with ".chm", to the viewer
// that is bound to it. The program binds the desktop's viewer for the
// file's type at its start (InstallQtDialogs); tests bind their own, so
// that no real viewer starts. Paths are cp1251.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The one command of the entry point: show the file's first topic.
constexpr uint32_t HH_DISPLAY_TOPIC = 0;

// Starts a viewer for the file; true when it was launched.
using HelpViewer = std::function<bool(const std::string& file)>;

// An empty viewer unbinds the entry point.
void BindHtmlHelp(HelpViewer viewer);
// Hands `file` to the bound viewer; false when none is bound, the command
// is not HH_DISPLAY_TOPIC or the viewer could not be launched.
bool CallHtmlHelp(const std::string& file, uint32_t command);

// The executable's folder with a trailing "\" and its name with ".chm":
// "C:\App\tool.exe" gives "C:\App\tool.chm".
std::string HelpFileNameOf(const std::string& exe_path);
std::string GetHelpFileName();
// The main window's help command: the help file in its viewer, or the box
// "Файл справки не найден!" captioned "Ошибка" when there is no file.
void ShowHelp();
