#include "editor/ui/ini_write.h"

#include "editor/model/shell_routines.h"
#include "platform/shell/profile.h"

bool WriteIniValue(const char* section, const char* key, const std::string& value,
                   const std::string& ini_path) {
  if (WritePrivateProfileStringA(section, key, value, ini_path)) return true;
  ShowMessageBox("Не удалось записать параметры в файл " + ini_path + ": " + LastErrorMessage(),
                 kMessageWarning);
  return false;
}
