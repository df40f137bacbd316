// The window layer's one crossing between the system's cp1251 text and
// Qt's QString, through the project's own code-page table.
#pragma once

#include <QString>
#include <string>
#include <string_view>

QString ToQt(std::string_view ansi);
// Characters outside the code page become '?'.
std::string FromQt(const QString& text);
