// What the window tests share: private roots for the library's state and
// the work folder, the shipped reference books in a folder of the test's,
// an ini file, the scripted dialogs, and the main window started as the
// program starts it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QTableWidget>
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
#include "tests/platform/crypt/crypt_test_support.h"

using Rows = std::vector<std::pair<std::string, std::string>>;

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
