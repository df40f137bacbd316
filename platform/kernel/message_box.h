// MessageBoxA where no window system is: the box becomes a line on stderr
// and is answered with its default button.
#pragma once

#include <cstdint>

constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_YESNO = 0x04;
constexpr uint32_t MB_ICONERROR = 0x10;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONWARNING = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDYES = 6;

using HWND = void*;

HWND GetForegroundWindow();
int MessageBoxA(HWND owner, const char* text, const char* caption, uint32_t type);
