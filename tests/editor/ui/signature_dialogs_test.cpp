// The signature information and signature-editing dialogs over a real
// package: documents signed through the library with keys of the test PKI
// and one made here whose subject lists CN first.
#include <QListWidget>
#include <QPushButton>

#include "editor/model/packet.h"
#include "editor/ui/fm_edit_sign.h"
#include "editor/ui/fm_sign_info_ex.h"
#include "editor/ui/signature_key.h"
#include "editor/ui/value_list.h"
#include "tests/editor/model/signer_support.h"
#include "tests/editor/ui/modal_dialog.h"
#include "tests/editor/ui/window_fixture.h"

namespace {

// How the library reports the test PKI's intermediate authority.
const char kTestIssuer[] = "2.5.4.6=RU, 2.5.4.10=Тарвекс тест, 2.5.4.3=Тестовый УЦ";

class SignatureDialogsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    signer_ = ImportSigner("signer");
    signer2_ = ImportSigner("signer2");
    MakeSigner("a", "/CN=A/O=B/C=RU");
    packet_.TransactionType = TRANSACTION_TYPE_IP_REG_IP;
    std::string message;
    ASSERT_TRUE(packet_.NewPacket(message)) << AnsiToUtf8(message);
  }

  // A self-signed key and certificate of `subject`, put in as "<name>"; its
  // thumbprint in a_.
  void MakeSigner(const std::string& name, const std::string& subject) {
    const std::string in = "cd '" + pki_.Path() + "' && openssl ";
    const std::string commands[] = {
        "genpkey -algorithm gost2001 -pkeyopt paramset:A -out " + name + ".key",
        "req -x509 -new -key " + name + ".key -subj '" + subject + "' -days 30 -md_gost94 -out " +
            name + ".pem",
        "x509 -in " + name + ".pem -outform DER -out " + name + ".cer",
    };
    for (const std::string& command : commands) {
      ASSERT_EQ(0, RunCommand(in + command + " -engine gost 2>/dev/null >/dev/null").status)
          << command;
    }
    ASSERT_EQ(0, ImportKeyFiles(name, pki_.File(name + ".key"), pki_.File(name + ".pem")));
    a_ = OpensslSha1(pki_.File(name + ".cer"));
  }

  // A new document signed by each of `signers` in turn, with the signer
  // role `role` (0: the issuer's); its package index.
  int32_t Document(const std::vector<std::string>& signers, uint16_t role = 0) {
    const std::string path =
        Utf8ToAnsi(packages_.File("doc" + std::to_string(++documents_) + ".pdf"));
    WriteBytes(SysPath(path), "%PDF-1.4 документ");
    std::string message;
    const int32_t index =
        packet_.AddDocumentSafe(path, "03", "02001", "Паспорт", false, 0, message);
    EXPECT_GE(index, 0) << AnsiToUtf8(message);
    for (const std::string& sha1 : signers) {
      packet_.SignerRole = role;
      EXPECT_TRUE(packet_.SignDocumentSafe(index, sha1, message, 0)) << AnsiToUtf8(message);
    }
    return index;
  }

  int32_t SignatureCount(int32_t index) {
    int32_t count = -1;
    EXPECT_EQ(S_OK, packet_.Package->GetFileSignatureCount(index, &count));
    return count;
  }
  std::string SignerSha1(int32_t index, int32_t sign) {
    return KeyText(FileSignatureKey(packet_.Package.get(), index, sign).get(),
                   &ITarvexKey::get_Sha1);
  }

  static Rows InfoRows(const TfmSignInfoEx& form) {
    auto* list = form.findChild<TValueList*>("vleInfo");
    Rows rows;
    for (int row = 0; row < list->rowCount(); ++row) {
      rows.emplace_back(FromQt(list->item(row, 0)->text()), FromQt(list->item(row, 1)->text()));
    }
    return rows;
  }
  static std::vector<std::string> Items(const QDialog& dialog) {
    auto* list = dialog.findChild<QListWidget*>("lbSigns");
    std::vector<std::string> items;
    for (int row = 0; row < list->count(); ++row) items.push_back(FromQt(list->item(row)->text()));
    return items;
  }
  static void Check(const QDialog& dialog, int row) {
    dialog.findChild<QListWidget*>("lbSigns")->item(row)->setCheckState(Qt::Checked);
  }
  static QPushButton* DeleteButton(const QDialog& dialog) {
    return dialog.findChild<QPushButton*>("btnDelete");
  }

  TempDir pki_;
  TPacket packet_;
  std::string signer_;
  std::string signer2_;
  std::string a_;
  int documents_ = 0;
};

Rows SignerRows(const std::string& subject, const std::string& role, const std::string& sha1,
                const std::string& issuer) {
  return {{"Субъект", subject},
          {"Роль подписанта", role},
          {"Отпечаток сертификата", sha1},
          {"Поставщик", issuer}};
}

TEST_F(SignatureDialogsTest, TheInformationListsEverySignatureAndNumbersThemWhenThereAreSeveral) {
  const Rows ivanov = SignerRows("Иванов Иван Иванович, RU", "заявитель", signer_, kTestIssuer);
  const Rows petrov = SignerRows("Петров Пётр Петрович, RU", "заявитель", signer2_, kTestIssuer);
  Rows two = {{"ЭЦП №1", ""}};
  two.insert(two.end(), ivanov.begin(), ivanov.end());
  two.emplace_back("ЭЦП №2", "");
  two.insert(two.end(), petrov.begin(), petrov.end());
  // The subject from the last part to the first, the issuer as reported;
  // role 9 has no name.
  const Rows reversed = SignerRows("RU, B, A", "", a_, "2.5.4.3=A, 2.5.4.10=B, 2.5.4.6=RU");
  const struct {
    std::vector<std::string> signers;
    uint16_t role;
    Rows rows;
  } cases[] = {
      {{}, 0, {}},
      {{signer_}, 0, ivanov},
      {{signer_, signer2_}, 0, two},
      {{a_}, SIGN_ROLE_TYPE_MINUST, reversed},
  };
  for (const auto& c : cases) {
    const int32_t index = Document(c.signers, c.role);
    TfmSignInfoEx form;
    form.AddSignatures(packet_.Package.get(), index);
    EXPECT_EQ(InfoRows(form), c.rows) << c.signers.size() << " signatures";
  }
}

TEST_F(SignatureDialogsTest, TheInformationShowsModallyAndKeepsItsButtonAtTheRightEdge) {
  const int32_t index = Document({signer_});
  bool shown = false;
  OnModal([&shown](QDialog& dialog) {
    shown = true;
    EXPECT_EQ(FromQt(dialog.windowTitle()), "Сведения о ЭЦП");
    auto* close = dialog.findChild<QPushButton*>("btnClose");
    auto* panel = dialog.findChild<QWidget*>("pnlBottom");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(panel->height(), 43);
    dialog.resize(dialog.width() + 200, dialog.height());
    QApplication::processEvents();
    EXPECT_EQ(panel->width() - close->geometry().right() - 1, 5);
    EXPECT_EQ(dialog.findChild<TValueList*>("vleInfo")->rowCount(), 4);
    close->click();
  });
  EXPECT_TRUE(ShowSignInfo(packet_.Package.get(), index));
  EXPECT_TRUE(shown);
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(SignatureDialogsTest, AFailingReadIsAWarningAndTheDialogIsNotShown) {
  Document({signer_});
  EXPECT_FALSE(ShowSignInfo(packet_.Package.get(), 7));
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].type, MB_OK | MB_ICONWARNING);
  const std::string prefix = "Невозможно отобразить сведения об ЭЦП:\r\n";
  EXPECT_EQ(dialogs_.boxes[0].text.rfind(prefix, 0), 0u) << AnsiToUtf8(dialogs_.boxes[0].text);
  EXPECT_GT(dialogs_.boxes[0].text.size(), prefix.size());
}

TEST_F(SignatureDialogsTest, CheckedSignaturesAreRemovedAndTheRestKeepTheirOrder) {
  const int32_t index = Document({signer_, signer2_, a_});
  OnModal([](QDialog& dialog) {
    EXPECT_EQ(FromQt(dialog.windowTitle()), "Список подписей");
    // The CN split into its words; a one-word CN leaves two empty ones.
    EXPECT_EQ(Items(dialog),
              (std::vector<std::string>{"Иванов Иван Иванович", "Петров Пётр Петрович", "A  "}));
    EXPECT_FALSE(DeleteButton(dialog)->isEnabled());
    Check(dialog, 0);
    EXPECT_TRUE(DeleteButton(dialog)->isEnabled());
    Check(dialog, 2);
    DeleteButton(dialog)->click();
  });
  EXPECT_TRUE(EditSignatures(packet_, index));
  ASSERT_EQ(SignatureCount(index), 1);
  EXPECT_EQ(SignerSha1(index, 0), signer2_);

  const int32_t all = Document({signer_, signer2_});
  OnModal([](QDialog& dialog) {
    Check(dialog, 0);
    Check(dialog, 1);
    DeleteButton(dialog)->click();
  });
  EXPECT_TRUE(EditSignatures(packet_, all));
  EXPECT_EQ(SignatureCount(all), 0);
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(SignatureDialogsTest, ClosingTheEditorByItsCloseBoxRemovesNothing) {
  const int32_t index = Document({signer_, signer2_});
  OnModal([](QDialog& dialog) {
    Check(dialog, 0);
    Check(dialog, 1);
    // Unchecking the last checked item disables the button again.
    dialog.findChild<QListWidget*>("lbSigns")->item(0)->setCheckState(Qt::Unchecked);
    dialog.findChild<QListWidget*>("lbSigns")->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(DeleteButton(dialog)->isEnabled());
    Check(dialog, 1);
    dialog.close();
  });
  EXPECT_FALSE(EditSignatures(packet_, index));
  EXPECT_EQ(SignatureCount(index), 2);
  EXPECT_TRUE(dialogs_.boxes.empty());
}

}  // namespace
