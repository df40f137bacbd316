// The editor's help. There is no help control here: the help entry point
// hands the help file, the executable's path with ".chm", to the desktop's
// program for its type, as viewing a document does (ShellExecuteA, whose
// launcher the program installs at its start and tests script). Paths are
// cp1251.
#pragma once

#include <cstdint>
#include <string>

// The one command of the entry point: show the file's first topic.
constexpr uint32_t HH_DISPLAY_TOPIC = 0;

// Shows `file` maximised; false when the command is not HH_DISPLAY_TOPIC or
// no program could be started for the file.
bool CallHtmlHelp(const std::string& file, uint32_t command);

// The executable's folder with a trailing "\" and its name with ".chm":
// "C:\App\tool.exe" gives "C:\App\tool.chm".
std::string HelpFileNameOf(const std::string& exe_path);
std::string GetHelpFileName();
// The main window's help command: the help file in its viewer, or the box
// "Файл справки не найден!" captioned "Ошибка" when there is no file.
void ShowHelp();
