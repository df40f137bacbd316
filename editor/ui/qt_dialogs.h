// The program's message boxes and file and folder dialogs on Qt, put behind
// the platform's hooks, and the conversion of the platform's file filters.
#pragma once

#include <QString>
#include <string_view>

// Installs QMessageBox for MessageBoxA, QFileDialog for the folder picker
// and the open-file dialog, and the desktop's programs for ShellExecuteA,
// which the help and the viewing of documents use.
void InstallQtDialogs();
// Qt's own words (the buttons of the message boxes and the file dialogs)
// in Russian, as the program's are; false when Qt's translations are not
// installed, and they stay English.
bool InstallQtTranslations();

// "desc|*.a;*.b|desc2|*.c" as Qt's "desc (*.a *.b);;desc2 (*.c)". A
// description that already ends in its pattern list in parentheses keeps
// only its words before them, so that the list is not shown twice.
QString QtFileFilter(std::string_view filter);
