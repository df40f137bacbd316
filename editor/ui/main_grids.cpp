// The grids of the main window: which of the window's own editors serves a
// cell and when, the writing back of the editors' text on leaving or Enter,
// the colours of the cells, the tips of values cut at their column's edge,
// the applicant rows, and the checks that run before a package is formed.
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QToolTip>
#include <QTreeWidget>
#include <algorithm>

#include "editor/model/inn_check.h"
#include "editor/model/ogrn_check.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "editor/ui/fm_quenda_main.h"
#include "editor/ui/qt_text.h"

namespace {

// The parameters whose flags open the applicant columns.
constexpr const char* kApplicantParams[] = {"ФАМИЛИЯ", "ИМЯ", "ОТЧЕСТВО", "ИННФЛ", "E-MAIL"};

void Paint(QTableWidgetItem* item, bool editable, const QPalette& palette) {
  if (item == nullptr) return;
  if (editable) {
    item->setBackground(Qt::white);
    item->setData(Qt::ForegroundRole, QVariant());
  } else {
    item->setBackground(palette.toolTipBase());
    item->setForeground(QColor(0x80, 0x80, 0x80));
  }
}

void PaintOwn(QTableWidgetItem* item) {
  if (item == nullptr) return;
  item->setData(Qt::BackgroundRole, QVariant());
  item->setData(Qt::ForegroundRole, QVariant());
}

bool HasFocusWithin(const QWidget* editor) {
  const QWidget* focused = QApplication::focusWidget();
  return focused != nullptr && (focused == editor || editor->isAncestorOf(focused));
}

}  // namespace

std::vector<QWidget*> TfmQuendaMain::Editors() const {
  return {cmbRegType, cmbReturnType, edEMail, cmbAppType, edSurname, edForname, edPatronymic,
          edINN,      edOGRNIP,      edOGRN,  cmbOrgName, cmbRegOrg, cmbReshOrg};
}

// The editor that has the focus writes its text back as it goes, as it
// does whenever it loses the focus.
void TfmQuendaMain::HideEditors() {
  for (QWidget* editor : Editors()) {
    if (HasFocusWithin(editor)) EditorExit(editor, false);
    editor->hide();
  }
}

void TfmQuendaMain::CommitEditors() {
  for (QWidget* editor : Editors()) EditorExit(editor, false);
}

int TfmQuendaMain::OgrnRow() const {
  if (State == kStateNewIP || State == kStateOpenedIP) return 4;
  if (State == kStateNewUL || State == kStateOpenedUL) return HasDecisionOrgan() ? 6 : 5;
  return -1;
}

QWidget* TfmQuendaMain::ParamEditor(int row) const {
  auto editable = [this](const char* name) { return Params.GetFlag(name) == 1; };
  const bool kinds = editable("КОДСФРД");
  switch (State) {
    case kStateNothing: return row == 0 ? cmbRegType : nullptr;
    case kStateKindChosen:
      if (row == 0) return kinds ? cmbRegType : nullptr;
      return row == 1 && kinds ? cmbAppType : nullptr;
    case kStateNewIP:
    case kStateOpenedIP:
    case kStateNewUL:
    case kStateOpenedUL: break;
    default: return nullptr;
  }
  if (row == 0) return kinds ? cmbRegType : nullptr;
  if (row == 1) return kinds ? cmbAppType : nullptr;
  if (row == 2) return editable("QUERYCODE") ? cmbReturnType : nullptr;
  if (row == OgrnRow()) {
    const bool ip = State == kStateNewIP || State == kStateOpenedIP;
    if (!OgrnRequired() || !editable(ip ? "ОГРНИП" : "ОГРН")) return nullptr;
    return ip ? edOGRNIP : edOGRN;
  }
  if (State == kStateNewIP || State == kStateOpenedIP) {
    return row == 3 && editable("КОДНО") ? cmbRegOrg : nullptr;
  }
  const int office = HasDecisionOrgan() ? 4 : 3;
  if (HasDecisionOrgan() && row == 3) return editable("КОДРЕШОРГ") ? cmbReshOrg : nullptr;
  if (row == office) return editable("КОДНО") ? cmbRegOrg : nullptr;
  if (row == office + 1) return editable("НАИМЮЛПОЛН") ? cmbOrgName : nullptr;
  return nullptr;
}

void TfmQuendaMain::PlaceEditor(QWidget* editor, QTableWidget* grid, int row, int column) {
  const QRect cell = grid->visualRect(grid->model()->index(row, column));
  editor->setGeometry(cell.left(), cell.top(), cell.width() + 1, cell.height() + 1);
  editor->show();
  editor->raise();
  editor->setFocus();
}

bool TfmQuendaMain::sgParamsSelectCell(int column, int row) {
  HideEditors();
  if (QWidget* editor = ParamEditor(row)) {
    PlaceEditor(editor, sgParams, row, column);
    return true;
  }
  // Refused: the selection moves on, and stays where it was on the last
  // row. Rows that all refuse stop the moving after one round.
  if (select_depth_ > sgParams->rowCount()) return true;
  const int next = row + select_step_;
  int target = next >= 0 && next < sgParams->rowCount() ? next : -1;
  if (select_step_ > 0 && row == OgrnRow() && !OgrnRequired()) target = 0;
  if (target < 0) return false;
  ++select_depth_;
  sgParams->setCurrentCell(target, 1);
  --select_depth_;
  return true;
}

void TfmQuendaMain::OnParamCellChanged(int row, int column, int previous_row, int previous_column) {
  if (quiet_grids_ || row < 0) return;
  if (column != 1) {  // column 0 holds the captions, which are not selected
    sgParams->setCurrentCell(row, 1);
    return;
  }
  // A refusal, also one met by moving on, leaves the grid where the user's
  // selection found it.
  if (select_depth_ == 0) origin_ = {previous_row, previous_column};
  if (sgParamsSelectCell(column, row)) return;
  quiet_grids_ = true;
  sgParams->setCurrentCell(origin_.first, origin_.second);
  quiet_grids_ = false;
}

bool TfmQuendaMain::sgDeclarantsSelectCell(int column, int row) {
  HideEditors();
  if ((Mode & kModeCreate) == 0 || State < kStateNewIP || State > kStateOpenedUL) return false;
  auto* editor = qobject_cast<QLineEdit*>(ApplicantEditor(column));
  if (editor == nullptr) return false;
  const QTableWidgetItem* cell = sgDeclarants->item(row, column);
  editor->setText(cell == nullptr ? QString() : cell->text());
  applicant_row_ = row;
  PlaceEditor(editor, sgDeclarants, row, column);
  return true;
}

void TfmQuendaMain::OnApplicantCellChanged(int row, int column, int previous_row,
                                           int previous_column) {
  if (quiet_grids_ || row < 0 || column < 0) return;
  if (sgDeclarantsSelectCell(column, row)) return;
  quiet_grids_ = true;
  sgDeclarants->setCurrentCell(previous_row, previous_column);
  quiet_grids_ = false;
}

QWidget* TfmQuendaMain::ApplicantEditor(int column) const {
  QWidget* const editors[] = {edSurname, edForname, edPatronymic, edINN, edEMail};
  return column >= 0 && column < 5 ? editors[column] : nullptr;
}

void TfmQuendaMain::sgDeclarantsTopLeftChanged() {
  const int column = sgDeclarants->currentColumn();
  QWidget* editor = ApplicantEditor(column);
  if (editor == nullptr || Params.GetFlag(kApplicantParams[column]) != 1) return;
  const QRect cell =
      sgDeclarants->visualRect(sgDeclarants->model()->index(sgDeclarants->currentRow(), column));
  editor->setGeometry(cell.left(), cell.top(), cell.width() + 1, cell.height() + 1);
}

bool TfmQuendaMain::sgDeclarantsKeyDown(int key) {
  if ((Mode & kModeCreate) == 0 || (State != kStateNewUL && State != kStateOpenedUL)) return false;
  const int rows = sgDeclarants->rowCount();
  const int current = sgDeclarants->currentRow();
  if (key == Qt::Key_Down && current == rows - 1) {
    bool filled = false;
    for (int column = 0; column < 5; ++column)
      filled = filled || !CellText(sgDeclarants, current, column).empty();
    if (!filled) return true;
    sgDeclarants->insertRow(rows);
    MarkWorkChanged();
    SetHeights();
    sgDeclarants->setCurrentCell(rows, std::max(0, sgDeclarants->currentColumn()));
    return true;
  }
  if (key == Qt::Key_Delete && rows > 1 && current >= 0) {
    HideEditors();
    quiet_grids_ = true;
    sgDeclarants->removeRow(current);
    quiet_grids_ = false;
    MarkWorkChanged();
    SetHeights();
    return true;
  }
  return false;
}

// An item's text is drawn inside a margin on each side, and the grid's
// line takes a pixel of the column.
int TfmQuendaMain::CellWidth(const QTableWidget* grid, const QString& text) {
  const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
  return grid->fontMetrics().horizontalAdvance(text) + 2 * margin + (grid->showGrid() ? 1 : 0);
}

void TfmQuendaMain::ShowValueTip(const QHelpEvent& help) const {
  const QModelIndex index = sgParams->indexAt(help.pos());
  const QString text = index.data().toString();
  if (index.column() != 1 || CellWidth(sgParams, text) <= sgParams->columnWidth(1)) {
    QToolTip::hideText();
    return;
  }
  QToolTip::showText(help.globalPos(), text, sgParams->viewport(), sgParams->visualRect(index));
}

void TfmQuendaMain::MarkWorkChanged() {
  if (Packet) Packet->MarkModified();
}

std::string TfmQuendaMain::CellText(const QTableWidget* grid, int row, int column) const {
  const QTableWidgetItem* cell = grid->item(row, column);
  return cell == nullptr ? std::string() : FromQt(cell->text());
}

void TfmQuendaMain::SetCellText(QTableWidget* grid, int row, int column, const QString& text) {
  if (row < 0 || row >= grid->rowCount()) return;
  QTableWidgetItem* cell = grid->item(row, column);
  if (cell == nullptr) {
    cell = new QTableWidgetItem;
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    grid->setItem(row, column, cell);
  }
  // The editors write their text back whenever they are left: only another
  // value is a change of the work, and none is while the window rebuilds
  // the rows for another state or packet.
  if (cell->text() != text && !quiet_grids_) MarkWorkChanged();
  cell->setText(text);
}

// The editor's text goes into its cell; a combo box without a selection
// leaves the cell as it was.
void TfmQuendaMain::EditorExit(QWidget* editor, bool back_to_grid) {
  if (editor->isHidden()) return;
  QTableWidget* grid = sgParams;
  if (auto* line = qobject_cast<QLineEdit*>(editor)) {
    if (editor == edOGRNIP || editor == edOGRN) {
      SetCellText(sgParams, editor == edOGRNIP ? 4 : OgrnRow(), 1, line->text());
    } else {
      grid = sgDeclarants;
      for (int column = 0; column < 5; ++column) {
        if (ApplicantEditor(column) == editor) {
          SetCellText(sgDeclarants, applicant_row_, column, line->text());
        }
      }
    }
  } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
    const int office = HasDecisionOrgan() ? 4 : 3;
    int row = -1;
    if (combo == cmbRegType) row = 0;
    if (combo == cmbAppType) row = 1;
    if (combo == cmbReturnType) row = 2;
    if (combo == cmbReshOrg) row = 3;
    if (combo == cmbRegOrg && SelectedRegType() != nullptr) row = office;
    if (combo == cmbOrgName) {
      SetCellText(sgParams, office + 1, 1, combo->currentText());
    } else if (row >= 0 && combo->currentIndex() >= 0) {
      SetCellText(sgParams, row, 1, combo->currentText());
    }
  }
  // A hidden editor that kept the focus would pass it on as a Tab key
  // would, and so move the grid's current cell: its grid takes it first.
  const bool focused = HasFocusWithin(editor);
  if (focused) exiting_ = editor;
  if ((back_to_grid || focused) && grid->isEnabled() && grid->isVisible()) grid->setFocus();
  exiting_ = nullptr;
  editor->hide();
}

bool TfmQuendaMain::ParamEditorBack(QWidget* editor) {
  for (int column = 0; column < 5; ++column) {
    if (ApplicantEditor(column) == editor) return false;  // the applicants' grid moves back itself
  }
  // Left to the grid, Shift+Tab would only reach the row's own caption.
  const int row = sgParams->currentRow();
  if (row <= 0) return false;
  EditorExit(editor, true);
  select_step_ = -1;
  sgParams->setCurrentCell(row - 1, 1);
  select_step_ = 1;
  return true;
}

bool TfmQuendaMain::EditorEvent(QWidget* editor, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    if (editor == exiting_) return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
      EditorExit(editor, false);
    }
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key == Qt::Key_Backtab) return ParamEditorBack(editor);
  if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
  EditorExit(editor, true);
  return true;
}

void TfmQuendaMain::ApplyParamColours() {
  for (int row = 0; row < sgParams->rowCount(); ++row) {
    QTableWidgetItem* value = sgParams->item(row, 1);
    switch (State) {
      case kStateOpenedOther:
        if (row == 0) {
          PaintOwn(value);
        } else {
          Paint(value, false, palette());
        }
        break;
      case kStateNothing: Paint(value, true, palette()); break;
      case kStateError:
      case kStateKindChosen: PaintOwn(value); break;
      default: Paint(value, ParamEditor(row) != nullptr, palette()); break;
    }
  }
}

void TfmQuendaMain::ApplyApplicantColours() {
  const bool editable = (Mode & kModeCreate) != 0;
  for (int row = 0; row < sgDeclarants->rowCount(); ++row) {
    for (int column = 0; column < 5; ++column)
      Paint(sgDeclarants->item(row, column), editable, palette());
  }
}

bool TfmQuendaMain::FieldFails(const std::string& message, QTableWidget* grid, int row,
                               int column) {
  ShowMessageBox(message, kMessageWarning);
  if (grid != nullptr) {
    grid->setFocus();
    grid->setCurrentCell(row, column);
  }
  return false;
}

bool TfmQuendaMain::CheckFields() {
  if (lvDocs->topLevelItemCount() == 0) {
    return FieldFails("Не указано ни одного документа.", nullptr, 0, 0);
  }
  bool application = false;
  for (int i = 0; i < lvDocs->topLevelItemCount(); ++i) {
    const TRegDoc* doc = DocOf(lvDocs->topLevelItem(i));
    if (doc->SourcePath.empty()) {
      ShowMessageBox("Не все документы имеют прикрепленные файлы.", kMessageWarning);
      lvDocs->setCurrentItem(lvDocs->topLevelItem(i));
      lvDocs->setFocus();
      return false;
    }
    application = application || SameText(doc->DocTypeCode, "01");
  }
  if (!application) {
    ShowMessageBox("Не указано заявление о регистрации.", kMessageWarning);
    lvDocs->setFocus();
    return false;
  }
  // The checks read the cells: whatever an editor still shows goes into its
  // cell first, as the form action does not take the focus from it.
  CommitEditors();
  const bool ogrn = OgrnRequired();
  if (State == kStateNewIP || State == kStateOpenedIP) {
    if (!CheckOffice(3)) return false;
    if (ogrn && !CheckNumber(4, OgrnKind::kOgrnip, nullptr)) return false;
  } else if (State == kStateNewUL || State == kStateOpenedUL) {
    int row = 3;
    if (HasDecisionOrgan()) {
      const int index = cmbReshOrg->currentIndex();
      if (index < 0) return FieldFails("Не указан [Орган, принимающий решение].", sgParams, row, 1);
      Params.SetValue("КОДРЕШОРГ", resh_orgs_[index].Object->КодСПРО, 1);
      ++row;
    }
    if (!CheckOffice(row)) return false;
    const std::string name = CellText(sgParams, row + 1, 1);
    if (Params.GetFlag("НАИМЮЛПОЛН") == 1 && name.empty()) {
      return FieldFails("Не указано [Полное наименование ЮЛ]", sgParams, row + 1, 1);
    }
    Params.SetValue("НАИМЮЛПОЛН", name, 1);
    if (ogrn && !CheckNumber(row + 2, OgrnKind::kOgrn, "ОГРН")) return false;
  }
  for (int row = 0; row < sgDeclarants->rowCount(); ++row) {
    if (CellText(sgDeclarants, row, 0).empty()) {
      return FieldFails("Не указана [Фамилия] заявителя.", sgDeclarants, row, 0);
    }
    if (CellText(sgDeclarants, row, 1).empty()) {
      return FieldFails("Не указано [Имя] заявителя.", sgDeclarants, row, 1);
    }
    const std::string inn = CellText(sgDeclarants, row, 3);
    if (!inn.empty() && CheckINN(inn, kInnTwelveDigits) != kInnValid) {
      return FieldFails("Неверно указан [ИНН] заявителя.", sgDeclarants, row, 3);
    }
    const std::string email = TrimText(CellText(sgDeclarants, row, 4));
    if (!IsValidEmail(email)) {
      return FieldFails("Неверно указан [E-Mail] заявителя.", sgDeclarants, row, 4);
    }
    // The package and the ini file take the address as it was checked.
    SetCellText(sgDeclarants, row, 4, ToQt(email));
  }
  return true;
}

bool TfmQuendaMain::CheckOffice(int row) {
  const int index = cmbRegOrg->currentIndex();
  if (index < 0) {
    return FieldFails("Не указан [Код налогового (регистрирующего) органа].", sgParams, row, 1);
  }
  Params.SetValue("КОДНО", reg_orgs_[index].Object->КодСОУН, 1);
  return true;
}

// The OGRNIP or OGRN row: a number of its kind; `param`, when given, takes
// it.
bool TfmQuendaMain::CheckNumber(int row, OgrnKind kind, const char* param) {
  const std::string value = CellText(sgParams, row, 1);
  const std::string fault = OgrnFault(value, kind);
  if (!fault.empty()) return FieldFails(fault, sgParams, row, 1);
  if (param != nullptr) Params.SetValue(param, value, 1);
  return true;
}
