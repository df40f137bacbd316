#include "editor/ui/fm_quenda_setup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "editor/model/application.h"
#include "editor/model/doc_types.h"
#include "editor/model/editor_error.h"
#include "editor/model/ole_check.h"
#include "editor/model/packet.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "editor/ui/bottom_panel.h"
#include "editor/ui/exe_paths.h"
#include "editor/ui/ini_write.h"
#include "editor/ui/qt_text.h"
#include "editor/ui/signature_key.h"
#include "editor/ui/user_store.h"
#include "editor/ui/value_list.h"
#include "editor/ui/work_folder.h"
#include "platform/com/com_ref.h"
#include "platform/shell/profile.h"

namespace {

constexpr char kSection[] = "QUENDA_SETUP";

QLineEdit* FolderRow(QGridLayout* grid, int row, const char* caption, const char* label_name,
                     const char* edit_name, const char* button_name, QPushButton*& button) {
  auto* label = new QLabel(ToQt(caption));
  label->setObjectName(label_name);
  auto* edit = new QLineEdit;
  edit->setObjectName(edit_name);
  button = new QPushButton(QStringLiteral("..."));
  button->setObjectName(button_name);
  button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
  grid->addWidget(label, row * 2, 0, 1, 2);
  grid->addWidget(edit, row * 2 + 1, 0);
  grid->addWidget(button, row * 2 + 1, 1);
  return edit;
}

}  // namespace

TfmQuendaSetup::TfmQuendaSetup(const std::string& ini_path, QWidget* parent)
    : QDialog(parent),
      ini_path_(ini_path.empty() ? ChangeFileExt(ApplicationExeName(), ".ini") : ini_path) {
  setObjectName("fmQuendaSetup");
  setWindowTitle(ToQt("Параметры"));
  resize(484, 373);
  auto* layout = new QVBoxLayout(this);
  PageControl1 = new QTabWidget;
  PageControl1->setObjectName("PageControl1");
  layout->addWidget(PageControl1, 1);
  BuildSignerPage();
  BuildFoldersPage();

  const BottomPanel bottom = MakeBottomPanel(46, "Применить", "btnSave", 10);
  btnSave = bottom.button;
  layout->addWidget(bottom.panel);
  connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
}

TfmQuendaSetup::~TfmQuendaSetup() = default;

void TfmQuendaSetup::BuildSignerPage() {
  TabSheet1 = new QWidget;
  TabSheet1->setObjectName("TabSheet1");
  PageControl1->addTab(TabSheet1, ToQt("Подписант"));
  auto* page = new QVBoxLayout(TabSheet1);
  // The first letter of the caption is the Latin C, as it has always been.
  Label32 = new QLabel(ToQt("Cертификат ключа подписи"));
  Label32->setObjectName("Label32");
  cmbPrivateCert = new QComboBox;
  cmbPrivateCert->setObjectName("cmbPrivateCert");
  cmbPrivateCert->setMinimumWidth(457);
  Label32->setBuddy(cmbPrivateCert);
  vleInfo = new TValueList(133, 319);
  vleInfo->setObjectName("vleInfo");
  cbIONotary = new QCheckBox(ToQt("И.о.нотариуса"));
  cbIONotary->setObjectName("cbIONotary");
  // Kept from the settings file but not shown: the dialog does not edit them.
  Label6 = new QLabel(ToQt("E-Mail:"));
  Label6->setObjectName("Label6");
  edEMail = new QLineEdit;
  edEMail->setObjectName("edEMail");
  edEMail->setMaxLength(45);
  cbCaching = new QCheckBox(ToQt("Кэшировать ключи"));
  cbCaching->setObjectName("cbCaching");
  for (QWidget* hidden : {static_cast<QWidget*>(Label6), static_cast<QWidget*>(edEMail),
                          static_cast<QWidget*>(cbCaching)}) {
    hidden->hide();
  }
  page->addWidget(Label32);
  page->addWidget(cmbPrivateCert);
  page->addWidget(vleInfo, 1);
  page->addWidget(cbIONotary);
  page->addWidget(Label6);
  page->addWidget(edEMail);
  page->addWidget(cbCaching);
  connect(cmbPrivateCert, &QComboBox::currentIndexChanged, this,
          [this] { cmbPrivateCertChange(); });
  connect(cbIONotary, &QCheckBox::clicked, this, [this] { cbIONotaryClick(); });
}

void TfmQuendaSetup::BuildFoldersPage() {
  TabSheet2 = new QWidget;
  TabSheet2->setObjectName("TabSheet2");
  PageControl1->addTab(TabSheet2, ToQt("Каталоги"));
  auto* grid = new QGridLayout(TabSheet2);
  QPushButton* btnOutPath = nullptr;
  QPushButton* btnInputPath = nullptr;
  QPushButton* btnDocPath = nullptr;
  edOutPath = FolderRow(grid, 0, "Каталог формирования пакетов:", "lblOutPath", "edOutPath",
                        "btnOutPath", btnOutPath);
  edInputPath = FolderRow(grid, 1, "Каталог входящих пакетов:", "lblInputPath", "edInputPath",
                          "btnInputPath", btnInputPath);
  edDocPath = FolderRow(grid, 2, "Каталог документов:", "lblDocPath", "edDocPath", "btnDocPath",
                        btnDocPath);
  grid->setRowStretch(6, 1);
  connect(btnOutPath, &QPushButton::clicked, this,
          [this] { PickFolder(edOutPath, "Выберите папку для формирования пакетов"); });
  connect(btnInputPath, &QPushButton::clicked, this,
          [this] { PickFolder(edInputPath, "Выберите папку для входящих пакетов"); });
  connect(btnDocPath, &QPushButton::clicked, this,
          [this] { PickFolder(edDocPath, "Выберите папку с документами"); });
}

void TfmQuendaSetup::InitCatalogue(const std::string& library_folder) {
  auto packet = std::make_unique<TPacket>();
  packet->LibraryFolder = library_folder;
  std::string message;
  if (!packet->InitCrypt(message)) throw EditorError(message);
  packet_ = std::move(packet);
}

void TfmQuendaSetup::LoadSettings() {
  const std::string ini = IniToRead(ini_path_);
  auto read = [&ini](const char* key, const std::string& fallback) {
    return GetPrivateProfileStringA(kSection, key, fallback, ini);
  };
  edEMail->setText(ToQt(read("E-Mail", "")));
  // Thumbprints compare byte for byte: lower-case hex selects nothing.
  const std::string sender = read("SenderSHA1", "");
  int selected = -1;
  for (size_t i = 0; i < certificates_.size() && !sender.empty(); ++i) {
    if (certificates_[i].Sha1 == sender) {
      selected = static_cast<int>(i);
      break;
    }
  }
  cmbPrivateCert->setCurrentIndex(selected);
  const std::string folder = IncludeBackslash(ExeFolder());
  edOutPath->setText(ToQt(read("OUTPATH", IncludeBackslash(DefaultOutFolder(ExeFolder())))));
  edInputPath->setText(ToQt(read("INPUTPATH", folder)));
  edDocPath->setText(ToQt(read("DOCPATH", folder)));
  acting_notaries_ = read("IONotary", "");
}

void TfmQuendaSetup::FillCertificates() {
  if (!packet_) throw EditorError("Каталог ключей не инициализирован");
  ITarvexCrypt* crypt = packet_->Crypt.get();
  int32_t count = 0;
  OleCheck(crypt->GetPrivateKeyCount(&count));
  for (int32_t i = 0; i < count; ++i) {
    ITarvexKey* raw = nullptr;
    OleCheck(crypt->GetPrivateKey(i, &raw));
    const ComRef<ITarvexKey> key(raw);
    TCertInfo info;
    info.Issuer = KeyText(key.get(), &ITarvexKey::get_Issuer);
    SIGN_ROLE_TYPES role = SIGN_ROLE_TYPE_UNKNOWN;
    OleCheck(key->get_SignRole(&role));
    info.SignRole = static_cast<uint16_t>(role);
    info.Sha1 = KeyText(key.get(), &ITarvexKey::get_Sha1);
    info.SubjectCN = KeyText(key.get(), &ITarvexKey::get_SubjectCN);
    info.Subject = KeyText(key.get(), &ITarvexKey::get_Subject);
    info.IssuerRole = TPacket::GetRoleByIssuer(info.Issuer);
    info.IsActingNotary = InList(acting_notaries_, info.Sha1, ";") ? 1 : 0;
    certificates_.push_back(info);
    cmbPrivateCert->addItem(ToQt(info.SubjectCN));
  }
}

void TfmQuendaSetup::ShowCertInfo() {
  cbIONotary->setEnabled(false);
  vleInfo->ClearRows();
  const int index = cmbPrivateCert->currentIndex();
  if (index < 0 || index >= static_cast<int>(certificates_.size())) {
    cbIONotary->setChecked(false);
    return;
  }
  const TCertInfo& info = certificates_[index];
  vleInfo->AddRow("Субъект", DNValues(info.Subject));
  vleInfo->AddRow("Роль подписанта", SignRoleName(info.SignRole));
  vleInfo->AddRow("Отпечаток сертификата", info.Sha1);
  vleInfo->AddRow("Поставщик", info.Issuer);
  cbIONotary->setEnabled(info.IssuerRole == 3);
  cbIONotary->setChecked(info.IsActingNotary == 1);
}

void TfmQuendaSetup::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  LoadSettings();
  ShowCertInfo();
}

void TfmQuendaSetup::done(int result) {
  shown_ = false;
  QDialog::done(result);
}

void TfmQuendaSetup::cmbPrivateCertChange() { ShowCertInfo(); }

void TfmQuendaSetup::cbIONotaryClick() {
  const int index = cmbPrivateCert->currentIndex();
  if (index < 0 || index >= static_cast<int>(certificates_.size())) return;
  certificates_[index].IsActingNotary = cbIONotary->isChecked() ? 1 : 0;
}

void TfmQuendaSetup::PickFolder(QLineEdit* edit, const char* title) {
  std::string folder = FromQt(edit->text());
  if (BrowseForFolder(nullptr, title, folder, false)) edit->setText(ToQt(folder));
}

void TfmQuendaSetup::btnSaveClick() {
  applied_ = Apply();
  if (applied_) accept();
}

bool TfmQuendaSetup::CheckFolder(QLineEdit* edit, const char* message, std::string& folder) {
  std::string text, refusal;
  const bool exact = FromQtExactly(edit->text(), text, refusal);
  folder = TrimText(text);
  if (exact && FolderExists(folder)) return true;
  ShowMessageBox(exact ? std::string(message) : refusal, kMessageWarning);
  PageControl1->setCurrentWidget(TabSheet2);
  edit->setFocus();
  return false;
}

bool TfmQuendaSetup::Write(const char* key, const std::string& value) {
  return WriteIniValue(kSection, key, value, ini_path_);
}

bool TfmQuendaSetup::Apply() {
  // The e-mail field is hidden, so the user could not correct a stored
  // value that fails the check: it is not checked here.
  if (!edEMail->isHidden()) {
    const std::string email = TrimText(FromQt(edEMail->text()));
    if (!email.empty() && !IsValidEmail(email)) {
      ShowMessageBox("Неверно указан E-Mail", kMessageWarning);
      PageControl1->setCurrentWidget(TabSheet1);
      edEMail->setFocus();
      return false;
    }
  }
  std::string out_path, input_path, doc_path;
  if (!CheckFolder(edOutPath, "Не найден каталог формирования пакетов", out_path) ||
      !CheckFolder(edInputPath, "Не найден каталог входящих пакетов", input_path) ||
      !CheckFolder(edDocPath, "Не найден каталог документов", doc_path)) {
    return false;
  }
  const int index = cmbPrivateCert->currentIndex();
  std::string marked;
  for (const TCertInfo& info : certificates_) {
    if (info.IsActingNotary != 1) continue;
    if (!marked.empty()) marked += ";";
    marked += info.Sha1;
  }
  return Write("OUTPATH", IncludeBackslash(out_path)) &&
         Write("INPUTPATH", IncludeBackslash(input_path)) &&
         Write("DOCPATH", IncludeBackslash(doc_path)) &&
         Write("SenderSHA1", index >= 0 ? certificates_[index].Sha1 : std::string()) &&
         Write("IONotary", marked);
}

bool ShowSetupDialog(const std::string& library_folder, const std::string& ini_path) {
  TfmQuendaSetup form(ini_path);
  form.InitCatalogue(library_folder);
  form.LoadSettings();
  form.FillCertificates();
  form.exec();
  return form.Applied();
}
