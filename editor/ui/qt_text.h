// The window layer's one crossing between the system's cp1251 text and
// Qt's QString, through the project's own code-page table.
#pragma once

#include <QString>
#include <string>
#include <string_view>

QString ToQt(std::string_view ansi);
// Characters outside the code page become '?'.
std::string FromQt(const QString& text);
// For text that must keep its identity, such as a folder the user typed:
// true and the text in `out`, or false and in `refusal` the message that
// names it (platform/kernel/codepage.h), never a '?' in its place.
bool FromQtExactly(const QString& text, std::string& out, std::string& refusal);
// A path as Qt hands it from the system, a file dialog's answer: true and
// its cp1251 path, or false and the refusal of a path without an exact
// cp1251 form or with a "\" inside a file or folder name (SysPathToAnsi).
bool PathFromQt(const QString& path, std::string& out, std::string& refusal);
