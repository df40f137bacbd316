#include "editor/ui/qt_dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStringList>
#include <QTranslator>
#include <QUrl>
#include <optional>
#include <string>

#include "editor/model/shell_routines.h"
#include "editor/ui/qt_text.h"
#include "platform/kernel/codepage.h"
#include "platform/shell/browse_folder.h"
#include "platform/shell/open_file_dialog.h"
#include "platform/shell/shell_execute.h"

namespace {

QMessageBox::Icon IconOf(uint32_t type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// Message texts break their lines with "\r\n".
QString BoxText(const std::string& text) {
  QString result = ToQt(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return result;
}

int ShowQtMessageBox(const std::string& text, const std::string& caption, uint32_t type) {
  QMessageBox box(IconOf(type), ToQt(caption), BoxText(text), QMessageBox::NoButton,
                  QApplication::activeWindow());
  if ((type & MB_TYPEMASK) != MB_YESNO) {
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return IDOK;
  }
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(DefaultButtonOf(type) == IDNO ? QMessageBox::No : QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
}

// The path picked, in cp1251; a path that cp1251 cannot hold is refused
// here, where it enters, and the dialog counts as cancelled.
std::optional<std::string> PickedPath(const QString& path) {
  std::string picked, refusal;
  if (PathFromQt(path, picked, refusal)) return picked;
  ShowMessageBox(refusal, kMessageError);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> PickQtFolder(const BrowseInfo& info) {
  QFileDialog::Options options = QFileDialog::ShowDirsOnly;
  const QString folder = QFileDialog::getExistingDirectory(
      QApplication::activeWindow(), ToQt(info.title), ToQt(info.selection), options);
  if (folder.isEmpty()) return std::nullopt;
  return PickedPath(folder);
}

// The non-native dialog matches the filter's patterns without regard to
// case, so "SCAN.TIF" is offered for "*.tif".
std::optional<std::string> PickQtFile(const OpenFileName& info) {
  QFileDialog dialog(QApplication::activeWindow(), ToQt(info.title), ToQt(info.initial_dir));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (!info.filter.empty()) dialog.setNameFilter(QtFileFilter(info.filter));
  if (!info.file_name.empty()) dialog.selectFile(ToQt(info.file_name));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return PickedPath(dialog.selectedFiles().first());
}

namespace {

// The desktop's program for the file's type (xdg-open and its kin).
bool OpenWithDesktop(const ShellOpen& open) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(SysPath(open.file))));
}

// "Файлы пакетов (*.zip)" gives "Файлы пакетов".
QString WordsOf(QString description) {
  description = description.trimmed();
  if (description.endsWith(u')')) {
    const qsizetype open = description.lastIndexOf(u'(');
    if (open > 0) description = description.left(open).trimmed();
  }
  return description;
}

}  // namespace

void InstallQtDialogs() {
  SetMessageBoxHandler(ShowQtMessageBox);
  SetFolderPicker(PickQtFolder);
  SetOpenFilePicker(PickQtFile);
  SetShellLauncher(OpenWithDesktop);
}

bool InstallQtTranslations() {
  // The application owns the translator.
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

QString QtFileFilter(std::string_view filter) {
  const QStringList parts = ToQt(filter).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
    for (QString& pattern : patterns) pattern = pattern.trimmed();
    filters << WordsOf(parts[i]) + QStringLiteral(" (") + patterns.join(u' ') + u')';
  }
  return filters.join(QStringLiteral(";;"));
}
