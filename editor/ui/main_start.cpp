// The main window's part of the program start: the settings and the
// last-entered values in the ini file, the reference books, and the
// first state of the window.
#include <QComboBox>
#include <QTableWidget>

#include "editor/model/editor_error.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "editor/ui/exe_paths.h"
#include "editor/ui/fm_quenda_main.h"
#include "editor/ui/fm_quenda_setup.h"
#include "editor/ui/ini_write.h"
#include "editor/ui/qt_text.h"
#include "editor/ui/user_store.h"
#include "platform/shell/profile.h"

namespace {

constexpr char kSection[] = "QUENDA_SETUP";

struct LastValue {
  const char* param;
  const char* key;
};

// Read in this order.
constexpr LastValue kLastValues[] = {
    {"КОДНО", "КОДНО"},         {"ФАМИЛИЯ", "Фамилия"},       {"ИМЯ", "Имя"},
    {"ОТЧЕСТВО", "Отчество"},   {"ИННФЛ", "ИННФЛ"},           {"ОГРНИП", "ОГРНИП"},
    {"ОГРН", "ОГРН"},           {"НАИМЮЛПОЛН", "НАИМЮЛПОЛН"}, {"QUERYCODE", "QUERYCODE"},
    {"КОДРЕШОРГ", "КОДРЕШОРГ"}, {"E-MAIL", "E-MAIL"},
};

template <typename T>
void SetComboItems(QComboBox* combo, const TObjectList<T>& list) {
  combo->clear();
  for (const auto& item : list) combo->addItem(ToQt(item.Text));
  combo->setCurrentIndex(-1);
}

}  // namespace

std::string TfmQuendaMain::Ini() const { return Params.GetValue("INIFILE"); }

void TfmQuendaMain::ReadSettings() {
  const std::string ini = IniToRead(Ini());
  auto read = [&ini](const char* key) { return GetPrivateProfileStringA(kSection, key, "", ini); };
  Params.SetValue("SENDERSHA1", read("SenderSHA1"), 1);
  Params.SetValue("OUTPATH",
                  GetPrivateProfileStringA(kSection, "OUTPATH", DefaultOutFolder(ExeFolder()), ini),
                  1);
  Params.SetValue("INPUTPATH", read("INPUTPATH"), 1);
  Params.SetValue("DOCPATH", read("DOCPATH"), 1);
  Params.SetValue("IONOTARY", read("IONotary"), 1);
}

void TfmQuendaMain::LoadLastValues() {
  const std::string ini = IniToRead(Ini());
  for (const LastValue& value : kLastValues) {
    if (Params.GetFlag(value.param) != 1) continue;
    Params.SetValue(value.param, GetPrivateProfileStringA(kSection, value.key, "", ini), 1);
  }
}

void TfmQuendaMain::SaveLastValues() {
  // A file that cannot be written is reported once, not once per key.
  bool written = true;
  auto write = [this, &written](const char* param, const char* key, const std::string& value) {
    if (written && Params.GetFlag(param) == 1) written = WriteIniValue(kSection, key, value, Ini());
  };
  auto from_param = [&write, this](const char* param, const char* key) {
    write(param, key, Params.GetValue(param));
  };
  from_param("КОДНО", "КОДНО");
  from_param("КОДРЕШОРГ", "КОДРЕШОРГ");
  // The applicant's values come from the grid's first applicant row.
  if (sgDeclarants->rowCount() > 0) {
    const LastValue columns[] = {{"ФАМИЛИЯ", "Фамилия"},
                                 {"ИМЯ", "Имя"},
                                 {"ОТЧЕСТВО", "Отчество"},
                                 {"ИННФЛ", "ИННФЛ"},
                                 {"E-MAIL", "E-MAIL"}};
    for (int column = 0; column < 5; ++column) {
      const QTableWidgetItem* cell = sgDeclarants->item(0, column);
      write(columns[column].param, columns[column].key,
            cell == nullptr ? std::string() : FromQt(cell->text()));
    }
  }
  from_param("ОГРНИП", "ОГРНИП");
  from_param("ОГРН", "ОГРН");
  from_param("НАИМЮЛПОЛН", "НАИМЮЛПОЛН");
  from_param("QUERYCODE", "QUERYCODE");
}

void TfmQuendaMain::ShowSetup() {
  // The dialog's own default is the same file as INIFILE.
  if (ShowSetupDialog(Params.GetValue("QIMDLLPATH"), Ini())) ReadSettings();
}

void TfmQuendaMain::LoadOffices(TObjectList<TRegOrg>& list, QComboBox* combo, int32_t type,
                                const char* prefix) {
  reg_org_.Items = &list;
  std::string message;
  const bool loaded = reg_org_.Load(RegOrgPath, message, type);
  SetComboItems(combo, list);
  if (!loaded) throw EditorError(prefix + message);
}

void TfmQuendaMain::LoadBooks() {
  const std::string folder = IncludeBackslash(Params.GetValue("BOOKFOLDER"));
  RegDocPath = folder + "regdoc.xml";
  RegOrgPath = folder + "regorg.xml";
  RegOpfPath = folder + "regopf.xml";
  std::string message;
  reg_types_.clear();
  const bool types = reg_doc_.LoadTypes(RegDocPath, reg_types_, message);
  SetComboItems(cmbRegType, reg_types_);
  if (!types) throw EditorError("Ошибка загрузки списка видов заявителей:\r\n" + message);
  if (!reg_doc_.LoadKinds(RegDocPath, message, -1)) {
    throw EditorError("Ошибка загрузки списка видов заявлений:\r\n" + message);
  }
  if (reg_doc_.Items.empty()) {
    throw EditorError(
        "Не загружено ни одного заявления из справочника регистрационных документов [" +
        RegDocPath + "].");
  }
  LoadOffices(reg_orgs_, cmbRegOrg, 0, "Ошибка загрузки справочника рег.органов:\r\n");
  if (reg_orgs_.empty()) throw EditorError("Не загружено ни одного рег.органа");
  LoadOffices(resh_orgs_, cmbReshOrg, -1, "Ошибка загрузки справочника рег.органов:\r\n");
  org_names_.clear();
  const bool forms = reg_opf_.Load(RegOpfPath, org_names_, message);
  cmbOrgName->clear();
  for (const std::string& name : org_names_) cmbOrgName->addItem(ToQt(name));
  if (!forms) {
    throw EditorError("Ошибка загрузки справочника организационно-правовых форм:\r\n" + message);
  }
  SetAppKinds(reg_doc_);
}

// A fixed code is looked up in its list: found, it is selected; not found,
// the user is told once, and the code becomes the user's to choose.
bool TfmQuendaMain::PresetOffice(QComboBox* combo, const TObjectList<TRegOrg>& list,
                                 const char* param, bool by_spro) {
  if (Params.GetFlag(param) == 1) {
    combo->setCurrentIndex(-1);
    return true;
  }
  const std::string code = Params.GetValue(param);
  if (code.empty()) {
    Params.SetFlag(param, 1);
    return true;
  }
  const int index =
      by_spro ? TXMLRegOrg::IndexOfSproCode(code, &list) : TXMLRegOrg::IndexOfSounCode(code, &list);
  if (index < 0) {
    ShowMessageBox("Код рег.органа [" + code + "] не найден в справочнике регистрационных органов.",
                   kMessageWarning);
    Params.SetFlag(param, 1);
  }
  combo->setCurrentIndex(index);
  return index >= 0;
}

bool TfmQuendaMain::Initialize() {
  try {
    LoadLastValues();
    LoadBooks();
    if ((Mode & kModeCreate) == 0) {
      Params.SetValue("КОДСФРД", "", 0);
      ActionOpenPacketExecute();
      return Packet != nullptr;
    }
    PresetOffice(cmbRegOrg, reg_orgs_, "КОДНО", false);
    PresetOffice(cmbReshOrg, resh_orgs_, "КОДРЕШОРГ", true);
    if (Params.GetFlag("КОДСФРД") == 1) {
      cmbAppType->setCurrentIndex(-1);
      State = kStateNothing;
    } else {
      const std::string code = Params.GetValue("КОДСФРД");
      if (code.empty()) throw EditorError("Не указан параметр КОДСФРД)");
      const int index = IndexOfAppKind(code);
      if (index < 0) {
        throw EditorError("Вид заявления [" + code +
                          "] не найден в справочнике регистрационных документов.");
      }
      cmbAppType->setCurrentIndex(index);
      std::string message;
      if (!CreatePacket(message)) throw EditorError(message);
      RefreshView();
    }
    UpdateActions();
    return true;
  } catch (const std::exception& e) {
    ShowMessageBox(e.what(), kMessageError);
    return false;
  }
}
