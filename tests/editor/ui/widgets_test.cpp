// The window layer's pieces on their own: text wrapping of the value list,
// file filters, and the Qt message box behind the hook.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "editor/model/shell_routines.h"
#include "editor/ui/exe_paths.h"
#include "editor/ui/qt_dialogs.h"
#include "editor/ui/qt_text.h"
#include "editor/ui/value_list.h"
#include "platform/kernel/codepage.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// A font whose every character is as wide as any other: widths count
// characters.
QFontMetrics Monospace() {
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(12);
  return QFontMetrics(font);
}

TEST(ValueListTest, LinesBreakAfterTheLastBreakCharacterThatStillFits) {
  const QFontMetrics metrics = Monospace();
  const int w = metrics.horizontalAdvance(QStringLiteral("0123456789"));  // ten characters
  auto wrap = [&](const char* text, int width) {
    std::vector<std::string> lines;
    for (const QString& line : WrapText(ToQt(text), width, metrics)) lines.push_back(FromQt(line));
    return lines;
  };
  using Lines = std::vector<std::string>;
  EXPECT_EQ(wrap("  короткий  ", w), Lines{"короткий"});
  EXPECT_EQ(wrap("", w), Lines{});
  EXPECT_EQ(wrap("RU, Москва, Иванов", w), (Lines{"RU, ", "Москва, ", "Иванов"}));
  EXPECT_EQ(wrap("ООО-Ромашка:склад!", w), (Lines{"ООО-", "Ромашка:", "склад!"}));
  // A run without a break place is cut where it stops fitting.
  EXPECT_EQ(wrap("0123456789ABCDEF0123456789", w), (Lines{"012345678", "9ABCDEF01", "23456789"}));
  EXPECT_EQ(wrap("abc", 1), (Lines{"a", "b", "c"}));
  // A line as wide as the width does not fit, be it the last one or one
  // that ends in a break character.
  EXPECT_EQ(wrap("0123456789", w), (Lines{"012345678", "9"}));
  EXPECT_EQ(wrap("012345678,x", w), (Lines{"012345678", ",x"}));
}

TEST(ValueListTest, ARowGrowsToTheLinesOfTheColumnThatWraps) {
  TValueList list(133, 319);
  list.resize(460, 300);
  list.show();
  QApplication::processEvents();
  list.AddRow("Поле", "короткое");
  const int single = list.rowHeight(0);
  EXPECT_EQ(single, list.verticalHeader()->defaultSectionSize());
  const std::string words =
      "Тарвекс тест, Тестовый УЦ, Тарвекс тест, Тестовый УЦ, Тарвекс тест, "
      "Тестовый УЦ, Тарвекс тест, Тестовый УЦ, Тарвекс тест, Тестовый УЦ";
  list.AddRow("Поставщик", words);
  const QFontMetrics metrics(list.font());
  const int width = list.columnWidth(1);
  const int lines = static_cast<int>(WrapText(ToQt(words), width - 4, metrics).size());
  ASSERT_GT(lines, 2);
  EXPECT_EQ(list.rowHeight(1), metrics.height() * lines + 5);
  // Wider, the value fits again.
  list.resize(metrics.horizontalAdvance(ToQt(words)) + 200, 300);
  QApplication::processEvents();
  EXPECT_GT(list.columnWidth(1), width);
  EXPECT_EQ(list.rowHeight(1), single);
  EXPECT_EQ(list.horizontalHeaderItem(0)->text(), ToQt("Поле"));
  EXPECT_EQ(list.horizontalHeaderItem(1)->text(), ToQt("Значение"));
}

TEST(QtDialogsTest, FiltersBecomeQtFiltersWithTheirPatternsOnce) {
  EXPECT_EQ(QtFileFilter("Файлы пакетов (*.zip)|*.zip"), ToQt("Файлы пакетов (*.zip)"));
  EXPECT_EQ(QtFileFilter("Типы документов (*.tiff;*.tif)|*.tiff;*.tif"),
            ToQt("Типы документов (*.tiff *.tif)"));
  EXPECT_EQ(QtFileFilter("Все|*.*|Изображения|*.tif; *.jpg"),
            ToQt("Все (*.*);;Изображения (*.tif *.jpg)"));
  EXPECT_EQ(QtFileFilter(""), QString());
}

// The box answers Enter with its default button and Escape with No.
TEST(QtDialogsTest, TheQtBoxHonoursTheDefaultButton) {
  InstallQtDialogs();
  const struct {
    uint32_t type;
    Qt::Key key;
    int answer;
  } cases[] = {
      {MB_YESNO | MB_ICONQUESTION, Qt::Key_Return, IDYES},
      {MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, Qt::Key_Return, IDNO},
      {MB_YESNO | MB_ICONQUESTION, Qt::Key_Escape, IDNO},
      {MB_OK | MB_ICONWARNING, Qt::Key_Return, IDOK},
  };
  for (const auto& c : cases) {
    QString text;
    QTimer::singleShot(0, [&text, &c] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      text = box->windowTitle() + u'|' + box->text();
      QTest::keyClick(box, c.key);
    });
    EXPECT_EQ(MessageBoxA(nullptr, "Строка 1\r\nСтрока 2", "Tarvex", c.type), c.answer);
    EXPECT_EQ(text, ToQt("Tarvex|Строка 1\nСтрока 2"));
  }
  SetMessageBoxHandler(nullptr);
}

TEST(QtDialogsTest, TheBoxesButtonsAreRussianWithQtsTranslations) {
  ASSERT_TRUE(InstallQtTranslations());
  InstallQtDialogs();
  QStringList buttons;
  QTimer::singleShot(0, [&buttons] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    for (QAbstractButton* button : box->buttons()) buttons << button->text().remove(u'&');
    QTest::keyClick(box, Qt::Key_Escape);
  });
  MessageBoxA(nullptr, "Продолжить?", "Tarvex", MB_YESNO | MB_ICONQUESTION);
  buttons.sort();
  EXPECT_EQ(buttons, (QStringList{ToQt("Да"), ToQt("Нет")}));
  SetMessageBoxHandler(nullptr);
}

TEST(ExePathsTest, NamesAndExtensions) {
  EXPECT_EQ(ChangeFileExt("/opt/tarvex/TarvexEdit", ".ini"), "/opt/tarvex/TarvexEdit.ini");
  EXPECT_EQ(ChangeFileExt("C:\\Прог.рамма\\edit.exe", ".ini"), "C:\\Прог.рамма\\edit.ini");
  EXPECT_EQ(ChangeFileExt("C:\\Прог.рамма\\edit", ".chm"), "C:\\Прог.рамма\\edit.chm");
  EXPECT_EQ(ExtractFileDir("/a/b/c.zip"), "/a/b");
  EXPECT_EQ(ExtractFileName("C:\\a\\c.zip"), "c.zip");
  EXPECT_EQ(ExtractFileName("c.zip"), "c.zip");
}

}  // namespace
