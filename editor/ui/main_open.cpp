// Opening a package file in the main window: its transaction type decides
// the packet and the state; a registration package is read through its
// inventory and shown with its kinds, offices, applicants and documents.
#include <QComboBox>
#include <QTableWidget>
#include <QTreeWidget>
#include <algorithm>

#include "editor/model/editor_error.h"
#include "editor/model/ip_packet.h"
#include "editor/model/ole_check.h"
#include "editor/model/ole_string.h"
#include "editor/model/package_items.h"
#include "editor/model/shell_routines.h"
#include "editor/model/ul_packet.h"
#include "editor/ui/busy_cursor.h"
#include "editor/ui/doc_item.h"
#include "editor/ui/exe_paths.h"
#include "editor/ui/fm_quenda_main.h"
#include "editor/ui/qt_text.h"
#include "platform/com/com_ref.h"
#include "platform/shell/open_file_dialog.h"

bool TfmQuendaMain::GetTransactionType(TPacket& packet, TRANSACTION_TYPES& type,
                                       std::string& message) {
  try {
    OleCheck(packet.Package->get_DocTransactType(&type));
    if (type == TRANSACTION_TYPE_UNKNOWN) throw EditorError("Неизвестный тип транзакции.");
    return true;
  } catch (const std::exception& e) {
    message = e.what();
    return false;
  }
}

void TfmQuendaMain::ActionOpenPacketExecute() {
  if (!MayDiscardWork("При открытии пакета несохраненные данные будут потеряны. Продолжить?")) {
    return;
  }
  OpenFileName dialog;
  dialog.filter = "Файлы пакетов (*.zip)|*.zip";
  dialog.initial_dir = Params.GetValue("INPUTPATH");
  if (!GetOpenFileNameA(dialog)) return;
  try {
    OpenPacketFile(dialog.file_name);
  } catch (const std::exception& e) {
    State = kStateError;
    SetStatusFile("");
    RefreshView();
    ShowMessageBox(std::string("Ошибка открытия пакета:\r\n") + e.what(), kMessageError);
  }
}

void TfmQuendaMain::OpenPacketFile(const std::string& path) {
  BusyCursor busy;
  // The file is read once, by a plain packet; its transaction type decides
  // which packet takes the opened package over.
  auto opened = std::make_unique<TPacket>();
  opened->LibraryFolder = Params.GetValue("QIMDLLPATH");
  std::string message;
  if (!opened->OpenPacket(path, message)) throw EditorError(message);
  TRANSACTION_TYPES type = TRANSACTION_TYPE_UNKNOWN;
  if (!GetTransactionType(*opened, type, message)) throw EditorError(message);
  Packet.reset();
  if (type == TRANSACTION_TYPE_UL_REG_UL) {
    Packet = std::make_unique<TULPacket>();
    State = kStateOpenedUL;
  } else if (type == TRANSACTION_TYPE_IP_REG_IP) {
    Packet = std::make_unique<TNewIPPacket>();
    State = kStateOpenedIP;
  } else {
    // A package of another transaction stays with the plain packet.
    Packet = std::move(opened);
    State = kStateOpenedOther;
  }
  if (opened) Packet->TakeOpenedPackage(*opened);

  int32_t inventory = -1;
  if (State != kStateOpenedOther) {
    inventory = Packet->IndexOfFileByDocTypeCode("07");
    if (inventory < 0) throw EditorError("Опись документов не найдена.");
    ComRef<ITarvexFile> file = FileAt(Packet->Package.get(), inventory);
    if (!Packet->LoadInventoryText(FileText(file.get(), &ITarvexFile::get_OriginalFilename),
                                   FileText(file.get(), &ITarvexFile::get_RawContent), message)) {
      throw EditorError(message);
    }
    const uint8_t flag = (Mode & kModeCreate) != 0 ? 1 : 0;
    Params.SetValue("QUERYCODE", Packet->ПрВысБум, flag);
    Params.SetValue("КОДСФРД", Packet->КодСФРД, flag);
    Params.SetValue("КОДНО", Packet->ReceiverId, flag);
    Params.SetValue("КОДРЕШОРГ", Packet->КодМЮиЦБ, flag);
    Params.SetValue("DOCTYPECODE", "01", 1);
    SelectOpenedKind(Packet->КодСФРД);
    if (auto* ip = dynamic_cast<TNewIPPacket*>(Packet.get())) {
      Params.SetValue("ОГРНИП", ip->Applicant.ОГРНИП, 1);
    } else if (auto* ul = dynamic_cast<TULPacket*>(Packet.get())) {
      Params.SetValue("НАИМЮЛПОЛН", ul->Entity.НаимЮЛПолн, flag);
      Params.SetValue("ОГРН", ul->Entity.ОГРН, flag);
    }
  }
  FillOpenedDocuments(inventory);
  RefreshView();
  FillApplicants();
  SetStatusFile(ExtractFileName(path));
}

// The application kind of the package, with its applicant kind and the
// offices of its codes, selected in the combo boxes.
void TfmQuendaMain::SelectOpenedKind(const std::string& code) {
  std::string message;
  if (!reg_doc_.LoadKinds(RegDocPath, message, -1)) {
    throw EditorError("Ошибка загрузки списка заявлений:\r\n" + message);
  }
  const std::string not_found =
      "Код заявления [" + code + "] не найден в справочнике регистрационных документов";
  int index = reg_doc_.IndexOfRegCode(code);
  if (index < 0) throw EditorError(not_found);
  const int32_t type = reg_doc_.Items[index].Object->Тип;
  const int type_index = TXMLRegDoc::IndexOfType(type, &reg_types_);
  if (type_index < 0) {
    throw EditorError("Вид заявителя для заявления с кодом [" + code +
                      "] не найден в справочнике регистрационных документов");
  }
  cmbRegType->setCurrentIndex(type_index);
  if (!reg_doc_.LoadKinds(RegDocPath, message, type)) {
    throw EditorError("Ошибка загрузки списка видов заявлений:\r\n" + message);
  }
  index = reg_doc_.IndexOfRegCode(code);
  if (index < 0) throw EditorError(not_found);
  SetAppKinds(reg_doc_);
  cmbAppType->setCurrentIndex(index);

  LoadOffices(reg_orgs_, cmbRegOrg, 0, "Ошибка загрузки справочника рег.органов:\r\n");
  const std::string office = Params.GetValue("КОДНО");
  const int office_index = TXMLRegOrg::IndexOfSounCode(office, &reg_orgs_);
  if (office_index < 0) {
    throw EditorError("Код налогового (рег.органа) [" + office +
                      "] не найден в справочнике регистрационных органов");
  }
  cmbRegOrg->setCurrentIndex(office_index);
  LoadOffices(resh_orgs_, cmbReshOrg, type, "Ошибка загрузки справочника рег.органов:\r\n");
  const std::string decision = Params.GetValue("КОДРЕШОРГ");
  const int decision_index = TXMLRegOrg::IndexOfSproCode(decision, &resh_orgs_);
  if (!decision.empty() && decision_index < 0) {
    throw EditorError("Код рег.органа [" + decision +
                      "] не найден в справочнике регистрационных органов");
  }
  cmbReshOrg->setCurrentIndex(decision_index);
}

// One row per package file but the inventory; a registration package's
// rows are its inventory's records, named from the reference book. The
// records are found through the packet's index by code, as a package may
// list tens of thousands of documents.
void TfmQuendaMain::FillOpenedDocuments(int32_t inventory_index) {
  TXMLRegDoc names;
  std::string message;
  const bool registration = inventory_index >= 0;
  if (registration && !names.LoadDocuments(RegDocPath, Params.GetValue("КОДСФРД"), message, {})) {
    throw EditorError(message);
  }
  ClearDocuments();
  ITarvex* package = Packet->Package.get();
  const int32_t count = FileCount(package);
  for (int32_t i = 0; i < count; ++i) {
    if (i == inventory_index) continue;
    const ComRef<ITarvexFile> file = FileAt(package, i);
    const std::string code = FileText(file.get(), &ITarvexFile::get_DocumentCode);
    if (!registration) {
      AddDocItem(FileText(file.get(), &ITarvexFile::get_OriginalFilename),
                 FileText(file.get(), &ITarvexFile::get_DocTypeCode), GetSignersText(i), code, i,
                 FileText(file.get(), &ITarvexFile::get_DocType), "");
      continue;
    }
    TRegDoc* record = Packet->FindDocument(code);
    if (record == nullptr) throw EditorError("В описи не найден документ [" + code + "]");
    const int named = names.IndexOfSvdregCode(record->КодСВДРЕГ);
    record->DocName = named >= 0 ? names.Items[named].Object->КратНаим
                                 : FileText(file.get(), &ITarvexFile::get_DocType);
    record->DocTypeCode = FileText(file.get(), &ITarvexFile::get_DocTypeCode);
    record->PackageIndex = i;
    auto* item = new TDocItem(std::make_unique<TRegDoc>(*record));
    item->setText(0, ToQt(record->DocName));
    item->setText(1, ToQt(record->SourcePath));
    item->setText(2, ToQt(GetSignersText(i)));
    lvDocs->addTopLevelItem(item);
  }
}

void TfmQuendaMain::FillApplicants() {
  if (auto* ip = dynamic_cast<TNewIPPacket*>(Packet.get())) {
    const TQuendaInfo& a = ip->Applicant;
    sgDeclarants->setRowCount(1);
    SetApplicantRow(0, a.Фамилия, a.Имя, a.Отчество, a.ИННФЛ, a.Email);
  } else if (auto* ul = dynamic_cast<TULPacket*>(Packet.get())) {
    sgDeclarants->setRowCount(static_cast<int>(ul->Applicants.size()));
    for (size_t row = 0; row < ul->Applicants.size(); ++row) {
      const TQuendaInfo& a = *ul->Applicants[row];
      SetApplicantRow(static_cast<int>(row), a.Фамилия, a.Имя, a.Отчество, a.ИННФЛ, a.Email);
    }
  } else {
    return;
  }
  ApplyApplicantColours();
  SetHeights();
  // The first applicant is current, in the current column or the first,
  // so that Delete and the arrows work on it without a click; no editor
  // opens over it.
  quiet_grids_ = true;
  if (sgDeclarants->rowCount() > 0) {
    sgDeclarants->setCurrentCell(0, std::max(0, sgDeclarants->currentColumn()));
  }
  quiet_grids_ = false;
}
