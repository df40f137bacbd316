// The main window with a packet to work on: the test signer chosen in the
// settings, the applicant, offices and name of the last run in the ini
// file, and the document rows driven through the window's own actions.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "editor/model/package_items.h"
#include "editor/ui/doc_item.h"
#include "tests/editor/model/signer_support.h"
#include "tests/editor/ui/modal_dialog.h"
#include "tests/editor/ui/window_fixture.h"

class PacketWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    signer_ = ImportSigner("signer");
    WriteIni("[QUENDA_SETUP]\r\nSenderSHA1=" + signer_ + "\r\nDOCPATH=" + Utf8ToAnsi(docs_.Path()) +
             "\\\r\nФамилия=Иванов\r\nИмя=Иван\r\nОтчество=Иванович\r\nИННФЛ=500100732259\r\n"
             "E-MAIL=ivanov@example.ru\r\nКОДНО=7746\r\nКОДРЕШОРГ=0077\r\n"
             "НАИМЮЛПОЛН=АНО \"Ромашка\"\r\nОГРН=1027700132195\r\n");
  }

  // A new packet of the kinds at those positions of the two combo boxes.
  std::unique_ptr<TfmQuendaMain> StartPacket(int reg_type, int app_type) {
    auto window = Start();
    EXPECT_TRUE(initialized_);
    Pick(window.get(), "cmbRegType", reg_type);
    Pick(window.get(), "cmbAppType", app_type);
    return window;
  }
  std::unique_ptr<TfmQuendaMain> StartEntrepreneur() { return StartPacket(0, 0); }
  // A non-profit organisation decided by the justice body of Moscow.
  std::unique_ptr<TfmQuendaMain> StartLegalEntity() { return StartPacket(2, 0); }

  // A document file of the user's; its cp1251 path.
  std::string Input(const std::string& name, const std::string& bytes) const {
    WriteBytes(docs_.File(AnsiToUtf8(name)), bytes);
    return Utf8ToAnsi(docs_.File(AnsiToUtf8(name)));
  }

  static QTreeWidget* List(TfmQuendaMain* window) { return Find<QTreeWidget>(window, "lvDocs"); }
  static TRegDoc& Row(TfmQuendaMain* window, int row) {
    return *TfmQuendaMain::DocOf(List(window)->topLevelItem(row));
  }
  // The row selected in the list, which has the focus, as a click leaves it.
  static void SelectRow(TfmQuendaMain* window, int row) {
    List(window)->setFocus();
    List(window)->setCurrentItem(List(window)->topLevelItem(row));
  }
  static bool Enabled(TfmQuendaMain* window, const char* action) {
    return Find<QAction>(window, action)->isEnabled();
  }
  // The action as the user runs it, which only an enabled one can be.
  static void Run(TfmQuendaMain* window, const char* action) {
    auto* item = Find<QAction>(window, action);
    ASSERT_TRUE(item->isEnabled()) << action;
    item->trigger();
  }
  // Attaches the file to the row through the attach action's dialog.
  void Attach(TfmQuendaMain* window, int row, const std::string& path) {
    SelectRow(window, row);
    dialogs_.files = {path};
    Run(window, "ActionAddFile");
  }
  void Sign(TfmQuendaMain* window, int row) {
    SelectRow(window, row);
    Run(window, "ActionAddSign");
  }
  // "Удалить подпись": the first signature of the row's document checked
  // and deleted.
  static void DeleteFirstSignature(TfmQuendaMain* window, int row) {
    OnModal([](QDialog& dialog) {
      dialog.findChild<QListWidget*>("lbSigns")->item(0)->setCheckState(Qt::Checked);
      dialog.findChild<QPushButton*>("btnDelete")->click();
    });
    SelectRow(window, row);
    Run(window, "ActionEditSign");
  }
  // "Добавить": the documents of those short names checked and added.
  static void AddDocuments(TfmQuendaMain* window, const std::vector<std::string>& names) {
    OnModal([&names](QDialog& dialog) {
      auto* list = dialog.findChild<QListWidget*>("lbDocs");
      for (const std::string& name : names) {
        const QList<QListWidgetItem*> found = list->findItems(ToQt(name), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << AnsiToUtf8(name);
        found[0]->setCheckState(Qt::Checked);
      }
      dialog.findChild<QPushButton*>("btnAdd")->click();
    });
    Run(window, "ActionAddDoc");
  }
  // A row for a document kind, as the new-document dialog adds it.
  static void AddRow(TfmQuendaMain* window, const std::string& type_code, const std::string& name,
                     const std::string& svdreg) {
    window->AddDocItem("", type_code, "", "", -1, name, svdreg);
  }

  // The package file of the row's document, by its code; -1 without one.
  static int32_t FileOf(TfmQuendaMain* window, int row) {
    return window->Packet->IndexOfFileByDocumentCode(Row(window, row).DocumentCode);
  }
  static int32_t Signatures(TfmQuendaMain* window, int row) {
    return SignatureCount(window->Packet->Package.get(), FileOf(window, row));
  }
  static int32_t Files(TfmQuendaMain* window) { return FileCount(window->Packet->Package.get()); }
  static std::string Content(TfmQuendaMain* window, int32_t file) {
    return FileText(FileAt(window->Packet->Package.get(), file).get(),
                    &ITarvexFile::get_RawContent);
  }

  std::string signer_;
  TempDir docs_;
};
