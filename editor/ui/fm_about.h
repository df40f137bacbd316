// The about box: the program's picture, its title and version, and the
// version of the package library module that the editor would load.
#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;
class QPushButton;

class TfmAbout : public QDialog {
 public:
  explicit TfmAbout(QWidget* parent = nullptr);

  void AddLine(const std::string& line);

 private:
  QPlainTextEdit* Memo1;
  QPushButton* btnClose;
};

// Shows the about box modally with the program's line and, when the module
// loads from `library_folder` (empty: the executable's folder), the line of
// its version; when it does not, the error box "Ошибка загрузки
// криптографического модуля:\r\n..." comes first. Always true.
bool ShowAbout(const std::string& library_folder);
