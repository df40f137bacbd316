// The settings dialog's folders on a first run: the executable's folder,
// ended with this system's separator.
#include <QLineEdit>

#include "editor/ui/exe_paths.h"
#include "editor/ui/fm_quenda_setup.h"
#include "tests/editor/ui/window_fixture.h"

namespace {

using SetupFoldersTest = WindowTest;

TEST_F(SetupFoldersTest, AnIniWithoutFoldersOffersTheExecutablesFolderEndedWithASlash) {
  TfmQuendaSetup dialog(IniPath());
  dialog.InitCatalogue("");
  dialog.LoadSettings();
  for (const char* edit : {"edOutPath", "edInputPath", "edDocPath"}) {
    EXPECT_EQ(FromQt(Find<QLineEdit>(&dialog, edit)->text()), ExeFolder() + "/") << edit;
  }
}

}  // namespace
