// Forming the package from the main window: the field checks, the
// signatures still missing, the window's values copied into the packet,
// the folder chosen, and the save of the packet's kind.
#include <QApplication>
#include <QComboBox>
#include <QTableWidget>
#include <QTreeWidget>

#include "editor/model/ip_packet.h"
#include "editor/model/package_items.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "editor/model/ul_packet.h"
#include "editor/ui/busy_cursor.h"
#include "editor/ui/fm_quenda_main.h"

namespace {

// A document left unsigned would stop an entrepreneur's save anyway: the
// user is told so before choosing a folder for nothing.
bool EntrepreneursDocumentsSigned(const TPacket& packet) {
  const auto* entrepreneur = dynamic_cast<const TIPPacket*>(&packet);
  if (entrepreneur == nullptr) return true;
  try {
    entrepreneur->RequireSignedDocuments();
    return true;
  } catch (const std::exception& e) {
    ShowMessageBox(std::string("Ошибка формирования пакета:\r\n") + e.what(), kMessageError);
    return false;
  }
}

}  // namespace

void TfmQuendaMain::ActionSavePacketExecute() {
  QApplication::processEvents();
  if (!Packet || !CheckFields() || !HasSigner()) return;
  UpdateSignerRole();
  if (!SignUnsignedDocuments() || !EntrepreneursDocumentsSigned(*Packet)) return;
  CopyValuesIntoPacket();
  std::string folder = Params.GetValue("OUTPATH");
  if (!BrowseForFolder(nullptr, "Выберите папку для формирования пакета", folder, false)) return;
  Packet->OutputFolder = folder;
  std::string message;
  const bool formed = dynamic_cast<TNewIPPacket*>(Packet.get()) != nullptr ? FormIPPacket(message)
                                                                           : FormULPacket(message);
  // The old inventory left the package and the new one came last.
  RefreshPackageIndices();
  if (!formed) {
    ShowMessageBox("Ошибка формирования пакета:\r\n" + message, kMessageError);
    return;
  }
  ShowMessageBox("Имя файла пакета: [" + message + "].", kMessageInformation);
  Params.SetValue("QUERYCODE", Packet->ПрВысБум, 1);
  SaveLastValues();
  SetStatusFile(Packet->PackageFileName);
}

bool TfmQuendaMain::SignUnsignedDocuments() {
  ITarvex* package = Packet->Package.get();
  for (int i = 0; i < lvDocs->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = lvDocs->topLevelItem(i);
    const TRegDoc& doc = *DocOf(item);
    const int32_t index = PackageIndexOf(doc);
    if (index < 0 || SignatureCount(package, index) > 0) continue;
    if (!AskYesNo("Документ [" + doc.DocName + "] не подписан. Подписать?", true, 3)) continue;
    std::string message;
    if (!Packet->SignDocumentSafe(index, Params.GetValue("SENDERSHA1"), message, 0)) {
      ShowMessageBox("Ошибка подписания документа:\r\n" + message, kMessageError);
      return false;
    }
    ShowSigners(item, index);
  }
  return true;
}

void TfmQuendaMain::CopyValuesIntoPacket() {
  TPacket& packet = *Packet;
  // The applicant's INN is the one in the grid: the parameter holds the
  // value of the last forming, which may be another applicant's.
  packet.SenderId = Params.GetValue("SENDERIDENTIFIER");
  if (packet.SenderId.empty()) packet.SenderId = TrimText(CellText(sgDeclarants, 0, 3));
  if (packet.SenderId.empty()) packet.SenderId = "000000000000";
  packet.ReceiverId = Params.GetValue("КОДНО");
  packet.КодМЮиЦБ = HasDecisionOrgan() ? Params.GetValue("КОДРЕШОРГ") : std::string();
  packet.DocTypeCode = Params.GetValue("DOCTYPECODE");
  packet.КодСФРД = Params.GetValue("КОДСФРД");
  packet.ProgramVersion = Params.GetValue("ВЕРСПРОГ");
  packet.SignCertSha1 = Params.GetValue("SENDERSHA1");
  const char* const return_codes[] = {"", "1", "2", "4"};
  const int item = cmbReturnType->currentIndex();
  if (item >= 0 && item < 4) packet.ПрВысБум = return_codes[item];
}

bool TfmQuendaMain::FormIPPacket(std::string& message) {
  BusyCursor busy;
  try {
    TQuendaInfo& applicant = dynamic_cast<TNewIPPacket&>(*Packet).Applicant;
    applicant.ОГРНИП = CellText(sgParams, 4, 1);
    applicant.ИННФЛ = CellText(sgDeclarants, 0, 3);
    applicant.Email = CellText(sgDeclarants, 0, 4);
    applicant.Фамилия = CellText(sgDeclarants, 0, 0);
    applicant.Имя = CellText(sgDeclarants, 0, 1);
    applicant.Отчество = CellText(sgDeclarants, 0, 2);
    if (!FormPacket(message)) return false;
    if (OgrnRequired()) Params.SetValue("ОГРНИП", CellText(sgParams, 4, 1), 1);
    return true;
  } catch (const std::exception& e) {
    message = e.what();
    return false;
  }
}

bool TfmQuendaMain::FormULPacket(std::string& message) {
  BusyCursor busy;
  try {
    auto& packet = dynamic_cast<TULPacket&>(*Packet);
    packet.Entity.НаимЮЛПолн = Params.GetValue("НАИМЮЛПОЛН");
    // The checks take the OGRN only for a kind that requires one; for
    // another kind the parameter still holds an earlier entity's.
    packet.Entity.ОГРН = OgrnRequired() ? Params.GetValue("ОГРН") : std::string();
    packet.ClearApplicants();
    for (int row = 0; row < sgDeclarants->rowCount(); ++row) {
      packet.AddApplicant(CellText(sgDeclarants, row, 0), CellText(sgDeclarants, row, 1),
                          CellText(sgDeclarants, row, 2), CellText(sgDeclarants, row, 4),
                          CellText(sgDeclarants, row, 3));
    }
    return FormPacket(message);
  } catch (const std::exception& e) {
    message = e.what();
    return false;
  }
}

// An earlier forming named the package: the name is kept in the folder
// chosen now.
bool TfmQuendaMain::FormPacket(std::string& message) {
  const std::string path =
      Packet->PackageFileName.empty()
          ? std::string()
          : TPacket::AddBackslash(Packet->OutputFolder) + Packet->PackageFileName;
  if (!Packet->ValidateAndSave(message, path)) return false;
  message = Packet->PackagePath();
  return true;
}
