// The grids of the main window: the editor each row and state gets and
// where a refused selection goes, the key filters and length limits, the
// writing back, the applicant rows, the colours, and the checks before
// forming in their order.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include "editor/model/inn_check.h"
#include "tests/editor/ui/window_fixture.h"

namespace {

using Texts = std::vector<std::string>;

class GridsTest : public WindowTest {
 protected:
  // The window in the state of the applicant kind and application kind
  // picked by their positions in the books.
  std::unique_ptr<TfmQuendaMain> Kinds(int applicant, int application,
                                       const std::function<void(TfmQuendaMain&)>& before = {}) {
    auto window = Start(before);
    EXPECT_TRUE(initialized_);
    Pick(window.get(), "cmbRegType", applicant);
    Pick(window.get(), "cmbAppType", application);
    return window;
  }
  static QTableWidget* Params(QWidget* window) { return Find<QTableWidget>(window, "sgParams"); }
  static QTableWidget* Applicants_(QWidget* window) {
    return Find<QTableWidget>(window, "sgDeclarants");
  }
  // Selects the parameter row as a click would; the row the grid is on
  // afterwards and the editor shown.
  static std::pair<int, std::string> Select(QWidget* window, int row) {
    QTableWidget* grid = Params(window);
    if (grid->currentRow() == row) grid->setCurrentCell(-1, -1);
    grid->setCurrentCell(row, 1);
    return {grid->currentRow(), Shown(window)};
  }
  // One document row, an applicant and the office: what the checks need
  // besides the field a test is about.
  static void FillForChecks(TfmQuendaMain* window,
                            const std::string& address = "ivanov@example.ru") {
    Find<QTreeWidget>(window, "lvDocs")->clear();
    window->AddDocItem("/tmp/заявление.pdf", "01", "", "", -1, "Заявление", "");
    const std::string person[] = {"Иванов", "Иван", "", "", address};
    for (int column = 0; column < 5; ++column) {
      Enter(window, Applicants_(window), 0, column, person[column]);
    }
    Find<QComboBox>(window, "cmbRegOrg")->setCurrentIndex(0);
  }
  static void SetCell(QTableWidget* grid, int row, int column, const std::string& text) {
    if (grid->item(row, column) == nullptr) grid->setItem(row, column, new QTableWidgetItem);
    grid->item(row, column)->setText(ToQt(text));
  }
};

TEST_F(GridsTest, EachRowGetsItsEditorByStateAndRefusedRowsMoveOn) {
  using Selections = std::vector<std::pair<int, std::string>>;
  auto select_all = [](QWidget* window) {
    Selections got;
    for (int row = 0; row < Params(window)->rowCount(); ++row) got.push_back(Select(window, row));
    return got;
  };
  auto window = Start();
  EXPECT_EQ(Shown(window.get()), "cmbRegType");  // the first cell is selected on showing
  EXPECT_EQ(select_all(window.get()), (Selections{{0, "cmbRegType"}}));
  Pick(window.get(), "cmbRegType", 0);
  EXPECT_EQ(select_all(window.get()), (Selections{{0, "cmbRegType"}, {1, "cmbAppType"}}));

  // An entrepreneur's kind without OGRNIP: its row sends the selection back
  // to row 0.
  Pick(window.get(), "cmbAppType", 0);
  EXPECT_EQ(select_all(window.get()), (Selections{{0, "cmbRegType"},
                                                  {1, "cmbAppType"},
                                                  {2, "cmbReturnType"},
                                                  {3, "cmbRegOrg"},
                                                  {0, "cmbRegType"}}));
  dialogs_.answers = {IDYES};
  Pick(window.get(), "cmbAppType", 1);  // with OGRNIP
  EXPECT_EQ(Select(window.get(), 4), (std::pair<int, std::string>(4, "edOGRNIP")));

  // A legal entity with a decision office, without OGRN.
  dialogs_.answers = {IDYES};
  Pick(window.get(), "cmbRegType", 2);
  Pick(window.get(), "cmbAppType", 0);
  EXPECT_EQ(select_all(window.get()), (Selections{{0, "cmbRegType"},
                                                  {1, "cmbAppType"},
                                                  {2, "cmbReturnType"},
                                                  {3, "cmbReshOrg"},
                                                  {4, "cmbRegOrg"},
                                                  {5, "cmbOrgName"},
                                                  {0, "cmbRegType"}}));
  // One without a decision office, with OGRN.
  dialogs_.answers = {IDYES};
  Pick(window.get(), "cmbRegType", 1);
  Pick(window.get(), "cmbAppType", 1);
  EXPECT_EQ(select_all(window.get()), (Selections{{0, "cmbRegType"},
                                                  {1, "cmbAppType"},
                                                  {2, "cmbReturnType"},
                                                  {3, "cmbRegOrg"},
                                                  {4, "cmbOrgName"},
                                                  {5, "edOGRN"}}));
}

TEST_F(GridsTest, FixedValuesMoveTheSelectionOnAndTheLastRowStays) {
  auto window = Kinds(0, 1, [](TfmQuendaMain& w) { w.Params.SetValue("КОДНО", "7746", 0); });
  // A new packet makes OGRNIP editable; fixed here as a program start could
  // not keep it.
  window->Params.SetFlag("ОГРНИП", 0);
  EXPECT_EQ(Select(window.get(), 2), (std::pair<int, std::string>(2, "cmbReturnType")));
  // The office row moves on to the OGRNIP row, fixed and last: the grid
  // stays where it was, with no editor.
  EXPECT_EQ(Select(window.get(), 3), (std::pair<int, std::string>(2, "")));
  EXPECT_EQ(Select(window.get(), 4), (std::pair<int, std::string>(2, "")));

  // Every row refused, and the OGRNIP row sending the selection back to row
  // 0: the moving stops instead of going round for ever.
  dialogs_.answers = {IDYES};
  Pick(window.get(), "cmbAppType", 0);
  for (const char* fixed : {"КОДСФРД", "QUERYCODE"}) window->Params.SetFlag(fixed, 0);
  EXPECT_EQ(Select(window.get(), 1).second, "");
}

TEST_F(GridsTest, KeyFiltersAndLengthLimitsOfTheEditors) {
  auto window = Kinds(1, 0);
  const struct {
    const char* editor;
    int limit;
    const char* typed;
    const char* kept;
  } cases[] = {
      {"edSurname", 60, "Ёлкин-Sm ith1ёя", "лкин-Smithя"},
      {"edForname", 60, "Анна Мария", "АннаМария"},
      {"edPatronymic", 60, "Пётровна", "Птровна"},
      {"edINN", 12, "12,4.6a78 9", "12,4.6789"},
      {"edOGRNIP", 15, "3045-001", "3045001"},
      {"edOGRN", 13, "10277001321951234", "1027700132195"},
      // A filed number is digits only: no "," or "." as in an INN.
      {"edOGRNIP", 15, "3045.001,", "3045001"},
      {"edOGRN", 13, "1027700132.9,", "10277001329"},
      {"edEMail", 45, "a b@ё.ru", "a b@ё.ru"},
  };
  for (const auto& c : cases) {
    auto* edit = Find<QLineEdit>(window.get(), c.editor);
    EXPECT_EQ(edit->maxLength(), c.limit) << c.editor;
    edit->show();
    edit->setFocus();
    edit->clear();
    Type(edit, c.typed);
    EXPECT_EQ(FromQt(edit->text()), c.kept) << c.editor;
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text().size(), ToQt(c.kept).size() - 1) << c.editor;
  }
  EXPECT_EQ(FromQt(Find<QLineEdit>(window.get(), "edINN")->toolTip()),
            "ИНН физического лица - заявителя");
}

TEST_F(GridsTest, TabAndShiftTabMoveOnFromTheFilteredEditorsAsFromAnyOther) {
  auto entity = Kinds(1, 1);        // a legal entity with OGRN in row 5
  auto entrepreneur = Kinds(0, 1);  // an entrepreneur with OGRNIP in row 4
  const struct {
    TfmQuendaMain* window;
    const char* grid;
    int row, column;
    const char* editor;
    Qt::Key key;
    const char* next;
  } cases[] = {
      {entity.get(), "sgDeclarants", 0, 0, "edSurname", Qt::Key_Tab, "edForname"},
      {entity.get(), "sgDeclarants", 0, 1, "edForname", Qt::Key_Tab, "edPatronymic"},
      {entity.get(), "sgDeclarants", 0, 2, "edPatronymic", Qt::Key_Tab, "edINN"},
      {entity.get(), "sgDeclarants", 0, 3, "edINN", Qt::Key_Tab, "edEMail"},
      {entity.get(), "sgDeclarants", 0, 4, "edEMail", Qt::Key_Tab, "edSurname"},
      {entity.get(), "sgDeclarants", 0, 0, "edSurname", Qt::Key_Backtab, "edEMail"},
      {entity.get(), "sgDeclarants", 0, 1, "edForname", Qt::Key_Backtab, "edSurname"},
      {entity.get(), "sgDeclarants", 0, 2, "edPatronymic", Qt::Key_Backtab, "edForname"},
      {entity.get(), "sgDeclarants", 0, 3, "edINN", Qt::Key_Backtab, "edPatronymic"},
      {entity.get(), "sgDeclarants", 0, 4, "edEMail", Qt::Key_Backtab, "edINN"},
      // The last parameter row goes round to the first.
      {entity.get(), "sgParams", 5, 1, "edOGRN", Qt::Key_Tab, "cmbRegType"},
      {entrepreneur.get(), "sgParams", 4, 1, "edOGRNIP", Qt::Key_Tab, "cmbRegType"},
      // Shift+Tab goes up to the field above.
      {entity.get(), "sgParams", 5, 1, "edOGRN", Qt::Key_Backtab, "cmbOrgName"},
      {entrepreneur.get(), "sgParams", 4, 1, "edOGRNIP", Qt::Key_Backtab, "cmbRegOrg"},
  };
  for (const auto& c : cases) {
    QApplication::setActiveWindow(c.window);
    auto* grid = Find<QTableWidget>(c.window, c.grid);
    grid->setFocus();
    grid->setCurrentCell(-1, -1);
    grid->setCurrentCell(c.row, c.column);
    auto* edit = Find<QLineEdit>(c.window, c.editor);
    ASSERT_TRUE(edit->hasFocus()) << c.editor;
    edit->clear();
    const std::string typed =
        edit == Find<QLineEdit>(c.window, "edINN") || QByteArray(c.editor).startsWith("edOGRN")
            ? "12"
            : "Ян";
    Type(edit, typed);
    QTest::keyClick(edit, c.key);
    EXPECT_TRUE(edit->isHidden()) << c.editor << " " << c.key;
    EXPECT_EQ(Cell(grid, c.row, c.column), typed) << c.editor << " " << c.key;
    QWidget* focused = QApplication::focusWidget();
    EXPECT_EQ(focused == nullptr ? "" : focused->objectName().toStdString(), c.next)
        << c.editor << " " << c.key;
  }
}

TEST_F(GridsTest, CopyingWorksAndAPasteIsTakenOnlyWhenEveryCharacterPasses) {
  auto window = Kinds(1, 0);
  QClipboard* clipboard = QApplication::clipboard();
  const struct {
    const char* editor;
    QString good;
    QString bad;  // with one refused character
  } cases[] = {
      {"edSurname", ToQt("Петров-Vodkin"), ToQt("Петров Водкин")},
      {"edForname", ToQt("Анна"), ToQt("Anna") + QChar(0x015E)},  // outside the code page
      {"edPatronymic", ToQt("Ивановна"), ToQt("Ивановна.")},
      {"edINN", ToQt("5001,00.7322"), ToQt("500100 73225")},
      {"edOGRNIP", ToQt("304500116000157"), ToQt("30450011600015.")},
      {"edOGRN", ToQt("1027700132195"), ToQt("1027700132,95")},
  };
  // The ways a text comes into an editor other than typing.
  using Way = std::function<void(QLineEdit*, const QString&)>;
  const std::pair<const char*, Way> ways[] = {
      {"Ctrl+V",
       [&](QLineEdit* edit, const QString& text) {
         clipboard->setText(text);
         QTest::keySequence(edit, QKeySequence::Paste);
       }},
      {"drop",
       [](QLineEdit* edit, const QString& text) {
         // A drop reaches the widget that took the drag as it entered.
         QMimeData data;
         data.setText(text);
         QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
         QApplication::sendEvent(edit, &enter);
         QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
         QApplication::sendEvent(edit, &drop);
       }},
      {"input method",
       [](QLineEdit* edit, const QString& text) {
         QInputMethodEvent commit;
         commit.setCommitString(text);
         QApplication::sendEvent(edit, &commit);
       }},
  };
  for (const auto& c : cases) {
    auto* edit = Find<QLineEdit>(window.get(), c.editor);
    edit->show();
    edit->setFocus();
    for (const auto& [way, bring] : ways) {
      edit->clear();
      bring(edit, c.bad);
      EXPECT_EQ(edit->text(), QString()) << c.editor << " " << way;
      bring(edit, c.good);
      EXPECT_EQ(edit->text(), c.good) << c.editor << " " << way;
    }
    clipboard->clear();
    edit->selectAll();
    QTest::keySequence(edit, QKeySequence::Copy);
    EXPECT_EQ(clipboard->text(), c.good) << c.editor;

    // The menu offers the paste only for a text the editor takes.
    for (const QString& text : {c.bad, c.good}) {
      clipboard->setText(text);
      QContextMenuEvent menu_event(QContextMenuEvent::Keyboard, QPoint(2, 2),
                                   edit->mapToGlobal(QPoint(2, 2)));
      QApplication::sendEvent(edit, &menu_event);
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr) << c.editor;
      // Qt's own menu, whose paste shows its keys.
      const QString keys = QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
      QAction* paste = nullptr;
      for (QAction* action : menu->actions()) {
        if (action->text().endsWith(keys)) paste = action;
      }
      ASSERT_NE(paste, nullptr) << c.editor;
      EXPECT_EQ(paste->isEnabled(), text == c.good) << c.editor << " " << text.toStdString();
      menu->close();
    }
    edit->hide();
  }
}

TEST_F(GridsTest, EditorsWriteTheirTextBackIntoTheirCell) {
  auto window = Kinds(1, 1);  // a legal entity with OGRN, no decision office
  QTableWidget* applicants = Applicants_(window.get());
  applicants->setCurrentCell(0, 0);
  auto* surname = Find<QLineEdit>(window.get(), "edSurname");
  ASSERT_FALSE(surname->isHidden());
  Type(surname, "Сидоров");
  QTest::keyClick(surname, Qt::Key_Return);
  EXPECT_TRUE(surname->isHidden());
  EXPECT_EQ(Cell(applicants, 0, 0), "Сидоров");

  Select(window.get(), 5);
  auto* ogrn = Find<QLineEdit>(window.get(), "edOGRN");
  Type(ogrn, "1027700132195");
  Select(window.get(), 3);  // leaving the cell writes it too
  EXPECT_EQ(Cell(Params(window.get()), 5, 1), "1027700132195");
  auto* office = Find<QComboBox>(window.get(), "cmbRegOrg");
  office->setCurrentIndex(2);
  QTest::keyClick(office, Qt::Key_Return);
  EXPECT_EQ(Cell(Params(window.get()), 3, 1), "МИФНС России № 23 по Московской области");
  Select(window.get(), 4);
  auto* name = Find<QComboBox>(window.get(), "cmbOrgName");
  name->setEditText(ToQt("ООО \"Ромашка\""));
  QTest::keyClick(name->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(Cell(Params(window.get()), 4, 1), "ООО \"Ромашка\"");
}

TEST_F(GridsTest, ArrowDownAddsAnApplicantAfterAFilledLastRowAndDeleteKeepsOne) {
  auto window = Kinds(1, 0);
  QTableWidget* grid = Applicants_(window.get());
  auto key = [&](Qt::Key k) {
    grid->setFocus();
    QTest::keyClick(grid, k);
  };
  for (int column = 0; column < 5; ++column) SetCell(grid, 0, column, "");
  grid->setCurrentCell(0, 1);
  key(Qt::Key_Down);
  EXPECT_EQ(grid->rowCount(), 1);
  key(Qt::Key_Delete);
  EXPECT_EQ(grid->rowCount(), 1);

  SetCell(grid, 0, 0, "Иванов");
  key(Qt::Key_Down);
  ASSERT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(grid->currentRow(), 1);
  SetCell(grid, 1, 0, "Петров");
  key(Qt::Key_Down);
  SetCell(grid, 2, 0, "Сидоров");
  ASSERT_EQ(grid->rowCount(), 3);
  grid->setCurrentCell(1, 0);
  key(Qt::Key_Delete);
  EXPECT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(Cell(grid, 0, 0), "Иванов");
  EXPECT_EQ(Cell(grid, 1, 0), "Сидоров");

  // An entrepreneur has one applicant: the keys add and delete nothing.
  dialogs_.answers = {IDYES};
  Pick(window.get(), "cmbRegType", 0);
  Pick(window.get(), "cmbAppType", 0);
  SetCell(grid, 0, 0, "Иванов");
  grid->setCurrentCell(0, 0);
  key(Qt::Key_Down);
  EXPECT_EQ(grid->rowCount(), 1);
}

TEST_F(GridsTest, AnArrowKeyLeavesTheTypedApplicantValueInItsOwnRow) {
  auto window = Kinds(1, 0);
  QTableWidget* grid = Applicants_(window.get());
  SetCell(grid, 0, 0, "Иванов");
  grid->setFocus();
  grid->setCurrentCell(0, 0);
  auto* surname = Find<QLineEdit>(window.get(), "edSurname");
  ASSERT_TRUE(surname->hasFocus());
  surname->selectAll();
  Type(surname, "Петров");
  // The editor passes the arrow on to the grid, which adds a row.
  QTest::keyClick(surname, Qt::Key_Down);
  ASSERT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(Cell(grid, 0, 0), "Петров");
  EXPECT_EQ(Cell(grid, 1, 0), "");
  ASSERT_TRUE(surname->hasFocus());
  Type(surname, "Сидоров");
  QTest::keyClick(surname, Qt::Key_Up);
  EXPECT_EQ(grid->currentRow(), 0);
  EXPECT_EQ(Cell(grid, 0, 0), "Петров");
  EXPECT_EQ(Cell(grid, 1, 0), "Сидоров");
}

TEST_F(GridsTest, CellsAreDrawnEditableExactlyWhereAnEditorWouldServe) {
  auto window = Kinds(0, 0);
  window->Params.SetFlag("QUERYCODE", 0);
  window->RefreshView();
  QTableWidget* grid = Params(window.get());
  const QColor grey(0x80, 0x80, 0x80);
  const bool editable[] = {true, true, false, true, false};  // fixed paper return; no OGRNIP
  for (int row = 0; row < 5; ++row) {
    const QTableWidgetItem* cell = grid->item(row, 1);
    EXPECT_EQ(cell->background().color() == QColor(Qt::white), editable[row]) << row;
    EXPECT_EQ(cell->foreground().color() == grey, !editable[row]) << row;
  }
  EXPECT_EQ(Applicants_(window.get())->item(0, 0)->background().color(), QColor(Qt::white));
}

TEST_F(GridsTest, CheckFieldsStopsAtTheFirstFailingFieldInItsOrder) {
  auto window = Kinds(0, 1);  // an entrepreneur's kind with OGRNIP
  QTableWidget* params = Params(window.get());
  QTableWidget* applicants = Applicants_(window.get());
  auto* docs = Find<QTreeWidget>(window.get(), "lvDocs");
  // The text of the warning, the grid focused and the cell it selects.
  auto check = [&](const std::string& message, QWidget* focused, int row, int column) {
    EXPECT_FALSE(window->CheckFields()) << AnsiToUtf8(message);
    EXPECT_EQ(dialogs_.Texts(), Texts{message});
    if (auto* grid = qobject_cast<QTableWidget*>(focused)) {
      EXPECT_EQ(grid->currentRow(), row) << AnsiToUtf8(message);
      EXPECT_EQ(grid->currentColumn(), column) << AnsiToUtf8(message);
    }
  };
  docs->clear();
  check("Не указано ни одного документа.", nullptr, 0, 0);
  window->AddDocItem("/tmp/устав.pdf", "03", "", "", -1, "Устав", "");
  window->AddDocItem("", "01", "", "", -1, "Заявление", "");
  check("Не все документы имеют прикрепленные файлы.", nullptr, 0, 0);
  EXPECT_EQ(docs->currentItem(), docs->topLevelItem(1));
  delete docs->takeTopLevelItem(1);
  check("Не указано заявление о регистрации.", nullptr, 0, 0);
  window->AddDocItem("/tmp/заявление.pdf", "01", "", "", -1, "Заявление", "");

  check("Не указан [Код налогового (регистрирующего) органа].", params, 3, 1);
  Find<QComboBox>(window.get(), "cmbRegOrg")->setCurrentIndex(1);
  check("Не указан [ОГРНИП].", params, 4, 1);
  Find<QLineEdit>(window.get(), "edOGRNIP")->setText(ToQt("30450011600015"));
  check("Неверно указан [ОГРНИП].", params, 4, 1);  // the focused editor wrote it first
  Enter(window.get(), params, 4, 1, "304500116000157");
  for (int column = 0; column < 5; ++column) Enter(window.get(), applicants, 0, column, "");
  check("Не указана [Фамилия] заявителя.", applicants, 0, 0);
  Enter(window.get(), applicants, 0, 0, "Иванов");
  check("Не указано [Имя] заявителя.", applicants, 0, 1);
  Enter(window.get(), applicants, 0, 1, "Иван");
  // A comma or a letter in an INN makes it invalid, as shown, not an error.
  for (const char* inn : {"5001,0732259", "50010073225A", "500100732258"}) {
    Enter(window.get(), applicants, 0, 3, inn);
    check("Неверно указан [ИНН] заявителя.", applicants, 0, 3);
  }
  Enter(window.get(), applicants, 0, 3, "");  // the INN may stay empty
  check("Неверно указан [E-Mail] заявителя.", applicants, 0, 4);
  Enter(window.get(), applicants, 0, 4, " ivanov@example.ru ");
  EXPECT_TRUE(window->CheckFields());
  EXPECT_TRUE(dialogs_.boxes.empty());
  EXPECT_EQ(window->Params.GetValue("КОДНО"), "7847");
}

TEST_F(GridsTest, CheckFieldsOfALegalEntityNamesItsDecisionOfficeNameAndOgrn) {
  auto window = Kinds(2, 1);  // changes of a non-profit organisation: decision office, OGRN
  QTableWidget* params = Params(window.get());
  QTableWidget* applicants = Applicants_(window.get());
  auto* docs = Find<QTreeWidget>(window.get(), "lvDocs");
  docs->clear();
  window->AddDocItem("/tmp/заявление.pdf", "01", "", "", -1, "Заявление", "");
  const char* person[] = {"Иванов", "Иван", "", "500100732259", "ivanov@example.ru"};
  for (int column = 0; column < 5; ++column) {
    Enter(window.get(), applicants, 0, column, person[column]);
  }
  auto expect = [&](const std::string& message, int row) {
    EXPECT_FALSE(window->CheckFields());
    EXPECT_EQ(dialogs_.Texts(), Texts{message});
    EXPECT_EQ(params->currentRow(), row) << AnsiToUtf8(message);
  };
  expect("Не указан [Орган, принимающий решение].", 3);
  Find<QComboBox>(window.get(), "cmbReshOrg")->setCurrentIndex(0);
  expect("Не указан [Код налогового (регистрирующего) органа].", 4);
  Find<QComboBox>(window.get(), "cmbRegOrg")->setCurrentIndex(0);
  Enter(window.get(), params, 5, 1, "");
  expect("Не указано [Полное наименование ЮЛ]", 5);
  Enter(window.get(), params, 5, 1, "Фонд \"Развитие\"");
  Enter(window.get(), params, 6, 1, "102770013219");
  expect("Неверно указан [ОГРН].", 6);
  Enter(window.get(), params, 6, 1, "1027700132195");
  // A second applicant is checked as the first.
  applicants->setFocus();
  applicants->setCurrentCell(0, 4);
  QTest::keyClick(Find<QLineEdit>(window.get(), "edEMail"), Qt::Key_Return);
  QTest::keyClick(applicants, Qt::Key_Down);
  ASSERT_EQ(applicants->rowCount(), 2);
  Enter(window.get(), applicants, 1, 0, "Петров");
  EXPECT_FALSE(window->CheckFields());
  EXPECT_EQ(dialogs_.Texts(), Texts{"Не указано [Имя] заявителя."});
  EXPECT_EQ(applicants->currentRow(), 1);
  Enter(window.get(), applicants, 1, 1, "Пётр");
  Enter(window.get(), applicants, 1, 4, "petrov@example.ru");
  EXPECT_TRUE(window->CheckFields());
  EXPECT_EQ(window->Params.GetValue("КОДРЕШОРГ"), "0077");
  EXPECT_EQ(window->Params.GetValue("КОДНО"), "7746");
  EXPECT_EQ(window->Params.GetValue("НАИМЮЛПОЛН"), "Фонд \"Развитие\"");
  EXPECT_EQ(window->Params.GetValue("ОГРН"), "1027700132195");
}

TEST_F(GridsTest, TheChecksTakeTheTextOfAnEditorStillInUse) {
  auto window = Kinds(1, 0);  // a legal entity without OGRN: the name in row 4
  FillForChecks(window.get());
  Select(window.get(), 4);
  auto* name = Find<QComboBox>(window.get(), "cmbOrgName");
  ASSERT_TRUE(name->lineEdit()->hasFocus());
  Type(name->lineEdit(), "ООО \"Ромашка\"");
  EXPECT_TRUE(window->CheckFields());
  EXPECT_EQ(dialogs_.Texts(), Texts{});
  EXPECT_EQ(window->Params.GetValue("НАИМЮЛПОЛН"), "ООО \"Ромашка\"");
  EXPECT_EQ(Cell(Params(window.get()), 4, 1), "ООО \"Ромашка\"");
}

TEST_F(GridsTest, TheAddressCheckedIsTheAddressKept) {
  auto window = Kinds(1, 0);
  FillForChecks(window.get(), "  ivanov@example.ru\t");
  Enter(window.get(), Params(window.get()), 4, 1, "ООО \"Ромашка\"");
  EXPECT_TRUE(window->CheckFields());
  EXPECT_EQ(Cell(Applicants_(window.get()), 0, 4), "ivanov@example.ru");
}

TEST_F(GridsTest, TheCaptionsFitAtTheDefaultSizeAndACutValueShowsWholeAsItsTip) {
  auto window = Kinds(0, 0);  // an entrepreneur's registration
  ASSERT_EQ(window->size(), QSize(900, 640));
  QTableWidget* grid = Params(window.get());
  ASSERT_EQ(Cell(grid, 2, 0), "Вид предоставления заявителю документов в бумажном виде");
  // Against Qt's own measure of what the column needs to show every caption
  // whole.
  const int width = grid->columnWidth(0);
  grid->resizeColumnToContents(0);
  EXPECT_GE(width, grid->columnWidth(0));
  grid->setColumnWidth(0, width);
  EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);

  // The tip of the cell under the pointer, "" for none. A tip once shown
  // goes only after a delay: the cut value comes last.
  auto tip = [grid](int row, int column) {
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    QHelpEvent help(QEvent::ToolTip, cell.center(), grid->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid->viewport(), &help);
    return QToolTip::isVisible() ? FromQt(QToolTip::text()) : std::string();
  };
  EXPECT_EQ(tip(0, 1), "");  // "Индивидуальный предприниматель" fits
  EXPECT_EQ(tip(2, 0), "");
  ASSERT_GT(grid->sizeHintForIndex(grid->model()->index(1, 1)).width(), grid->columnWidth(1))
      << "the kind's name fits: no cut value to show";
  EXPECT_EQ(tip(1, 1), Cell(grid, 1, 1));
}

}  // namespace
