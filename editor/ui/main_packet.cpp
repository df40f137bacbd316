// The main window's packet and state: the kinds chosen in the parameter
// grid, the packet made for them, and the views rebuilt for the state.
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTableWidget>
#include <QTreeWidget>

#include "editor/model/editor_error.h"
#include "editor/model/ip_packet.h"
#include "editor/model/ole_check.h"
#include "editor/model/ole_string.h"
#include "editor/model/package_items.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "editor/model/ul_packet.h"
#include "editor/ui/doc_item.h"
#include "editor/ui/fm_quenda_main.h"
#include "editor/ui/qt_text.h"
#include "platform/com/com_ref.h"

namespace {

std::string PackageText(ITarvex* package, HRESULT (ITarvex::*getter)(BSTR*)) {
  OleString value;
  OleCheck((package->*getter)(value.out()));
  return value.Ansi();
}

// QUERYCODE as the item of cmbReturnType: "", "1", "2", "4"; any other
// value selects none.
int ReturnTypeIndex(const std::string& code) {
  const char* const codes[] = {"", "1", "2", "4"};
  for (int i = 0; i < 4; ++i) {
    if (code == codes[i]) return i;
  }
  return -1;
}

// The longest caption the parameter grid shows, in any state.
constexpr const char* kPaperReturnCaption =
    "Вид предоставления заявителю документов в бумажном виде";

}  // namespace

void TfmQuendaMain::SetAppKinds(const TXMLRegDoc& reader) {
  app_kinds_.clear();
  cmbAppType->clear();
  for (const auto& item : reader.Items) {
    app_kinds_.push_back(*item.Object);
    cmbAppType->addItem(ToQt(item.Text));
  }
  cmbAppType->setCurrentIndex(-1);
}

int TfmQuendaMain::IndexOfAppKind(const std::string& code) const {
  for (size_t i = 0; i < app_kinds_.size(); ++i) {
    if (SameText(app_kinds_[i].КодРег, code)) return static_cast<int>(i);
  }
  return -1;
}

const TRegDocType* TfmQuendaMain::SelectedAppKind() const {
  const int index = cmbAppType->currentIndex();
  return index < 0 || index >= static_cast<int>(app_kinds_.size()) ? nullptr : &app_kinds_[index];
}

const TRegType* TfmQuendaMain::SelectedRegType() const {
  const int index = cmbRegType->currentIndex();
  return index < 0 || index >= static_cast<int>(reg_types_.size()) ? nullptr
                                                                   : reg_types_[index].Object.get();
}

bool TfmQuendaMain::OgrnRequired() const {
  const TRegDocType* kind = SelectedAppKind();
  return kind != nullptr && kind->OgrnRequired == 1;
}

bool TfmQuendaMain::HasDecisionOrgan() const {
  const TRegType* type = SelectedRegType();
  return type != nullptr && type->Тип > 1;
}

void TfmQuendaMain::UpdateSignerRole() {
  if (!Packet) return;
  const bool acting = InList(Params.GetValue("IONOTARY"), Params.GetValue("SENDERSHA1"), ";");
  Packet->SignerRole = acting ? SIGN_ROLE_TYPE_IONOTARY : 0;
}

bool TfmQuendaMain::CreatePacket(std::string& message) {
  Packet.reset();
  try {
    const TRegDocType* kind = SelectedAppKind();
    if (kind == nullptr) throw EditorError("Не выбран вид заявления");
    if (kind->Тип < 1) {
      Packet = std::make_unique<TNewIPPacket>();
      State = kStateNewIP;
    } else {
      Packet = std::make_unique<TULPacket>();
      State = kStateNewUL;
    }
    Packet->LibraryFolder = Params.GetValue("QIMDLLPATH");
    Params.SetDefault("DOCTYPECODE", "01");
    Params.SetDefault("ВЕРСПРОГ", AppVersionText());
    Params.SetValue("КОДСФРД", kind->КодРег, Params.GetFlag("КОДСФРД"));
    std::string reason;
    if (!Packet->NewPacket(reason)) throw EditorError(reason);
    if (Params.GetFlag("КОДСФРД") == 1) {
      ClearDocuments();
      AddDocItem("", kind->КодТипДок, "", "", -1, kind->КратНаим, kind->КодСВДРЕГ);
      for (const char* name : {"E-MAIL", "QUERYCODE", "ФАМИЛИЯ", "ИМЯ", "ОТЧЕСТВО", "ИННФЛ",
                               "ОГРНИП", "ОГРН", "НАИМЮЛПОЛН", "КОДРЕШОРГ"}) {
        Params.SetFlag(name, 1);
      }
    }
    ReadSettings();
    LoadLastValues();
    RefreshView();
    SetStatusFile("");
    return true;
  } catch (const std::exception& e) {
    message = std::string("Ошибка создания пакета:\r\n") + e.what();
    Packet.reset();
    return false;
  }
}

std::string TfmQuendaMain::ComboText(const QComboBox* combo, const char* placeholder) const {
  return combo->currentIndex() < 0 ? std::string(placeholder) : FromQt(combo->currentText());
}

void TfmQuendaMain::SetParamRows(const std::vector<std::pair<std::string, std::string>>& rows) {
  sgParams->clearContents();
  sgParams->setRowCount(static_cast<int>(rows.size()));
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    // Column 0 is the grid's fixed column of captions.
    auto* caption = new QTableWidgetItem(ToQt(rows[row].first));
    caption->setFlags(Qt::ItemIsEnabled);
    caption->setBackground(palette().button());
    sgParams->setItem(row, 0, caption);
    auto* value = new QTableWidgetItem(ToQt(rows[row].second));
    value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    sgParams->setItem(row, 1, value);
  }
  // One width for every state, so that the values do not move as rows come.
  sgParams->setColumnWidth(0, CellWidth(sgParams, ToQt(kPaperReturnCaption)));
}

void TfmQuendaMain::SetApplicantRow(int row, const std::string& surname, const std::string& name,
                                    const std::string& patronymic, const std::string& inn,
                                    const std::string& email) {
  const std::string* values[] = {&surname, &name, &patronymic, &inn, &email};
  for (int column = 0; column < 5; ++column) {
    auto* cell = new QTableWidgetItem(ToQt(*values[column]));
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    sgDeclarants->setItem(row, column, cell);
  }
}

// The grids are as high as their rows; the parameter panel as high as
// what it shows, and the document panel below takes the rest.
void TfmQuendaMain::SetHeights() {
  auto fit = [](QTableWidget* grid, int header) {
    int height = 2 * grid->frameWidth() + header;
    for (int row = 0; row < grid->rowCount(); ++row) height += grid->rowHeight(row);
    grid->setFixedHeight(height + 2);
  };
  fit(sgParams, 0);
  fit(sgDeclarants, sgDeclarants->horizontalHeader()->sizeHint().height());
  // The panel's layout keeps the groups' old size hints, made of the grids'
  // old heights, until the groups tell it theirs changed.
  for (QWidget* group : {static_cast<QWidget*>(gbParams), static_cast<QWidget*>(gbDeclarants)}) {
    group->layout()->invalidate();
    group->updateGeometry();
  }
  pnlParams->layout()->invalidate();
  pnlParams->setFixedHeight(pnlParams->layout()->sizeHint().height());
}

void TfmQuendaMain::RefreshView() {
  quiet_grids_ = true;
  HideEditors();
  pnlRight->show();
  gbDeclarants->show();
  pnlDocs->hide();
  pnlBottom->hide();
  spLeft->show();

  cmbReturnType->setCurrentIndex(ReturnTypeIndex(Params.GetValue("QUERYCODE")));
  cmbOrgName->setEditText(ToQt(Params.GetValue("НАИМЮЛПОЛН")));
  const bool ogrn = OgrnRequired();
  const std::string reg_type = ComboText(cmbRegType, "<вид заявителя>");
  const std::string app_type = ComboText(cmbAppType, "<вид заявления>");
  const std::string return_type = ComboText(cmbReturnType, "");
  auto office = [this]() {
    cmbRegOrg->setCurrentIndex(TXMLRegOrg::IndexOfSounCode(Params.GetValue("КОДНО"), &reg_orgs_));
    return std::pair<std::string, std::string>("Код налогового (регистрирующего) органа",
                                               ComboText(cmbRegOrg, ""));
  };
  auto only_params = [this] {
    gbDeclarants->hide();
    spLeft->hide();
  };

  switch (State) {
    case kStateOpenedOther:
      pnlDocs->show();
      SetParamRows({{"Идентификатор отправителя",
                     PackageText(Packet->Package.get(), &ITarvex::get_SenderIdentifier)},
                    {"Идентификатор получателя",
                     PackageText(Packet->Package.get(), &ITarvex::get_ReceiverIdentifier)}});
      gbDeclarants->hide();
      break;
    case kStateNewIP:
    case kStateOpenedIP: {
      pnlDocs->show();
      const std::string ogrnip = ogrn ? Params.GetValue("ОГРНИП") : std::string();
      SetParamRows({{"Вид заявителя", reg_type},
                    {"Вид заявления", app_type},
                    {kPaperReturnCaption, return_type},
                    office(),
                    {"ОГРНИП", ogrnip}});
      edOGRNIP->setText(ToQt(ogrnip));
      gbDeclarants->setTitle(ToQt("Сведения о заявителе"));
      sgDeclarants->setRowCount(1);
      break;
    }
    case kStateNewUL:
    case kStateOpenedUL: {
      pnlDocs->show();
      pnlBottom->setVisible((Mode & kModeCreate) != 0);
      std::vector<std::pair<std::string, std::string>> rows = {{"Вид заявителя", reg_type},
                                                               {"Вид заявления", app_type},
                                                               {kPaperReturnCaption, return_type}};
      if (HasDecisionOrgan()) {
        cmbReshOrg->setCurrentIndex(
            TXMLRegOrg::IndexOfSproCode(Params.GetValue("КОДРЕШОРГ"), &resh_orgs_));
        rows.push_back({"Орган, принимающий решение", ComboText(cmbReshOrg, "")});
      }
      rows.push_back(office());
      rows.push_back({"Полное наименование ЮЛ", Params.GetValue("НАИМЮЛПОЛН")});
      const std::string ogrn_value = ogrn ? Params.GetValue("ОГРН") : std::string();
      rows.push_back({"ОГРН", ogrn_value});
      SetParamRows(rows);
      edOGRN->setText(ToQt(ogrn_value));
      gbDeclarants->setTitle(ToQt("Сведения о заявителях"));
      sgDeclarants->setRowCount(1);
      break;
    }
    case kStateKindChosen:
      SetParamRows({{"Вид заявителя", reg_type}, {"Вид заявления", app_type}});
      only_params();
      break;
    case kStateNothing:
      SetParamRows({{"Вид заявителя", reg_type}});
      only_params();
      break;
    default: pnlRight->hide(); break;
  }
  if (State == kStateNewIP || State == kStateNewUL) {
    SetApplicantRow(0, Params.GetValue("ФАМИЛИЯ"), Params.GetValue("ИМЯ"),
                    Params.GetValue("ОТЧЕСТВО"), Params.GetValue("ИННФЛ"),
                    Params.GetValue("E-MAIL"));
  }
  ApplyParamColours();
  ApplyApplicantColours();
  SetHeights();
  quiet_grids_ = false;
  UpdateActions();
}

void TfmQuendaMain::cmbRegTypeChange() {
  const bool ask =
      !(State == kStateNothing || (State == kStateKindChosen && cmbAppType->currentIndex() < 0));
  if (ask) {
    // The applicant kind in force is the chosen application kind's: picked
    // again, nothing is to change.
    const TRegDocType* kind = SelectedAppKind();
    const int current = kind == nullptr ? -1 : TXMLRegDoc::IndexOfType(kind->Тип, &reg_types_);
    if (cmbRegType->currentIndex() == current) return;
    if (!AskYesNo("При изменении вида заявителя введенные данные будут потеряны. Продолжить?", true,
                  3)) {
      cmbRegType->setCurrentIndex(current);
      return;
    }
  }
  const TRegType* type = SelectedRegType();
  if (type == nullptr) return;
  std::string message;
  if (!reg_doc_.LoadKinds(RegDocPath, message, type->Тип)) {
    ShowMessageBox("Ошибка загрузки списка видов заявлений:\r\n" + message, kMessageWarning);
    return;
  }
  if (HasDecisionOrgan()) {
    LoadOffices(resh_orgs_, cmbReshOrg, type->Тип, "Ошибка загрузки справочника рег.органов:\r\n");
    cmbReshOrg->setCurrentIndex(
        TXMLRegOrg::IndexOfSproCode(Params.GetValue("КОДРЕШОРГ"), &resh_orgs_));
  }
  SetAppKinds(reg_doc_);
  State = kStateKindChosen;
  RefreshView();
}

void TfmQuendaMain::cmbAppTypeChange() {
  if (State != kStateKindChosen) {
    // The kind of the packet in hand, picked again, changes nothing.
    const int current = IndexOfAppKind(Params.GetValue("КОДСФРД"));
    if (cmbAppType->currentIndex() == current) return;
    if (!AskYesNo("При изменении вида заявления будет создан новый пакет. Продолжить?", true, 3)) {
      cmbAppType->setCurrentIndex(current);
      return;
    }
  }
  std::string message;
  if (!CreatePacket(message)) {
    State = kStateError;
    RefreshView();
    ShowMessageBox(message, kMessageWarning);
  }
}

bool TfmQuendaMain::MayDiscardWork(const char* question) {
  const bool nothing_to_lose = (Mode & kModeCreate) == 0 || State == kStateOpenedOther ||
                               State == kStateError || State == kStateNothing;
  return nothing_to_lose || AskYesNo(question, true, 3);
}

bool TfmQuendaMain::MayClose() {
  CommitEditors();
  // Only a packet being filled in or an opened registration package can be
  // formed, and only where the program may create packages.
  const bool own_work =
      (Mode & kModeCreate) != 0 && State >= kStateNewIP && State <= kStateOpenedUL;
  return !(own_work && Packet && Packet->Modified()) ||
         AskYesNo("При закрытии программы несохраненные данные будут потеряны. Продолжить?", true,
                  3);
}

void TfmQuendaMain::ActionNewPacketExecute() {
  if (!MayDiscardWork(
          "При создании нового пакета несохраненные данные будут потеряны. Продолжить?")) {
    return;
  }
  State = kStateNothing;
  cmbRegType->setCurrentIndex(-1);
  cmbAppType->setCurrentIndex(-1);
  RefreshView();
}

void TfmQuendaMain::AddDocItem(const std::string& path, const std::string& doc_type_code,
                               const std::string& signers, const std::string& document_code,
                               int32_t package_index, const std::string& doc_name,
                               const std::string& код_свдрег) {
  auto doc = std::make_unique<TRegDoc>();
  doc->SourcePath = path;
  doc->DocTypeCode = doc_type_code;
  doc->DocumentCode = document_code;
  doc->PackageIndex = package_index;
  doc->DocName = doc_name;
  doc->КодСВДРЕГ = код_свдрег;
  auto* item = new TDocItem(std::move(doc));
  item->setText(0, ToQt(doc_name));
  item->setText(1, ToQt(path));
  item->setText(2, ToQt(signers));
  lvDocs->addTopLevelItem(item);
}

void TfmQuendaMain::ClearDocuments() { lvDocs->clear(); }

std::string TfmQuendaMain::GetSignersText(int32_t index) {
  ITarvex* package = Packet->Package.get();
  const int32_t count = SignatureCount(package, index);
  std::string text;
  for (int32_t j = 0; j < count; ++j) {
    const ComRef<ITarvexSignature> signature = SignatureAt(package, index, j);
    ITarvexKey* raw_key = nullptr;
    OleCheck(signature->get_SignKey(&raw_key));
    const ComRef<ITarvexKey> key(raw_key);
    OleString cn;
    OleCheck(key->get_SubjectCN(cn.out()));
    std::string surname, name, patronymic;
    TPacket::GetSignerNames(cn.Ansi(), surname, name, patronymic);
    if (!text.empty()) text += ",";
    text += surname + " " + name + " " + patronymic;
  }
  return text;
}
