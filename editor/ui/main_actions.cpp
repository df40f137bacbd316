// The main window's actions: when each may run, and the actions that add,
// attach, sign and delete the documents of the packet.
#include <QAction>
#include <QApplication>
#include <QTreeWidget>

#include "editor/model/doc_types.h"
#include "editor/model/editor_error.h"
#include "editor/model/ole_check.h"
#include "editor/model/package_items.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "editor/ui/doc_item.h"
#include "editor/ui/fm_about.h"
#include "editor/ui/fm_edit_sign.h"
#include "editor/ui/fm_new_doc.h"
#include "editor/ui/fm_quenda_main.h"
#include "editor/ui/guarded.h"
#include "editor/ui/html_help.h"
#include "editor/ui/qt_text.h"
#include "platform/shell/open_file_dialog.h"

namespace {

// What the enabling rules need to know of a row's document.
struct DocState {
  bool in_package = false;
  int32_t signatures = 0;
};

}  // namespace

void TfmQuendaMain::ConnectActions() {
  // Each action updates the enabling rules when it is done, as its rows
  // and their documents may have changed.
  auto bind = [this](QAction* action, void (TfmQuendaMain::*work)()) {
    connect(action, &QAction::triggered, this, [this, work] {
      RunGuarded([this, work] { (this->*work)(); });
      UpdateActions();
    });
  };
  bind(ActionNewPacket, &TfmQuendaMain::ActionNewPacketExecute);
  bind(ActionOpenPacket, &TfmQuendaMain::ActionOpenPacketExecute);
  bind(ActionSetup, &TfmQuendaMain::ShowSetup);
  bind(ActionSavePacket, &TfmQuendaMain::ActionSavePacketExecute);
  bind(ActionAddDoc, &TfmQuendaMain::ActionAddDocExecute);
  bind(ActionAddFile, &TfmQuendaMain::ActionAddFileExecute);
  bind(ActionAddSign, &TfmQuendaMain::ActionAddSignExecute);
  bind(ActionEditSign, &TfmQuendaMain::ActionEditSignExecute);
  bind(ActionDeleteDoc, &TfmQuendaMain::ActionDeleteDocExecute);
  bind(ActionOpenFile, &TfmQuendaMain::ActionOpenFileExecute);
  bind(ActionCheckSign, &TfmQuendaMain::ActionCheckSignExecute);
  bind(ActionExtractDoc, &TfmQuendaMain::ActionExtractDocExecute);
  connect(NExit, &QAction::triggered, this, [this] { close(); });
  connect(NHelp, &QAction::triggered, this, [] { RunGuarded(ShowHelp); });
  connect(NAbout, &QAction::triggered, this,
          [this] { RunGuarded([this] { ShowAbout(Params.GetValue("QIMDLLPATH")); }); });
  focus_watch_ = connect(qApp, &QApplication::focusChanged, this, [this] { UpdateActions(); });
}

void TfmQuendaMain::UpdateActions() {
  const bool create = (Mode & kModeCreate) != 0;
  const bool editing = State >= kStateNewIP && State <= kStateOpenedUL;
  ActionNewPacket->setEnabled((Mode & (kModeOpen | kModeCreate)) == (kModeOpen | kModeCreate) &&
                              State != kStateKindChosen && State != kStateNothing);
  ActionOpenPacket->setEnabled((Mode & kModeOpen) != 0);
  ActionSavePacket->setEnabled(create && editing);
  ActionAddDoc->setEnabled(create && editing);

  // The row rules hold for a row selected in the list that has the focus
  // (the window's, which a menu opened over it does not take).
  QTreeWidgetItem* item = focusWidget() == lvDocs ? SelectedItem() : nullptr;
  const TRegDoc* doc = item == nullptr ? nullptr : DocOf(item);
  DocState state;
  if (doc != nullptr && Packet && Packet->Package) {
    // A library call that fails here only leaves the row's actions off.
    try {
      const int32_t index = PackageIndexOf(*doc);
      state.in_package = index >= 0;
      if (state.in_package) state.signatures = SignatureCount(Packet->Package.get(), index);
    } catch (const EditorError&) {
    }
  }
  const bool row = doc != nullptr;
  const bool has_file = row && !doc->SourcePath.empty();
  const bool signing_state = editing || State == kStateKindChosen;
  const bool first_signature_only = State == kStateNewIP || State == kStateOpenedIP;
  ActionAddFile->setEnabled(row && create);
  ActionAddSign->setEnabled(create && signing_state && has_file &&
                            (!first_signature_only || (state.in_package && state.signatures == 0)));
  ActionEditSign->setEnabled(create && signing_state && state.in_package && state.signatures > 0);
  if (State == kStateNewIP || State == kStateNewUL) {
    ActionDeleteDoc->setEnabled(row && !SameText(doc->DocTypeCode, "01"));
  } else {
    ActionDeleteDoc->setEnabled(row && create && State != kStateOpenedOther &&
                                State != kStateError && State != kStateNothing);
  }
  ActionOpenFile->setEnabled(has_file);
  ActionCheckSign->setEnabled(
      row && doc->PackageIndex >= 0 &&
      (State == kStateOpenedOther || State == kStateOpenedIP || State == kStateOpenedUL));
  ActionExtractDoc->setEnabled(row && doc->PackageIndex != -1);
}

QTreeWidgetItem* TfmQuendaMain::SelectedItem() const {
  QTreeWidgetItem* item = lvDocs->currentItem();
  return item != nullptr && item->isSelected() ? item : nullptr;
}

int32_t TfmQuendaMain::PackageIndexOf(const TRegDoc& doc) const {
  if (!Packet || !Packet->Package || doc.DocumentCode.empty()) return -1;
  return Packet->IndexOfFileByDocumentCode(doc.DocumentCode);
}

int32_t TfmQuendaMain::RequirePackageIndex(const TRegDoc& doc, const char* missing) const {
  const int32_t index = PackageIndexOf(doc);
  if (index < 0) throw EditorError(missing);
  return index;
}

void TfmQuendaMain::RefreshPackageIndices() {
  for (int i = 0; i < lvDocs->topLevelItemCount(); ++i) {
    TRegDoc* doc = DocOf(lvDocs->topLevelItem(i));
    if (doc->PackageIndex != -1) doc->PackageIndex = PackageIndexOf(*doc);
  }
}

void TfmQuendaMain::ShowSigners(QTreeWidgetItem* item, int32_t index) {
  item->setText(2, ToQt(GetSignersText(index)));
}

bool TfmQuendaMain::HasSigner() {
  if (!Params.GetValue("SENDERSHA1").empty()) return true;
  if (AskYesNo("Не указан сертификат ключа подписи. Выполнить настройку?", true, 3)) ShowSetup();
  return false;
}

void TfmQuendaMain::ActionAddDocExecute() {
  std::vector<std::string> present;
  for (int i = 0; i < lvDocs->topLevelItemCount(); ++i) {
    present.push_back(DocOf(lvDocs->topLevelItem(i))->КодСВДРЕГ);
  }
  std::vector<TRegDocType> kinds;
  if (!SelectNewDocuments(RegDocPath, Params.GetValue("КОДСФРД"), kinds, present)) return;
  for (const TRegDocType& kind : kinds) {
    AddDocItem("", kind.КодТипДок, "", "", -1, kind.КратНаим, kind.КодСВДРЕГ);
  }
  if (!kinds.empty()) MarkWorkChanged();
  if (lvDocs->topLevelItemCount() == 0) return;
  lvDocs->setCurrentItem(lvDocs->topLevelItem(lvDocs->topLevelItemCount() - 1));
  lvDocs->setFocus();
}

void TfmQuendaMain::ActionAddFileExecute() {
  QTreeWidgetItem* item = SelectedItem();
  if (item == nullptr || !Packet) return;
  TRegDoc& doc = *DocOf(item);
  try {
    TRANSACTION_TYPES transaction = TRANSACTION_TYPE_UNKNOWN;
    OleCheck(Packet->Package->get_DocTransactType(&transaction));
    const int kind = FindDocType(static_cast<uint16_t>(transaction), doc.DocTypeCode);
    if (kind >= 0) add_file_filter_ = DocTypeFilter(kDocTypes[kind].Extensions);
    OpenFileName dialog;
    dialog.filter = add_file_filter_;
    dialog.initial_dir = Params.GetValue("DOCPATH");
    if (!GetOpenFileNameA(dialog)) return;

    int32_t old_index = -1;
    if (doc.PackageIndex >= 0) {
      old_index = PackageIndexOf(doc);
      if (old_index < 0) {
        throw EditorError("Идентификатор документа [" + doc.DocumentCode + "] не найден в пакете");
      }
      if (SignatureCount(Packet->Package.get(), old_index) > 0 &&
          !AskYesNo("Документ содержит подписи. При замене документа подписи будут потеряны."
                    "\r\nЗаменить документ?",
                    true, 3)) {
        return;
      }
    }
    // The new file goes in first, so that a file the limits refuse leaves
    // the old document and its signatures where they were.
    std::string message;
    const int32_t added = Packet->AddDocumentSafe(dialog.file_name, doc.DocTypeCode, doc.КодСВДРЕГ,
                                                  doc.DocName, false, 0, message);
    if (added < 0) throw EditorError(message);
    const std::string code = Packet->Documents.back()->DocumentCode;
    if (old_index >= 0 && !Packet->DeleteDocumentSafe(old_index, message)) {
      std::string ignored;
      Packet->DeleteDocumentSafe(added, ignored);
      throw EditorError(message);
    }
    doc.SourcePath = dialog.file_name;
    doc.DocumentCode = code;
    RefreshPackageIndices();
    doc.PackageIndex = PackageIndexOf(doc);
    item->setText(1, ToQt(doc.SourcePath));
    ShowSigners(item, doc.PackageIndex);
  } catch (const std::exception& e) {
    ShowMessageBox(std::string("Ошибка прикрепления файла к документу:\r\n") + e.what(),
                   kMessageError);
  }
}

void TfmQuendaMain::ActionAddSignExecute() {
  QTreeWidgetItem* item = SelectedItem();
  if (item == nullptr || !Packet || !HasSigner()) return;
  try {
    UpdateSignerRole();
    const int32_t index =
        RequirePackageIndex(*DocOf(item), "Невозможно определить индекс файла в пакете");
    std::string message;
    if (!Packet->SignDocumentSafe(index, Params.GetValue("SENDERSHA1"), message, 0)) {
      throw EditorError(message);
    }
    ShowSigners(item, index);
  } catch (const std::exception& e) {
    ShowMessageBox(std::string("Ошибка подписания документа:\r\n") + e.what(), kMessageError);
  }
}

void TfmQuendaMain::ActionEditSignExecute() {
  QTreeWidgetItem* item = SelectedItem();
  if (item == nullptr || !Packet) return;
  const int32_t index =
      RequirePackageIndex(*DocOf(item), "Невозможно определить индекс файла в пакете");
  EditSignatures(*Packet, index);
  ShowSigners(item, index);
}

void TfmQuendaMain::ActionDeleteDocExecute() {
  QTreeWidgetItem* item = SelectedItem();
  if (item == nullptr ||
      !AskYesNo("Вы действительно хотите удалить документ из пакета?", true, 3)) {
    return;
  }
  const int32_t index = PackageIndexOf(*DocOf(item));
  std::string message;
  if (index >= 0 && !Packet->DeleteDocumentSafe(index, message)) {
    ShowMessageBox("Ошибка удаления документа:\r\n" + message, kMessageWarning);
    return;
  }
  delete item;
  // A row without a file is the window's alone; deleting a package file
  // marked the packet itself.
  if (index < 0) MarkWorkChanged();
  RefreshPackageIndices();
}
