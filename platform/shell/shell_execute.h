// ShellExecuteA with the verb "open": hands a file to the program that the
// desktop associates with its type. The desktop belongs to the user
// interface, which installs the launcher with SetShellLauncher; without one
// nothing is launched and the call reports that no program is associated.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/kernel/message_box.h"

constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMAXIMIZED = 3;

// Results at or below 32 are failures.
constexpr intptr_t SE_ERR_FNF = 2;
constexpr intptr_t SE_ERR_NOASSOC = 31;

struct ShellOpen {
  HWND owner = nullptr;
  std::string file;  // cp1251
  int show = SW_SHOWNORMAL;
};

// True when a program was started for the file.
using ShellLauncher = std::function<bool(const ShellOpen&)>;

// Null removes the launcher.
void SetShellLauncher(ShellLauncher launcher);
// Only the verb "open" (or none, its default) is known. Above 32 when a
// program was started; SE_ERR_FNF for a file that does not exist,
// SE_ERR_NOASSOC when no program took it.
intptr_t ShellExecuteA(HWND owner, const std::string& verb, const std::string& file, int show);
