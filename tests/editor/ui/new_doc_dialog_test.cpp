// The new-document dialog over a small regdoc.xml of the test's: what it
// offers, when it does not show, and exactly what it hands back.
#include <QListWidget>
#include <QPushButton>

#include "editor/ui/fm_new_doc.h"
#include "tests/editor/ui/modal_dialog.h"
#include "tests/editor/ui/window_fixture.h"

namespace {

using Texts = std::vector<std::string>;

// Kind 21001 has two documents of one short name, a single one and one of
// up to five; kind 22001 only single ones.
const char kBook[] =
    "<?xml version='1.0' encoding='windows-1251'?><Книга>"
    "<Группа Актуал='1' Тип='0' Наим='ИП'>"
    "<Вид КодРег='21001' НаимРег='Регистрация' ПолнНаим='Заявление Р21001' КратНаим='Заявление' "
    "КодСВДРЕГ='21001' КодТипДок='01' МинКол='1' МаксКол='1' ОГРН='0'>"
    "<Док КодТипДок='03' ПолнНаим='Копия паспорта' КратНаим='Копия' КодСВДРЕГ='02001' "
    "МинКол='1' МаксКол='1'/>"
    "<Док КодТипДок='03' ПолнНаим='Копия доверенности' КратНаим='Копия' КодСВДРЕГ='09001' "
    "МинКол='0' МаксКол='5'/>"
    "</Вид>"
    "<Вид КодРег='22001' НаимРег='Прекращение' ПолнНаим='Заявление Р22001' КратНаим='Р22001' "
    "КодСВДРЕГ='22001' КодТипДок='01' МинКол='1' МаксКол='1' ОГРН='1'>"
    "<Док КодТипДок='04' ПолнНаим='Квитанция' КратНаим='Квитанция' КодСВДРЕГ='03001' "
    "МинКол='1' МаксКол='1'/>"
    "</Вид></Группа></Книга>";

class NewDocDialogTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WriteBook("regdoc.xml", kBook);
  }
  std::string Book() const { return BookFolder() + "regdoc.xml"; }

  static QListWidget* List(const QDialog& dialog) {
    return dialog.findChild<QListWidget*>("lbDocs");
  }
  static QPushButton* AddButton(const QDialog& dialog) {
    return dialog.findChild<QPushButton*>("btnAdd");
  }
  static void SetChecked(const QDialog& dialog, int row, bool checked) {
    List(dialog)->item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  }
};

TEST_F(NewDocDialogTest, ConfirmingAppendsCopiesOfTheCheckedRecordsToTheCallersList) {
  std::vector<TRegDocType> result(1);
  result[0].КратНаим = "уже был";
  bool shown = false;
  OnModal([&shown](QDialog& dialog) {
    shown = true;
    EXPECT_EQ(FromQt(dialog.windowTitle()), "Выберите документы");
    QListWidget* list = List(dialog);
    ASSERT_EQ(list->count(), 2);
    for (int row = 0; row < 2; ++row) {
      EXPECT_EQ(FromQt(list->item(row)->text()), "Копия");
      EXPECT_EQ(list->item(row)->toolTip(), list->item(row)->text());
    }
    EXPECT_FALSE(AddButton(dialog)->isEnabled());
    SetChecked(dialog, 1, true);
    EXPECT_TRUE(AddButton(dialog)->isEnabled());
    SetChecked(dialog, 1, false);
    EXPECT_FALSE(AddButton(dialog)->isEnabled());
    SetChecked(dialog, 0, true);
    SetChecked(dialog, 1, true);
    AddButton(dialog)->click();
  });
  // The kind's own document is there already and single.
  EXPECT_TRUE(SelectNewDocuments(Book(), "21001", result, {"21001"}));
  EXPECT_TRUE(shown);
  EXPECT_TRUE(dialogs_.boxes.empty());
  ASSERT_EQ(result.size(), 3u);
  EXPECT_EQ(result[0].КратНаим, "уже был");
  // The dialog and its reader are gone; the copies carry their kind's data.
  const char* codes[] = {"02001", "09001"};
  const char* names[] = {"Копия паспорта", "Копия доверенности"};
  for (int i = 0; i < 2; ++i) {
    const TRegDocType& copy = result[i + 1];
    EXPECT_EQ(copy.КодСВДРЕГ, codes[i]);
    EXPECT_EQ(copy.ПолнНаим, names[i]);
    EXPECT_EQ(copy.КодРег, "21001");
    EXPECT_EQ(copy.КодТипДок, "03");
    EXPECT_EQ(copy.IsKind, 0);
  }
}

TEST_F(NewDocDialogTest, ClosingByTheCloseBoxAppendsNothing) {
  std::vector<TRegDocType> result;
  OnModal([](QDialog& dialog) {
    ASSERT_EQ(List(dialog)->count(), 3);  // the kind's own and its two
    SetChecked(dialog, 0, true);
    dialog.close();
  });
  EXPECT_FALSE(SelectNewDocuments(Book(), "21001", result, {}));
  EXPECT_TRUE(result.empty());
}

TEST_F(NewDocDialogTest, NothingToAddOrAnUnreadableBookShowsABoxInsteadOfTheDialog) {
  const struct {
    std::string book;
    std::vector<std::string> present;
    uint32_t type;
    std::string text;
  } cases[] = {
      {Book(), {"22001", "03001"}, MB_OK | MB_ICONINFORMATION, "Нет документов для добавления."},
      {BookFolder() + "нет.xml",
       {},
       MB_OK | MB_ICONERROR,
       "Ошибка загрузки справочника регистрационных документов:\r\nФайл " + BookFolder() +
           "нет.xml не найден"},
  };
  for (const auto& c : cases) {
    std::vector<TRegDocType> result;
    EXPECT_FALSE(SelectNewDocuments(c.book, "22001", result, c.present));
    EXPECT_TRUE(result.empty());
    ASSERT_EQ(dialogs_.boxes.size(), 1u);
    EXPECT_EQ(dialogs_.boxes[0].type, c.type);
    EXPECT_EQ(dialogs_.Texts(), Texts{c.text});
  }
}

}  // namespace
