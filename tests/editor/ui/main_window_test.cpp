// The main window from the program start on: the first state, the
// reference books and fixed codes, the kinds picked and the packets made
// for them, and the packages opened.
#include <sys/inotify.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>

#include "editor/model/ip_packet.h"
#include "editor/model/ul_packet.h"
#include "editor/ui/exe_paths.h"
#include "tests/editor/ui/counting_package.h"
#include "tests/editor/ui/saved_packages.h"
#include "tests/editor/ui/window_fixture.h"
#include "tests/support/run_command.h"

namespace {

namespace fs = std::filesystem;

using Texts = std::vector<std::string>;
using Table = std::vector<std::vector<std::string>>;

const char kIP[] = "Индивидуальный предприниматель";
const char kIPKind[] = "Регистрация физического лица в качестве индивидуального предпринимателя";
const char kPaper[] = "Вид предоставления заявителю документов в бумажном виде";
const char kOffice[] = "Код налогового (регистрирующего) органа";
const char kOpenQuestion[] = "При открытии пакета несохраненные данные будут потеряны. Продолжить?";

using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, AFirstRunWithoutAnIniFileShowsOnlyTheApplicantKindRow) {
  auto window = Start();
  ASSERT_TRUE(initialized_);
  EXPECT_EQ(window->State, kStateNothing);
  EXPECT_EQ(ParamRows(window.get()), (Rows{{"Вид заявителя", "<вид заявителя>"}}));
  EXPECT_FALSE(Find<QGroupBox>(window.get(), "gbDeclarants")->isVisible());
  EXPECT_FALSE(Find<QWidget>(window.get(), "pnlDocs")->isVisible());
  EXPECT_FALSE(Find<QWidget>(window.get(), "pnlLeft")->isVisible());
  for (const char* name : {"SENDERSHA1", "INPUTPATH", "DOCPATH", "IONOTARY", "КОДНО", "ФАМИЛИЯ",
                           "ИННФЛ", "E-MAIL", "QUERYCODE"}) {
    EXPECT_EQ(window->Params.GetValue(name), "") << name;
    EXPECT_EQ(window->Params.GetFlag(name), 1) << name;
  }
  EXPECT_EQ(window->Params.GetValue("OUTPATH"), ExeFolder());
  EXPECT_EQ(window->Params.GetValue("ВЕРСПРОГ").rfind("ПСОЛМК ", 0), 0u);
  EXPECT_EQ(window->Params.GetFlag("CAPTION"), 0);
  EXPECT_EQ(FromQt(window->windowTitle()), kProgramTitle);
  EXPECT_EQ(Find<QComboBox>(window.get(), "cmbRegType")->count(), 3);
  EXPECT_EQ(Find<QComboBox>(window.get(), "cmbRegOrg")->count(), 7);  // Тип 0 only
  EXPECT_EQ(Find<QComboBox>(window.get(), "cmbReshOrg")->count(), 12);
  EXPECT_EQ(Selected(window.get(), "cmbRegOrg"), "<none>");
  EXPECT_FALSE(Find<QAction>(window.get(), "ActionNewPacket")->isEnabled());
  EXPECT_TRUE(Find<QAction>(window.get(), "ActionOpenPacket")->isEnabled());
  EXPECT_TRUE(Find<QAction>(window.get(), "ActionSetup")->isEnabled());
  EXPECT_TRUE(Find<QAction>(window.get(), "NAbout")->isVisible());
  EXPECT_TRUE(dialogs_.boxes.empty());
  EXPECT_FALSE(fs::exists(SysPath(IniPath())));  // reading makes no file
}

TEST_F(MainWindowTest, StartUpFailuresShowOneErrorBoxAndNoWindow) {
  const std::string offices_without_tax =
      "<?xml version='1.0' encoding='windows-1251'?><Книга>"
      "<Орган Тип='2' КодСОУН='7746' Наим='Минюст' НаимПолн='Минюст' КодСПРО='0077'/></Книга>";
  const struct {
    const char* book;
    std::string content;
    const char* fixed_kind;  // КОДСФРД fixed by the program start, or null
    std::string message;
  } cases[] = {
      {"regorg.xml", offices_without_tax, nullptr, "Не загружено ни одного рег.органа"},
      {"regopf.xml", "<нет", nullptr,
       "Ошибка загрузки справочника организационно-правовых форм:\r\nОшибка загрузки справочника "
       "видов организационно-правовых форм:\r\nНевозможно загрузить справочник"},
      {nullptr, "", "", "Не указан параметр КОДСФРД)"},
      {nullptr, "", "99999",
       "Вид заявления [99999] не найден в справочнике регистрационных документов."},
  };
  for (const auto& c : cases) {
    CopyBooks();
    if (c.book) WriteBook(c.book, c.content);
    auto window = Start([&c](TfmQuendaMain& w) {
      if (c.fixed_kind) w.Params.SetValue("КОДСФРД", c.fixed_kind, 0);
    });
    EXPECT_FALSE(initialized_) << AnsiToUtf8(c.message);
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(dialogs_.boxes.size(), 1u);
    EXPECT_EQ(dialogs_.boxes[0].type, MB_OK | MB_ICONERROR);
    EXPECT_EQ(dialogs_.Texts(), Texts{c.message});
  }
  CopyBooks();
  fs::remove(books_.File("regdoc.xml"));
  Start();
  EXPECT_EQ(dialogs_.Texts(),
            Texts{"Ошибка загрузки списка видов заявителей:\r\nОшибка загрузки справочника "
                  "регистрационных документов:\r\nФайл " +
                  BookFolder() + "regdoc.xml не найден!"});
}

TEST_F(MainWindowTest, TheBooksFolderIsJoinedToTheBookNamesWithASlash) {
  TfmQuendaMain started;
  SetStartParameters(started);
  EXPECT_EQ(started.Params.GetValue("BOOKFOLDER"), ExeFolder() + "/");

  const std::string folder = Utf8ToAnsi(books_.Path());
  fs::remove(books_.File("regorg.xml"));
  Start([&folder](TfmQuendaMain& w) { w.Params.SetValue("BOOKFOLDER", folder, 1); });
  EXPECT_FALSE(initialized_);
  EXPECT_EQ(dialogs_.Texts(), Texts{"Ошибка загрузки справочника рег.органов:\r\nОшибка загрузки "
                                    "справочника рег.органов:\r\nФайл " +
                                    folder + "/regorg.xml не найден"});
}

TEST_F(MainWindowTest, FixedOfficeCodesArePreselectedOrDroppedWithOneWarning) {
  auto window = Start([](TfmQuendaMain& w) {
    w.Params.SetValue("КОДНО", "9999", 0);
    w.Params.SetValue("КОДРЕШОРГ", "0078", 0);
  });
  ASSERT_TRUE(initialized_);
  EXPECT_EQ(dialogs_.Texts(),
            Texts{"Код рег.органа [9999] не найден в справочнике регистрационных органов."});
  EXPECT_EQ(Selected(window.get(), "cmbRegOrg"), "<none>");
  EXPECT_EQ(window->Params.GetFlag("КОДНО"), 1);
  EXPECT_EQ(Selected(window.get(), "cmbReshOrg"), "ГУ Минюста России по Санкт-Петербургу");
  EXPECT_EQ(window->Params.GetFlag("КОДРЕШОРГ"), 0);
  EXPECT_EQ(window->State, kStateNothing);

  // A fixed, valid office is selected; a fixed, empty one becomes editable.
  auto second = Start([](TfmQuendaMain& w) {
    w.Params.SetValue("КОДНО", "7847", 0);
    w.Params.SetValue("КОДРЕШОРГ", "", 0);
  });
  EXPECT_TRUE(dialogs_.boxes.empty());
  EXPECT_EQ(Selected(second.get(), "cmbRegOrg"), "МИФНС России № 15 по Санкт-Петербургу");
  EXPECT_EQ(second->Params.GetFlag("КОДРЕШОРГ"), 1);
}

TEST_F(MainWindowTest, AFixedApplicationKindMakesItsPacketAtStart) {
  auto window = Start([](TfmQuendaMain& w) { w.Params.SetValue("КОДСФРД", "11001", 0); });
  ASSERT_TRUE(initialized_) << AnsiToUtf8(dialogs_.boxes.empty() ? "" : dialogs_.boxes[0].text);
  EXPECT_EQ(window->State, kStateNewUL);
  EXPECT_NE(dynamic_cast<TULPacket*>(window->Packet.get()), nullptr);
  EXPECT_EQ(Selected(window.get(), "cmbAppType"), "Регистрация юридического лица при создании");
  // The kind's own row is added only for a kind the user picked.
  EXPECT_TRUE(Documents(window.get()).empty());
}

TEST_F(MainWindowTest, PickingKindsMakesTheirPacketsWithTheirRows) {
  WriteIni(
      "[QUENDA_SETUP]\r\nФамилия=Иванов\r\nИмя=Иван\r\nОтчество=Иванович\r\nИННФЛ=500100732259\r\n"
      "E-MAIL=ivanov@example.ru\r\nКОДНО=7847\r\nQUERYCODE=4\r\nОГРНИП=304500116000157\r\n"
      "НАИМЮЛПОЛН=ООО \"Ромашка\"\r\nКОДРЕШОРГ=0078\r\n");
  auto window = Start();
  ASSERT_TRUE(initialized_);
  Pick(window.get(), "cmbRegType", 0);
  EXPECT_EQ(window->State, kStateKindChosen);
  EXPECT_EQ(ParamRows(window.get()),
            (Rows{{"Вид заявителя", kIP}, {"Вид заявления", "<вид заявления>"}}));
  EXPECT_EQ(Find<QComboBox>(window.get(), "cmbAppType")->count(), 3);
  EXPECT_FALSE(Find<QGroupBox>(window.get(), "gbDeclarants")->isVisible());
  EXPECT_FALSE(Find<QAction>(window.get(), "ActionNewPacket")->isEnabled());

  Pick(window.get(), "cmbAppType", 0);
  EXPECT_EQ(window->State, kStateNewIP);
  EXPECT_NE(dynamic_cast<TNewIPPacket*>(window->Packet.get()), nullptr);
  EXPECT_EQ(window->Params.GetValue("КОДСФРД"), "21001");
  EXPECT_EQ(window->Params.GetValue("DOCTYPECODE"), "01");
  EXPECT_EQ(ParamRows(window.get()), (Rows{{"Вид заявителя", kIP},
                                           {"Вид заявления", kIPKind},
                                           {kPaper, "выдать представителю по доверенности"},
                                           {kOffice, "МИФНС России № 15 по Санкт-Петербургу"},
                                           {"ОГРНИП", ""}}));  // this kind needs no OGRNIP
  EXPECT_EQ(Applicants(window.get()),
            (Table{{"Иванов", "Иван", "Иванович", "500100732259", "ivanov@example.ru"}}));
  EXPECT_EQ(FromQt(Find<QGroupBox>(window.get(), "gbDeclarants")->title()), "Сведения о заявителе");
  EXPECT_EQ(Documents(window.get()), (Table{{"Заявление по форме Р21001", "", ""}}));
  EXPECT_TRUE(Find<QWidget>(window.get(), "pnlDocs")->isVisible());
  EXPECT_FALSE(Find<QLabel>(window.get(), "pnlBottom")->isVisible());
  EXPECT_TRUE(Find<QAction>(window.get(), "ActionNewPacket")->isEnabled());
  EXPECT_TRUE(dialogs_.boxes.empty());

  // A kind with OGRNIP shows the value; changing the kind asks first.
  dialogs_.answers = {IDYES};
  Pick(window.get(), "cmbAppType", 1);
  EXPECT_EQ(dialogs_.Texts(),
            Texts{"При изменении вида заявления будет создан новый пакет. Продолжить?"});
  EXPECT_EQ(ParamRows(window.get()).back(),
            (std::pair<std::string, std::string>("ОГРНИП", "304500116000157")));

  // A legal entity whose registration a decision office decides.
  dialogs_.answers = {IDYES};
  Pick(window.get(), "cmbRegType", 2);
  EXPECT_EQ(dialogs_.boxes.at(0).type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(dialogs_.Texts(),
            Texts{"При изменении вида заявителя введенные данные будут потеряны. Продолжить?"});
  EXPECT_EQ(window->State, kStateKindChosen);
  EXPECT_EQ(Find<QComboBox>(window.get(), "cmbReshOrg")->count(), 5);  // the decision offices
  Pick(window.get(), "cmbAppType", 0);
  EXPECT_EQ(window->State, kStateNewUL);
  EXPECT_NE(dynamic_cast<TULPacket*>(window->Packet.get()), nullptr);
  EXPECT_EQ(ParamRows(window.get()),
            (Rows{{"Вид заявителя", "Некоммерческая организация"},
                  {"Вид заявления", "Регистрация некоммерческой организации при создании"},
                  {kPaper, "выдать представителю по доверенности"},
                  {"Орган, принимающий решение", "ГУ Минюста России по Санкт-Петербургу"},
                  {kOffice, "МИФНС России № 15 по Санкт-Петербургу"},
                  {"Полное наименование ЮЛ", "ООО \"Ромашка\""},
                  {"ОГРН", ""}}));
  EXPECT_EQ(FromQt(Find<QGroupBox>(window.get(), "gbDeclarants")->title()),
            "Сведения о заявителях");
  EXPECT_TRUE(Find<QLabel>(window.get(), "pnlBottom")->isVisible());

  // A legal entity without a decision office: six rows.
  dialogs_.answers = {IDYES};
  Pick(window.get(), "cmbRegType", 1);
  Pick(window.get(), "cmbAppType", 1);
  EXPECT_EQ(window->State, kStateNewUL);
  const Rows rows = ParamRows(window.get());
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[3].first, kOffice);
  EXPECT_EQ(rows[5], (std::pair<std::string, std::string>("ОГРН", "")));

  // A new packet asks, and goes back to choosing the applicant kind.
  dialogs_.Texts();
  dialogs_.answers = {IDYES};
  Find<QAction>(window.get(), "ActionNewPacket")->trigger();
  EXPECT_EQ(dialogs_.Texts(),
            Texts{"При создании нового пакета несохраненные данные будут потеряны. Продолжить?"});
  EXPECT_EQ(window->State, kStateNothing);
  EXPECT_EQ(ParamRows(window.get()), (Rows{{"Вид заявителя", "<вид заявителя>"}}));
}

TEST_F(MainWindowTest, EachGroupHoldsEveryRowOfItsGridInEachState) {
  auto window = Start();
  // Whether the shown grids' rows all lie inside their groups.
  auto fits = [&window] {
    QApplication::processEvents();
    for (const auto& [grid_name, group_name] :
         {std::pair("sgParams", "gbParams"), std::pair("sgDeclarants", "gbDeclarants")}) {
      auto* grid = Find<QTableWidget>(window.get(), grid_name);
      auto* group = Find<QGroupBox>(window.get(), group_name);
      if (!group->isVisible()) continue;
      int rows = grid->horizontalHeader()->isVisible() ? grid->horizontalHeader()->height() : 0;
      for (int row = 0; row < grid->rowCount(); ++row) rows += grid->rowHeight(row);
      if (grid->height() < rows ||
          grid->mapTo(group, QPoint(0, grid->height())).y() > group->height()) {
        return false;
      }
    }
    return true;
  };
  EXPECT_TRUE(fits());
  Pick(window.get(), "cmbRegType", 0);
  EXPECT_TRUE(fits());
  Pick(window.get(), "cmbAppType", 0);
  EXPECT_TRUE(fits());
  dialogs_.answers = {IDYES};
  Pick(window.get(), "cmbRegType", 2);
  Pick(window.get(), "cmbAppType", 0);
  EXPECT_TRUE(fits());
}

TEST_F(MainWindowTest, NoToAChangeOfKindRestoresTheSelectionAndKeepsThePacket) {
  auto window = Start();
  Pick(window.get(), "cmbRegType", 0);
  Pick(window.get(), "cmbAppType", 0);
  TPacket* packet = window->Packet.get();

  dialogs_.answers = {IDNO};
  Pick(window.get(), "cmbRegType", 1);
  EXPECT_EQ(Selected(window.get(), "cmbRegType"), kIP);
  dialogs_.answers = {IDNO};
  Pick(window.get(), "cmbAppType", 2);
  EXPECT_EQ(Selected(window.get(), "cmbAppType"), kIPKind);
  dialogs_.answers = {IDNO};
  Find<QAction>(window.get(), "ActionNewPacket")->trigger();
  EXPECT_EQ(dialogs_.Texts().size(), 3u);
  EXPECT_EQ(window->State, kStateNewIP);
  EXPECT_EQ(window->Packet.get(), packet);
  EXPECT_EQ(ParamRows(window.get()).at(1).second, kIPKind);
}

TEST_F(MainWindowTest, SavedLastValuesComeFromTheParametersAndTheFirstApplicantRow) {
  auto window = Start();
  Pick(window.get(), "cmbRegType", 1);
  Pick(window.get(), "cmbAppType", 0);
  auto* grid = Find<QTableWidget>(window.get(), "sgDeclarants");
  const char* typed[] = {"Петров", "Пётр", "", "500100732259", "p@example.ru"};
  for (int column = 0; column < 5; ++column) {
    grid->setItem(0, column, new QTableWidgetItem(ToQt(typed[column])));
  }
  window->Params.SetValue("КОДНО", "7746", 1);
  window->Params.SetValue("ОГРН", "1027700132195", 1);
  window->Params.SetValue("QUERYCODE", "", 0);  // fixed values are not kept
  window->SaveLastValues();
  EXPECT_EQ(IniText(),
            "[QUENDA_SETUP]\nКОДНО=7746\nКОДРЕШОРГ=\nФамилия=Петров\nИмя=Пётр\nОтчество=\n"
            "ИННФЛ=500100732259\nE-MAIL=p@example.ru\nОГРНИП=\nОГРН=1027700132195\nНАИМЮЛПОЛН=\n");

  // Without an applicant row only the parameters are written.
  fs::remove(SysPath(IniPath()));
  grid->setRowCount(0);
  window->SaveLastValues();
  EXPECT_EQ(IniText(),
            "[QUENDA_SETUP]\nКОДНО=7746\nКОДРЕШОРГ=\nОГРНИП=\nОГРН=1027700132195\nНАИМЮЛПОЛН=\n");
}

TEST_F(MainWindowTest, ALastValuesFileThatCannotBeWrittenIsReportedOnce) {
  auto window = Start();
  window->Params.SetValue("КОДНО", "7746", 1);
  // Root writes into read-only folders: the path itself must be unusable.
  const struct {
    const char* how;
    std::string ini;
    const char* reason;
  } cases[] = {
      {"a folder", Utf8ToAnsi(ini_.File(AnsiToUtf8("папка.ini"))), "Неверно задано имя папки."},
      {"under a file", Utf8ToAnsi(ini_.File(AnsiToUtf8("файл"))) + "/TarvexEdit.ini",
       "Системе не удается найти указанный путь."},
  };
  fs::create_directory(SysPath(cases[0].ini));
  WriteBytes(ini_.File(AnsiToUtf8("файл")), "");
  for (const auto& one : cases) {
    dialogs_.boxes.clear();
    window->Params.SetValue("INIFILE", one.ini, 1);
    window->SaveLastValues();
    ASSERT_EQ(dialogs_.boxes.size(), 1u) << one.how;
    EXPECT_EQ(dialogs_.boxes[0].type, MB_OK | MB_ICONWARNING) << one.how;
    EXPECT_EQ(dialogs_.boxes[0].text,
              "Не удалось записать параметры в файл " + one.ini + ": " + one.reason);
  }
  EXPECT_TRUE(fs::is_empty(SysPath(cases[0].ini)));
}

class OpenPackageTest : public WindowTest {
 protected:
  // Opens the package through the open action's dialog.
  void Open(TfmQuendaMain* window, const std::string& path) {
    dialogs_.files = {path};
    Find<QAction>(window, "ActionOpenPacket")->trigger();
  }
  std::string StatusFile(QWidget* window) const {
    return FromQt(Find<QLabel>(window, "sbMainPanel1")->text());
  }
  // How often the file (cp1251 path) is opened while `work` runs.
  static int OpeningsOf(const std::string& path, const std::function<void()>& work) {
    const int watch = inotify_init1(IN_NONBLOCK);
    EXPECT_GE(watch, 0);
    // Closings are watched too: inotify merges a repeated event that waits
    // unread, and an opening follows a closing.
    EXPECT_GE(inotify_add_watch(watch, SysPath(path).c_str(), IN_OPEN | IN_CLOSE), 0);
    work();
    int openings = 0;
    alignas(inotify_event) char events[4096];
    for (ssize_t size; (size = read(watch, events, sizeof events)) > 0;) {
      for (ssize_t at = 0; at < size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        if ((event->mask & IN_OPEN) != 0) ++openings;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    close(watch);
    return openings;
  }

  // A package of that many documents written by many_documents.py, signed
  // with copies of the signature of `signed_package` unless it is empty.
  std::string ManyDocuments(int documents, const std::string& signed_package) {
    const std::string path = Utf8ToAnsi(packages_.File("many.zip"));
    const CommandResult made =
        RunCommand("python3 '" TARVEX_TEST_DIR "/many_documents.py' " + std::to_string(documents) +
                   " " + Quoted(SysPath(path)) +
                   (signed_package.empty() ? "" : " " + Quoted(SysPath(signed_package))));
    EXPECT_EQ(made.status, 0) << made.output;
    return path;
  }

  SavedPackages saved_{packages_};
};

TEST_F(OpenPackageTest, AnEntrepreneursPackageShowsItsKindsOfficeApplicantAndDocuments) {
  const std::string path = saved_.Entrepreneur();
  auto window = Start();
  Open(window.get(), path);
  ASSERT_TRUE(dialogs_.boxes.empty()) << AnsiToUtf8(dialogs_.boxes[0].text);
  ASSERT_EQ(dialogs_.file_requests.size(), 1u);
  EXPECT_EQ(dialogs_.file_requests[0].filter, "Файлы пакетов (*.zip)|*.zip");
  EXPECT_EQ(window->State, kStateOpenedIP);
  EXPECT_NE(dynamic_cast<TNewIPPacket*>(window->Packet.get()), nullptr);
  EXPECT_EQ(ParamRows(window.get()), (Rows{{"Вид заявителя", kIP},
                                           {"Вид заявления", kIPKind},
                                           {kPaper, "выслать документы по почте"},
                                           {kOffice, "МИФНС России № 46 по г. Москве"},
                                           {"ОГРНИП", ""}}));
  EXPECT_EQ(window->Params.GetValue("КОДСФРД"), "21001");
  EXPECT_EQ(window->Params.GetValue("QUERYCODE"), "2");
  EXPECT_EQ(window->Params.GetFlag("КОДНО"), 1);
  EXPECT_EQ(Applicants(window.get()),
            (Table{{"Иванов", "Иван", "Иванович", "500100732259", "ivanov@example.ru"}}));
  const std::string signer = "Иванов Иван Иванович";
  EXPECT_EQ(Documents(window.get()), (Table{{"Заявление по форме Р21001", "заявление.pdf", signer},
                                            {"Копия паспорта", "паспорт.pdf", signer}}));
  auto* first = Find<QTreeWidget>(window.get(), "lvDocs")->topLevelItem(0);
  EXPECT_EQ(TfmQuendaMain::DocOf(first)->PackageIndex, 0);
  EXPECT_EQ(TfmQuendaMain::DocOf(first)->DocTypeCode, "01");
  EXPECT_EQ(StatusFile(window.get()), ExtractFileName(path));
  EXPECT_TRUE(Find<QAction>(window.get(), "ActionNewPacket")->isEnabled());
}

TEST_F(OpenPackageTest, ALegalEntitysPackageShowsItsDecisionOfficeAndEveryApplicant) {
  const std::string path = saved_.LegalEntity();
  auto window = Start();
  Open(window.get(), path);
  ASSERT_TRUE(dialogs_.boxes.empty()) << AnsiToUtf8(dialogs_.boxes[0].text);
  EXPECT_EQ(window->State, kStateOpenedUL);
  EXPECT_EQ(ParamRows(window.get()),
            (Rows{{"Вид заявителя", "Некоммерческая организация"},
                  {"Вид заявления", "Регистрация некоммерческой организации при создании"},
                  {kPaper, "не предоставлять"},
                  {"Орган, принимающий решение", "ГУ Минюста России по Москве"},
                  {kOffice, "МИФНС России № 46 по г. Москве"},
                  {"Полное наименование ЮЛ", "Автономная некоммерческая организация \"Ромашка\""},
                  {"ОГРН", ""}}));
  EXPECT_EQ(Applicants(window.get()),
            (Table{{"Иванов", "Иван", "Иванович", "500100732259", "ivanov@example.ru"},
                   {"Петров", "Пётр", "", "", "petrov@example.ru"}}));
  EXPECT_EQ(Documents(window.get()).size(), 2u);
  EXPECT_EQ(Documents(window.get())[1][0], "Устав");
}

TEST_F(OpenPackageTest, APackageOfAnotherTransactionShowsItsIdentifiersAndFiles) {
  const std::string path = saved_.Receipt();
  auto window = Start();
  Open(window.get(), path);
  ASSERT_TRUE(dialogs_.boxes.empty()) << AnsiToUtf8(dialogs_.boxes[0].text);
  EXPECT_EQ(window->State, kStateOpenedOther);
  EXPECT_EQ(ParamRows(window.get()), (Rows{{"Идентификатор отправителя", "7746"},
                                           {"Идентификатор получателя", "500100732259"}}));
  EXPECT_FALSE(Find<QGroupBox>(window.get(), "gbDeclarants")->isVisible());
  EXPECT_EQ(Documents(window.get()), (Table{{"РаспискаПриемДокум", "расписка.pdf", ""}}));
}

TEST_F(OpenPackageTest, FailuresLeaveTheErrorStateWithTheirMessage) {
  std::string unlisted;
  // An inventory that declares an entity, the means of expanding a small
  // file into gigabytes, is refused by its name.
  const std::string declaring = "OP_REGRIP_20261211_1.xml";
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {saved_.WithoutInventory(), "Опись документов не найдена."},
      {saved_.WithUnlistedDocument(unlisted), "В описи не найден документ [" + unlisted + "]"},
      {saved_.WithInventory(declaring,
                            "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"
                            "<!DOCTYPE Файл [<!ENTITY e \"21001\">]><Файл КодСФРД=\"&e;\" "
                            "КодНО=\"7746\"/>"),
       "Ошибка загрузки описи: Невозможно загрузить опись [" + declaring +
           "]: документ объявляет сущность [e], а объявления сущностей не допускаются"},
  };
  for (const auto& c : cases) {
    auto window = Start();
    Open(window.get(), c.path);
    EXPECT_EQ(dialogs_.Texts(), Texts{"Ошибка открытия пакета:\r\n" + c.message});
    EXPECT_EQ(window->State, kStateError);
    EXPECT_FALSE(Find<QWidget>(window.get(), "pnlRight")->isVisible());
    EXPECT_EQ(StatusFile(window.get()), "");
    EXPECT_TRUE(Find<QAction>(window.get(), "ActionNewPacket")->isEnabled());
  }
}

TEST_F(OpenPackageTest, CancellingTheDialogChangesNothing) {
  auto window = Start();
  Pick(window.get(), "cmbRegType", 0);
  Pick(window.get(), "cmbAppType", 0);
  TPacket* packet = window->Packet.get();
  Find<QAction>(window.get(), "ActionOpenPacket")->trigger();
  EXPECT_EQ(window->State, kStateNewIP);
  EXPECT_EQ(window->Packet.get(), packet);
  // The new packet's work goes only once a file is chosen, after a Yes.
  EXPECT_EQ(dialogs_.Texts(), Texts{kOpenQuestion});
  EXPECT_EQ(dialogs_.file_requests.size(), 1u);
}

TEST_F(OpenPackageTest, OpeningOverTheWorkInHandAsksFirstAndNoKeepsIt) {
  const std::string path = saved_.Entrepreneur();
  const std::string receipt = saved_.Receipt();
  auto window = Start();
  Pick(window.get(), "cmbRegType", 2);
  Pick(window.get(), "cmbAppType", 0);
  TPacket* packet = window->Packet.get();
  const Table documents = Documents(window.get());
  dialogs_.answers = {IDNO};
  Open(window.get(), path);
  EXPECT_EQ(dialogs_.Texts(), Texts{kOpenQuestion});
  EXPECT_TRUE(dialogs_.file_requests.empty());
  EXPECT_EQ(window->State, kStateNewUL);
  EXPECT_EQ(window->Packet.get(), packet);
  EXPECT_EQ(Documents(window.get()), documents);

  dialogs_.answers = {IDYES};
  Open(window.get(), path);
  EXPECT_EQ(dialogs_.Texts(), Texts{kOpenQuestion});
  EXPECT_EQ(window->State, kStateOpenedIP);
  // An opened registration package may be changed and formed again.
  dialogs_.answers = {IDNO};
  Open(window.get(), receipt);
  EXPECT_EQ(dialogs_.Texts(), Texts{kOpenQuestion});
  EXPECT_EQ(window->State, kStateOpenedIP);
  EXPECT_EQ(dialogs_.file_requests.size(), 1u);
}

TEST_F(OpenPackageTest, OpeningAsksNothingWhereNoWorkCouldBeLost) {
  const std::string path = saved_.Entrepreneur();
  const std::string receipt = saved_.Receipt();
  std::string unlisted;
  const std::string broken = saved_.WithUnlistedDocument(unlisted);
  const struct {
    const char* name;
    std::function<std::unique_ptr<TfmQuendaMain>()> start;
  } cases[] = {
      {"nothing chosen", [&] { return Start(); }},
      {"a received package",
       [&] {
         auto window = Start();
         Open(window.get(), receipt);
         return window;
       }},
      {"a failed opening",
       [&] {
         auto window = Start();
         Open(window.get(), broken);
         return window;
       }},
      {"viewing only",
       [&] {
         dialogs_.files = {path};
         return Start([](TfmQuendaMain& window) { window.Mode = kModeOpen; });
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto window = c.start();
    dialogs_.boxes.clear();
    dialogs_.file_requests.clear();
    Open(window.get(), path);
    EXPECT_TRUE(dialogs_.boxes.empty()) << AnsiToUtf8(dialogs_.boxes[0].text);
    EXPECT_EQ(dialogs_.file_requests.size(), 1u);
    EXPECT_EQ(window->State, kStateOpenedIP);
  }
}

TEST_F(OpenPackageTest, APackageFileIsReadOnceWhateverItsTransaction) {
  for (const std::string& path : {saved_.Entrepreneur(), saved_.Receipt()}) {
    auto window = Start();
    EXPECT_EQ(OpeningsOf(path, [&] { Open(window.get(), path); }), 1) << AnsiToUtf8(path);
    EXPECT_TRUE(dialogs_.boxes.empty()) << AnsiToUtf8(dialogs_.boxes[0].text);
  }
}

// The window reads a package's documents in time linear in their number,
// as the library does: a look-up over every document for each document,
// or for each signature, once made such a package take minutes. The
// library's own opening, the larger part, is the measure; each side's
// fastest of three runs is compared, as other work on the machine only
// slows a run down.
TEST_F(OpenPackageTest, APackageOfManyDocumentsOpensInLittleMoreThanTheLibrarysTime) {
  constexpr int kDocuments = 10000;
  const std::string path = ManyDocuments(kDocuments, saved_.Entrepreneur());
  using Clock = std::chrono::steady_clock;
  // The fastest of three runs of `open`, each after an untimed `prepare`.
  auto fastest = [](const std::function<void()>& prepare, const std::function<void()>& open) {
    Clock::duration best = Clock::duration::max();
    for (int run = 0; run < 3; ++run) {
      prepare();
      const Clock::time_point started = Clock::now();
      open();
      best = std::min(best, Clock::now() - started);
    }
    return best;
  };
  TPacket alone;
  const Clock::duration library = fastest([] {},
                                          [&] {
                                            std::string message;
                                            ASSERT_TRUE(alone.OpenPacket(path, message))
                                                << AnsiToUtf8(message);
                                          });
  // The window's start is not part of its opening.
  std::unique_ptr<TfmQuendaMain> window;
  const Clock::duration opening =
      fastest([&] { window = Start(); }, [&] { Open(window.get(), path); });
  ASSERT_TRUE(dialogs_.boxes.empty()) << AnsiToUtf8(dialogs_.boxes[0].text);
  EXPECT_EQ(window->State, kStateOpenedIP);
  const Table rows = Documents(window.get());
  ASSERT_EQ(rows.size(), kDocuments - 1u);
  const std::string signer = "Иванов Иван Иванович";
  EXPECT_EQ(rows.front(), (Texts{"Заявление по форме Р21001", "документ0.pdf", signer}));
  EXPECT_EQ(rows.back(), (Texts{"Копия паспорта", "документ9998.pdf", signer}));
  auto* last = Find<QTreeWidget>(window.get(), "lvDocs")->topLevelItem(kDocuments - 2);
  EXPECT_EQ(TfmQuendaMain::DocOf(last)->PackageIndex, kDocuments - 2);
  EXPECT_LT(opening, 5 * library / 2)
      << std::chrono::duration<double>(opening).count() << " s against "
      << std::chrono::duration<double>(library).count() << " s";
}

// Deleting a document walks the package's files once to find it and once
// to find every row's again, and moving over the rows walks it no more: a
// walk for every row once froze the window for half a minute over 10,000
// documents. The library's calls are counted, as a time would depend on
// the machine.
TEST_F(OpenPackageTest, DeletingOneOfManyDocumentsWalksThePackageAFewTimes) {
  constexpr int kDocuments = 10000;
  const std::string path = ManyDocuments(kDocuments, "");
  auto window = Start();
  Open(window.get(), path);
  ASSERT_TRUE(dialogs_.boxes.empty()) << AnsiToUtf8(dialogs_.boxes[0].text);
  CountingPackage* package = CountingPackage::Wrap(window->Packet->Package);
  auto* list = Find<QTreeWidget>(window.get(), "lvDocs");
  list->setFocus();
  list->setCurrentItem(list->topLevelItem(1));
  dialogs_.answers = {IDYES};
  Find<QAction>(window.get(), "ActionDeleteDoc")->trigger();
  EXPECT_EQ(dialogs_.Texts(), Texts{"Вы действительно хотите удалить документ из пакета?"});
  ASSERT_EQ(list->topLevelItemCount(), kDocuments - 2);
  EXPECT_LE(package->files_asked, 3 * kDocuments);

  package->files_asked = 0;
  for (int row = 0; row < 100; ++row) list->setCurrentItem(list->topLevelItem(row));
  EXPECT_LE(package->files_asked, 100);
  // The rows after the deleted one reach their own documents.
  const TRegDoc& last = *TfmQuendaMain::DocOf(list->topLevelItem(kDocuments - 3));
  EXPECT_EQ(window->Packet->IndexOfFileByDocumentCode(last.DocumentCode), kDocuments - 3);
  EXPECT_EQ(last.PackageIndex, kDocuments - 3);
}

// Delete and the arrows work on the first applicant without a click.
TEST_F(OpenPackageTest, TheFirstApplicantOfAnOpenedPackageIsCurrent) {
  auto window = Start();
  Open(window.get(), saved_.LegalEntity());
  auto* grid = Find<QTableWidget>(window.get(), "sgDeclarants");
  EXPECT_EQ(grid->currentRow(), 0);
  EXPECT_EQ(Shown(window.get()), "");
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_EQ(Applicants(window.get()), (Table{{"Петров", "Пётр", "", "", "petrov@example.ru"}}));
}

}  // namespace
