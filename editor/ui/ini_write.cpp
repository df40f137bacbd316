#include "editor/ui/ini_write.h"

#include "editor/model/shell_routines.h"
#include "editor/ui/user_store.h"
#include "platform/shell/profile.h"

bool WriteIniValue(const char* section, const char* key, const std::string& value,
                   const std::string& ini_path) {
  std::string target;
  if (IniToWrite(ini_path, target) && WritePrivateProfileStringA(section, key, value, target)) {
    return true;
  }
  ShowMessageBox("Не удалось записать параметры в файл " + target + ": " + LastErrorMessage(),
                 kMessageWarning);
  return false;
}
