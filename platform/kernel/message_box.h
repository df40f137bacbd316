// MessageBoxA. The box itself belongs to the user interface, which installs
// a handler with SetMessageBoxHandler; without one the box becomes a line on
// stderr and is answered with its default button.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_YESNO = 0x04;
constexpr uint32_t MB_ICONERROR = 0x10;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONWARNING = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr uint32_t MB_DEFBUTTON2 = 0x0100;
constexpr uint32_t MB_TYPEMASK = 0x0F;
constexpr uint32_t MB_ICONMASK = 0xF0;
constexpr uint32_t MB_DEFMASK = 0x0F00;
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

using HWND = void*;

// Shows the box (texts cp1251, `type` the MB_* flags) and returns the ID of
// the button pressed.
using MessageBoxHandler =
    std::function<int(const std::string& text, const std::string& caption, uint32_t type)>;

// Null restores the headless answer.
void SetMessageBoxHandler(MessageBoxHandler handler);
HWND GetForegroundWindow();
int MessageBoxA(HWND owner, const char* text, const char* caption, uint32_t type);
// The button a box of `type` answers when Enter is pressed.
int DefaultButtonOf(uint32_t type);
