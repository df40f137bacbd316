#include "editor/ui/program_start.h"

#include <QApplication>

#include "editor/model/application.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "editor/ui/exe_paths.h"
#include "editor/ui/fm_quenda_main.h"
#include "editor/ui/qt_dialogs.h"
#include "editor/ui/qt_text.h"
#include "editor/ui/user_store.h"
#include "editor/ui/work_folder.h"

void SetStartParameters(TfmQuendaMain& window) {
  window.Mode = kModeOpen | kModeCreate;
  const std::string exe = ApplicationExeName();
  TPacketParams& params = window.Params;
  params.SetValue("INIFILE", ChangeFileExt(exe, ".ini"), 1);
  params.SetValue("BOOKFOLDER", IncludeBackslash(ExeFolder()), 1);
  params.SetValue("OUTPATH", DefaultOutFolder(ExeFolder()), 1);
  params.SetValue("ВЕРСПРОГ", "ПСОЛМК " + FileVersionText(exe, false), 1);
  params.SetValue("SHOWABOUT", "1", 0);
  params.SetValue("CAPTION", kProgramTitle, 0);
}

int RunEditor(int argc, char** argv) {
  QApplication application(argc, argv);
  SetApplicationTitle(kProgramTitle);
  QApplication::setApplicationDisplayName(ToQt(kProgramTitle));
  InstallQtDialogs();
  InstallQtTranslations();
  TfmQuendaMain window;
  try {
    // Documents viewed by copies that were killed would stay for good.
    RemoveLeftoverWorkFolders();
    SetStartParameters(window);
  } catch (const std::exception& e) {
    ShowMessageBox(e.what(), kMessageError);
    return 1;
  }
  window.ReadSettings();
  if (!window.Initialize()) return 1;
  window.show();
  return QApplication::exec();
}
