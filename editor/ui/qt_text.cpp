#include "editor/ui/qt_text.h"

#include <QFile>

#include "platform/kernel/codepage.h"

namespace {

std::u16string_view Units(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

}  // namespace

QString ToQt(std::string_view ansi) {
  const std::u16string wide = AnsiToWide(ansi);
  return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

std::string FromQt(const QString& text) { return WideToAnsi(Units(text)); }

bool FromQtExactly(const QString& text, std::string& out, std::string& refusal) {
  if (WideToAnsiExactly(Units(text), out) == std::u16string_view::npos) return true;
  refusal = NoAnsiFormMessage(Units(text));
  return false;
}

bool PathFromQt(const QString& path, std::string& out, std::string& refusal) {
  const QByteArray system = QFile::encodeName(path);
  return SysPathToAnsi(std::string_view(system.constData(), static_cast<size_t>(system.size())),
                       out, refusal);
}
