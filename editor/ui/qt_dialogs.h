// The program's message boxes and file and folder dialogs on Qt, put behind
// the platform's hooks, and the conversion of the platform's file filters.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "platform/shell/browse_folder.h"
#include "platform/shell/open_file_dialog.h"

// Installs QMessageBox for MessageBoxA, QFileDialog for the folder picker
// and the open-file dialog, and the desktop's programs for ShellExecuteA,
// which the help and the viewing of documents use.
void InstallQtDialogs();
// The two dialogs themselves. A path picked that cp1251 cannot hold, or
// with a "\" inside a file or folder name, is refused in an error box that
// names it, and the dialog counts as cancelled: the program never goes on
// with a look-alike path.
std::optional<std::string> PickQtFolder(const BrowseInfo& info);
std::optional<std::string> PickQtFile(const OpenFileName& info);
// Qt's own words (the buttons of the message boxes and the file dialogs)
// in Russian, as the program's are; false when Qt's translations are not
// installed, and they stay English.
bool InstallQtTranslations();

// "desc|*.a;*.b|desc2|*.c" as Qt's "desc (*.a *.b);;desc2 (*.c)". A
// description that already ends in its pattern list in parentheses keeps
// only its words before them, so that the list is not shown twice.
QString QtFileFilter(std::string_view filter);
