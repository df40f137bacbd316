#include "editor/ui/qt_text.h"

#include "platform/kernel/codepage.h"

QString ToQt(std::string_view ansi) {
  const std::u16string wide = AnsiToWide(ansi);
  return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

std::string FromQt(const QString& text) {
  return WideToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                        static_cast<size_t>(text.size())));
}
