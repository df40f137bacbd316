// What the window tests share: private roots for the library's state and
// the work folder, the shipped reference books in a folder of the test's,
// an ini file, the scripted dialogs, and the main window started as the
// program starts it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "editor/model/application.h"
#include "editor/ui/fm_quenda_main.h"
#include "editor/ui/program_start.h"
#include "editor/ui/qt_text.h"
#include "platform/kernel/codepage.h"
#include "tests/editor/ui/scripted_dialogs.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

using Rows = std::vector<std::pair<std::string, std::string>>;

// The in-place editors of the two grids.
inline const char* const kEditors[] = {"cmbRegType", "cmbAppType", "cmbReturnType", "cmbRegOrg",
                                       "cmbReshOrg", "cmbOrgName", "edOGRNIP",      "edOGRN",
                                       "edSurname",  "edForname",  "edPatronymic",  "edINN",
                                       "edEMail"};

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TMP", tmp_.Path().c_str(), 1);
    ::setenv("TARVEX_COM_REGISTRY_ROOT", registry_.Path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1);
    SetApplicationTitle(kProgramTitle);
    CopyBooks();
  }
  // The shipped books, in place of whatever the folder holds.
  void CopyBooks() const {
    for (const char* book : {"regdoc.xml", "regorg.xml", "regopf.xml"}) {
      std::filesystem::copy_file(std::string(TARVEX_SOURCE_DIR "/editor/ui/books/") + book,
                                 books_.File(book),
                                 std::filesystem::copy_options::overwrite_existing);
    }
  }
  void TearDown() override {
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("TARVEX_COM_REGISTRY_ROOT");
    ::unsetenv("TMP");
  }

  // cp1251 paths of the test's folders.
  std::string BookFolder() const { return Utf8ToAnsi(books_.Path()) + "\\"; }
  std::string IniPath() const { return Utf8ToAnsi(ini_.File("TarvexEdit.ini")); }
  void WriteIni(const std::string& cp1251) const { WriteBytes(SysPath(IniPath()), cp1251); }
  std::string IniText() const { return ReadBytes(SysPath(IniPath())); }
  void WriteBook(const std::string& name, const std::string& cp1251) const {
    WriteBytes(books_.File(name), cp1251);
  }

  // The window as the program starts it; `before` runs where the program
  // could fix parameters, before the settings are read.
  std::unique_ptr<TfmQuendaMain> Start(const std::function<void(TfmQuendaMain&)>& before = {}) {
    auto window = std::make_unique<TfmQuendaMain>();
    SetStartParameters(*window);
    window->Params.SetValue("INIFILE", IniPath(), 1);
    window->Params.SetValue("BOOKFOLDER", BookFolder(), 1);
    if (before) before(*window);
    window->ReadSettings();
    initialized_ = window->Initialize();
    if (initialized_) {
      window->show();
      // Focus, and so the editors' leaving, needs the window active.
      QApplication::setActiveWindow(window.get());
    }
    return window;
  }

  template <typename Widget>
  static Widget* Find(QWidget* window, const char* name) {
    Widget* widget = window->findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  static Rows ParamRows(QWidget* window) {
    auto* grid = Find<QTableWidget>(window, "sgParams");
    Rows rows;
    for (int row = 0; row < grid->rowCount(); ++row) {
      rows.emplace_back(FromQt(grid->item(row, 0)->text()), FromQt(grid->item(row, 1)->text()));
    }
    return rows;
  }
  static std::vector<std::vector<std::string>> Applicants(QWidget* window) {
    auto* grid = Find<QTableWidget>(window, "sgDeclarants");
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < grid->rowCount(); ++row) {
      rows.emplace_back();
      for (int column = 0; column < 5; ++column) {
        const QTableWidgetItem* cell = grid->item(row, column);
        rows.back().push_back(cell == nullptr ? "" : FromQt(cell->text()));
      }
    }
    return rows;
  }
  static std::vector<std::vector<std::string>> Documents(QWidget* window) {
    auto* list = Find<QTreeWidget>(window, "lvDocs");
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = list->topLevelItem(i);
      rows.push_back({FromQt(item->text(0)), FromQt(item->text(1)), FromQt(item->text(2))});
    }
    return rows;
  }
  // A user's pick in a combo box.
  static void Pick(QWidget* window, const char* name, int index) {
    auto* combo = Find<QComboBox>(window, name);
    ASSERT_LT(index, combo->count()) << name;
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  // The shown editor, or "" when none is.
  static std::string Shown(QWidget* window) {
    std::string shown;
    for (const char* name : kEditors) {
      if (!Find<QWidget>(window, name)->isHidden()) shown += name;
    }
    return shown;
  }
  // What a user does: selects the cell and gets its editor, which `work`
  // fills, and presses Enter.
  static void Edit(QWidget* window, QTableWidget* grid, int row, int column,
                   const std::function<void(QWidget* editor)>& work) {
    if (grid->currentRow() == row && grid->currentColumn() == column) grid->setCurrentCell(-1, -1);
    grid->setCurrentCell(row, column);
    const std::string shown = Shown(window);
    ASSERT_FALSE(shown.empty()) << row << "," << column;
    QWidget* editor = Find<QWidget>(window, shown.c_str());
    work(editor);
    if (auto* combo = qobject_cast<QComboBox*>(editor); combo && combo->isEditable()) {
      editor = combo->lineEdit();
    }
    QTest::keyClick(editor, Qt::Key_Return);
  }
  // Types the text into the cell's editor.
  static void Enter(QWidget* window, QTableWidget* grid, int row, int column,
                    const std::string& text) {
    Edit(window, grid, row, column, [&text](QWidget* editor) {
      if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setEditText(ToQt(text));
      } else {
        qobject_cast<QLineEdit*>(editor)->setText(ToQt(text));
      }
    });
  }
  // Types the text as key presses, one character each, as a user does
  // (QTest's key clicks take ASCII only).
  static void Type(QWidget* widget, const std::string& text) {
    for (const QChar c : ToQt(text)) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(widget, &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(widget, &release);
    }
  }
  // Picks the item of that text in the cell's list.
  static void Choose(QWidget* window, QTableWidget* grid, int row, const std::string& item) {
    Edit(window, grid, row, 1, [&item](QWidget* editor) {
      auto* combo = qobject_cast<QComboBox*>(editor);
      ASSERT_NE(combo, nullptr);
      const int index = combo->findText(ToQt(item));
      ASSERT_GE(index, 0) << AnsiToUtf8(item);
      combo->setCurrentIndex(index);
      emit combo->activated(index);
    });
  }
  static std::string Cell(QTableWidget* grid, int row, int column) {
    return grid->item(row, column) ? FromQt(grid->item(row, column)->text()) : "";
  }
  static std::string Selected(QWidget* window, const char* name) {
    auto* combo = Find<QComboBox>(window, name);
    return combo->currentIndex() < 0 ? "<none>" : FromQt(combo->currentText());
  }

  CryptRoots roots_;
  TempDir tmp_;
  TempDir registry_;
  TempDir config_;
  TempDir books_;
  TempDir ini_;
  TempDir packages_;
  ScriptedDialogs dialogs_;
  bool initialized_ = false;
};
