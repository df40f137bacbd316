// The main window as the benchmarks start it: the ini file in their own
// folder, the sample reference books and the built module.
#pragma once

#include <string>

#include "editor/model/application.h"
#include "editor/ui/fm_quenda_main.h"
#include "editor/ui/program_start.h"

namespace bench {

// Starts `window` over `dir`; false when it does not initialize.
inline bool StartWindow(TfmQuendaMain& window, const std::string& dir) {
  SetStartParameters(window);
  window.Params.SetValue("INIFILE", dir + "/TarvexEdit.ini", 1);
  window.Params.SetValue("BOOKFOLDER", TARVEX_SOURCE_DIR "/editor/ui/books/", 1);
  window.Params.SetValue("QIMDLLPATH", TARVEX_MODULE_DIR, 1);
  window.ReadSettings();
  if (!window.Initialize()) return false;
  window.show();
  return true;
}

}  // namespace bench
