// The program's message boxes and file and folder dialogs on Qt, put behind
// the platform's hooks, and the conversion of the platform's file filters.
#pragma once

#include <QString>
#include <string_view>

// Installs QMessageBox for MessageBoxA, QFileDialog for the folder picker
// and the open-file dialog, and the desktop's programs for ShellExecuteA,
// which the help and the viewing of documents use.
void InstallQtDialogs();

// "desc|*.a;*.b|desc2|*.c" as Qt's "desc (*.a *.b);;desc2 (*.c)". A
// description that already ends in its pattern list in parentheses keeps
// only its words before them, so that the list is not shown twice.
QString QtFileFilter(std::string_view filter);
