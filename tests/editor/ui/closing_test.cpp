// Closing the main window, by the menu's "Выход" and by the window
// manager: over work changed since the packet was created, opened or last
// formed it asks first, and No keeps the window, the packet and the work
// folder; where nothing was changed it closes at once.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QWindow>
#include <filesystem>
#include <functional>

#include "editor/ui/work_folder.h"
#include "tests/editor/ui/modal_dialog.h"
#include "tests/editor/ui/packet_window.h"
#include "tests/editor/ui/saved_packages.h"

namespace {

namespace fs = std::filesystem;

using Texts = std::vector<std::string>;
using Table = std::vector<std::vector<std::string>>;

const char kCloseQuestion[] =
    "При закрытии программы несохраненные данные будут потеряны. Продолжить?";

enum class Way { kMenu, kWindowManager };

const char* NameOf(Way way) { return way == Way::kMenu ? "Пакет - Выход" : "the window manager"; }

// What the window shows of the work, and the package's file of each row:
// its code, content and number of signatures.
struct WorkView {
  Rows params;
  Table applicants;
  Table documents;
  Table files;
  bool operator==(const WorkView&) const = default;
};

class ClosingTest : public PacketWindowTest {
 protected:
  void SetUp() override {
    PacketWindowTest::SetUp();
    saved_.UseSigner(signer_);
  }

  // The window manager's close comes to the window as the platform's close
  // of its native window.
  static void Close(TfmQuendaMain* window, Way way) {
    if (way == Way::kMenu) {
      Find<QAction>(window, "NExit")->trigger();
    } else {
      window->windowHandle()->close();
    }
  }
  static WorkView View(TfmQuendaMain* window) {
    Table files;
    for (int row = 0; row < List(window)->topLevelItemCount(); ++row) {
      const int32_t file = FileOf(window, row);
      files.push_back({Row(window, row).DocumentCode, file < 0 ? "" : Content(window, file),
                       file < 0 ? "" : std::to_string(Signatures(window, row))});
    }
    return {ParamRows(window), Applicants(window), Documents(window), files};
  }

  std::unique_ptr<TfmQuendaMain> Opened(const std::string& package) {
    auto window = Start();
    dialogs_.files = {package};
    Run(window.get(), "ActionOpenPacket");
    EXPECT_EQ(dialogs_.Texts(), Texts{});
    return window;
  }
  // Attached, signed and formed into a folder of the test's.
  std::unique_ptr<TfmQuendaMain> Formed() {
    auto window = StartEntrepreneur();
    Attach(window.get(), 0, Input("заявление.pdf", "%PDF-1.4 заявление"));
    Sign(window.get(), 0);
    dialogs_.folders = {Utf8ToAnsi(out_.Path())};
    Run(window.get(), "ActionSavePacket");
    EXPECT_EQ(dialogs_.Texts().size(), 1u);  // the package's name
    EXPECT_FALSE(window->Packet->PackageFileName.empty());
    return window;
  }
  // A legal entity's statement attached and formed unsigned: No to the
  // question whether to sign it.
  std::unique_ptr<TfmQuendaMain> FormedUnsigned() {
    auto window = StartLegalEntity();
    Attach(window.get(), 0, Input("заявление.pdf", "%PDF-1.4 заявление"));
    dialogs_.answers = {IDNO};
    dialogs_.folders = {Utf8ToAnsi(out_.Path())};
    Run(window.get(), "ActionSavePacket");
    const Texts texts = dialogs_.Texts();
    EXPECT_EQ(texts.size(), 2u);  // the question, and the package's name
    EXPECT_FALSE(window->Packet->PackageFileName.empty());
    EXPECT_EQ(Signatures(window.get(), 0), 0);
    return window;
  }
  // Every cell clicked in turn, so that each editor opens and is left
  // again; nothing is typed. A click gives the grid the focus first.
  static void LookAtEveryCell(TfmQuendaMain* window) {
    for (QTableWidget* grid :
         {Find<QTableWidget>(window, "sgParams"), Find<QTableWidget>(window, "sgDeclarants")}) {
      for (int row = 0; row < grid->rowCount(); ++row) {
        for (int column = grid->columnCount() == 2 ? 1 : 0; column < grid->columnCount();
             ++column) {
          grid->setFocus();
          grid->setCurrentCell(row, column);
        }
      }
    }
  }
  // Views, checks and extracts the row's document. Without the test PKI's
  // authorities in the stores the check fails, which changes nothing either.
  void ReadDocument(TfmQuendaMain* window, int row) {
    SelectRow(window, row);
    Run(window, "ActionOpenFile");
    {
      const ModalGuard guard;
      SelectRow(window, row);
      Run(window, "ActionCheckSign");
    }
    dialogs_.Texts();
    SelectRow(window, row);
    // A folder of its own: a file left by an earlier reading would be asked about.
    const TempDir extract;
    dialogs_.folders = {Utf8ToAnsi(extract.Path())};
    Run(window, "ActionExtractDoc");
    EXPECT_EQ(dialogs_.Texts(), Texts{"Документ и подписи извлечены."});
  }

  SavedPackages saved_{packages_};
  TempDir out_;
};

TEST_F(ClosingTest, NoOverChangedWorkKeepsTheWindowPacketAndWorkFolderAndYesCloses) {
  for (const Way way : {Way::kMenu, Way::kWindowManager}) {
    SCOPED_TRACE(NameOf(way));
    auto window = StartEntrepreneur();
    const std::string source = Input("заявление.pdf", "%PDF-1.4 заявление");
    Attach(window.get(), 0, source);
    // Viewing puts the document into the work folder, which closing clears.
    SelectRow(window.get(), 0);
    Run(window.get(), "ActionOpenFile");
    const std::string viewed = SysPath(window->GetWorkFolder() + "заявление.pdf");
    ASSERT_TRUE(fs::exists(viewed));
    // A surname typed and left in its editor is part of the work.
    auto* applicants = Find<QTableWidget>(window.get(), "sgDeclarants");
    applicants->setCurrentCell(0, 0);
    Find<QLineEdit>(window.get(), "edSurname")->setText(ToQt("Петров"));
    const TPacket* packet = window->Packet.get();
    const std::string code = Row(window.get(), 0).DocumentCode;
    ASSERT_EQ(dialogs_.Texts(), Texts{});

    dialogs_.answers = {IDNO};
    Close(window.get(), way);
    ASSERT_EQ(dialogs_.boxes.size(), 1u);
    EXPECT_EQ(dialogs_.boxes[0].type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(dialogs_.Texts(), Texts{kCloseQuestion});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->State, kStateNewIP);
    EXPECT_EQ(window->Packet.get(), packet);
    EXPECT_EQ(Cell(applicants, 0, 0), "Петров");
    EXPECT_EQ(Documents(window.get()), (Table{{"Заявление по форме Р21001", source, ""}}));
    EXPECT_EQ(Row(window.get(), 0).DocumentCode, code);
    EXPECT_EQ(Files(window.get()), 1);
    EXPECT_EQ(ReadBytes(viewed), "%PDF-1.4 заявление");

    // Asked again, Yes closes and clears the work folder.
    dialogs_.answers = {IDYES};
    Close(window.get(), way);
    EXPECT_EQ(dialogs_.Texts(), Texts{kCloseQuestion});
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(fs::exists(viewed));
  }
}

TEST_F(ClosingTest, EachKindOfChangeMakesClosingAsk) {
  enum Base {
    kNewEntrepreneur,
    kNewLegalEntity,
    kOpenedEntrepreneur,
    kOpenedLegalEntity,
    kFormed,
    kFormedUnsigned
  };
  const struct {
    const char* change;
    Base base;
    std::function<void(TfmQuendaMain*)> make;
  } cases[] = {
      {"the entity's name typed", kNewLegalEntity,
       [](TfmQuendaMain* w) {
         Enter(w, Find<QTableWidget>(w, "sgParams"), 5, 1, "АНО \"Лютик\"");
       }},
      {"a paper return kind chosen", kNewEntrepreneur,
       [](TfmQuendaMain* w) {
         Choose(w, Find<QTableWidget>(w, "sgParams"), 2, "выслать документы по почте");
       }},
      {"an applicant's patronymic typed", kOpenedEntrepreneur,
       [](TfmQuendaMain* w) { Enter(w, Find<QTableWidget>(w, "sgDeclarants"), 0, 2, "Петрович"); }},
      {"an applicant's name typed after forming", kFormed,
       [](TfmQuendaMain* w) { Enter(w, Find<QTableWidget>(w, "sgDeclarants"), 0, 1, "Пётр"); }},
      {"the entity's name left in its editor", kNewLegalEntity,
       [](TfmQuendaMain* w) {
         Find<QTableWidget>(w, "sgParams")->setCurrentCell(5, 1);
         Find<QComboBox>(w, "cmbOrgName")->setEditText(ToQt("АНО \"Лютик\""));
       }},
      {"an applicant added", kNewLegalEntity,
       [](TfmQuendaMain* w) {
         auto* grid = Find<QTableWidget>(w, "sgDeclarants");
         grid->setCurrentCell(0, 0);
         QTest::keyClick(grid, Qt::Key_Down);
         EXPECT_EQ(grid->rowCount(), 2);
       }},
      {"an applicant deleted", kOpenedLegalEntity,
       [](TfmQuendaMain* w) {
         auto* grid = Find<QTableWidget>(w, "sgDeclarants");
         grid->setCurrentCell(1, 0);
         QTest::keyClick(grid, Qt::Key_Delete);
         EXPECT_EQ(grid->rowCount(), 1);
       }},
      {"a document added", kNewEntrepreneur,
       [](TfmQuendaMain* w) { AddDocuments(w, {"Копия паспорта"}); }},
      {"a document deleted", kOpenedEntrepreneur,
       [this](TfmQuendaMain* w) {
         SelectRow(w, 1);
         dialogs_.answers = {IDYES};
         Run(w, "ActionDeleteDoc");
       }},
      {"a file attached", kNewEntrepreneur,
       [this](TfmQuendaMain* w) { Attach(w, 0, Input("заявление.pdf", "%PDF-1.4")); }},
      {"a file attached again from its path, changed there, after forming", kFormedUnsigned,
       [this](TfmQuendaMain* w) {
         Attach(w, 0, Input("заявление.pdf", "%PDF-1.4 заявление, исправленное"));
       }},
      {"a file attached again from its path, unchanged, after forming", kFormedUnsigned,
       [this](TfmQuendaMain* w) { Attach(w, 0, Input("заявление.pdf", "%PDF-1.4 заявление")); }},
      {"a signed file attached again after forming", kFormed,
       [this](TfmQuendaMain* w) {
         dialogs_.answers = {IDYES};  // its signature goes
         Attach(w, 0, Input("заявление.pdf", "%PDF-1.4 заявление"));
       }},
      {"a signature added after forming", kFormedUnsigned,
       [this](TfmQuendaMain* w) { Sign(w, 0); }},
      {"a signature deleted after forming", kFormed,
       [](TfmQuendaMain* w) { DeleteFirstSignature(w, 0); }},
      {"a signature added", kOpenedLegalEntity,
       [this](TfmQuendaMain* w) {
         w->Params.SetValue("SENDERSHA1", ImportSigner("signer2"), 1);
         Sign(w, 0);
       }},
      {"a signature deleted", kOpenedEntrepreneur,
       [](TfmQuendaMain* w) { DeleteFirstSignature(w, 0); }},
  };
  const std::string entrepreneur = saved_.Entrepreneur();
  const std::string legal_entity = saved_.LegalEntity();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.change);
    std::unique_ptr<TfmQuendaMain> window;
    switch (c.base) {
      case kNewEntrepreneur: window = StartEntrepreneur(); break;
      case kNewLegalEntity: window = StartLegalEntity(); break;
      case kOpenedEntrepreneur: window = Opened(entrepreneur); break;
      case kOpenedLegalEntity: window = Opened(legal_entity); break;
      case kFormed: window = Formed(); break;
      case kFormedUnsigned: window = FormedUnsigned(); break;
    }
    const WorkView before = View(window.get());
    c.make(window.get());
    dialogs_.Texts();
    dialogs_.answers = {IDNO};
    Close(window.get(), Way::kMenu);
    EXPECT_EQ(dialogs_.Texts(), Texts{kCloseQuestion});
    EXPECT_TRUE(window->isVisible());
    // The change is there, and No kept it.
    EXPECT_FALSE(View(window.get()) == before);
    dialogs_.answers = {IDYES};
    Close(window.get(), Way::kMenu);
    EXPECT_EQ(dialogs_.Texts(), Texts{kCloseQuestion});
    EXPECT_FALSE(window->isVisible());
  }
}

// The applicant or application kind in force, picked again in its cell,
// asks nothing and keeps the packet and the work as they were: an opened
// package still closes unasked, a filled packet still asks.
TEST_F(ClosingTest, PickingTheKindInForceAgainAsksNothingAndKeepsTheWork) {
  const struct {
    const char* work;
    std::function<std::unique_ptr<TfmQuendaMain>()> start;
    bool changed;
  } bases[] = {
      {"a legal entity's packet filled in",
       [this] {
         auto window = StartLegalEntity();
         Attach(window.get(), 0, Input("заявление.pdf", "%PDF-1.4 заявление"));
         Enter(window.get(), Find<QTableWidget>(window.get(), "sgDeclarants"), 0, 2, "Петрович");
         return window;
       },
       true},
      {"an entrepreneur's package opened", [this] { return Opened(saved_.Entrepreneur()); }, false},
      {"a legal entity's package opened", [this] { return Opened(saved_.LegalEntity()); }, false},
  };
  for (const auto& base : bases) {
    for (const auto& [row, combo] : {std::pair(0, "cmbRegType"), std::pair(1, "cmbAppType")}) {
      SCOPED_TRACE(std::string(base.work) + ", " + combo);
      auto window = base.start();
      const TPacket* packet = window->Packet.get();
      const uint8_t state = window->State;
      const WorkView before = View(window.get());
      dialogs_.Texts();
      Choose(window.get(), Find<QTableWidget>(window.get(), "sgParams"), row,
             Selected(window.get(), combo));
      EXPECT_EQ(dialogs_.Texts(), Texts{});
      EXPECT_EQ(window->Packet.get(), packet);
      EXPECT_EQ(window->State, state);
      EXPECT_TRUE(View(window.get()) == before);

      dialogs_.answers = {IDNO};
      Close(window.get(), Way::kMenu);
      EXPECT_EQ(dialogs_.Texts(), base.changed ? Texts{kCloseQuestion} : Texts{});
      EXPECT_EQ(window->isVisible(), base.changed);
    }
  }
}

TEST_F(ClosingTest, NothingChangedSinceStartOpeningOrFormingClosesWithoutAsking) {
  const struct {
    const char* work;
    std::function<std::unique_ptr<TfmQuendaMain>()> start;
  } cases[] = {
      {"a fresh start", [this] { return Start(); }},
      {"a packet just made, its cells looked at",
       [this] {
         auto window = StartLegalEntity();
         LookAtEveryCell(window.get());
         return window;
       }},
      {"a package just formed", [this] { return Formed(); }},
      {"a package just formed unsigned", [this] { return FormedUnsigned(); }},
      {"an entrepreneur's package opened, read and its cells looked at",
       [this] {
         auto window = Opened(saved_.Entrepreneur());
         ReadDocument(window.get(), 0);
         LookAtEveryCell(window.get());
         return window;
       }},
      {"a legal entity's package opened and its applicants looked at",
       [this] {
         auto window = Opened(saved_.LegalEntity());
         LookAtEveryCell(window.get());
         return window;
       }},
      {"a receipt opened and viewed",
       [this] {
         auto window = Opened(saved_.Receipt());
         SelectRow(window.get(), 0);
         Run(window.get(), "ActionOpenFile");
         return window;
       }},
  };
  for (const auto& c : cases) {
    for (const Way way : {Way::kMenu, Way::kWindowManager}) {
      SCOPED_TRACE(std::string(c.work) + ", " + NameOf(way));
      auto window = c.start();
      dialogs_.Texts();
      const std::string work = SysPath(window->GetWorkFolder());
      Close(window.get(), way);
      EXPECT_EQ(dialogs_.Texts(), Texts{});
      EXPECT_FALSE(window->isVisible());
      EXPECT_FALSE(fs::exists(work));
    }
  }
}

}  // namespace
