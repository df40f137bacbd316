// The main window's controls, their layout, the actions and the handlers
// of showing and closing.
#include "editor/ui/fm_quenda_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "editor/model/editor_error.h"
#include "editor/model/shell_routines.h"
#include "editor/ui/doc_item.h"
#include "editor/ui/filtered_edit.h"
#include "editor/ui/guarded.h"
#include "editor/ui/panel_splitter.h"
#include "editor/ui/program_start.h"
#include "editor/ui/qt_text.h"
#include "editor/ui/work_folder.h"

namespace {

constexpr int kNodeKindRole = Qt::UserRole;
constexpr int kNodePacket = 0;
constexpr int kNodeGeneral = 1;
constexpr int kNodeDocuments = 3;

QAction* MakeAction(QWidget* owner, const char* name, const char* caption,
                    const char* tool_caption = nullptr) {
  auto* action = new QAction(ToQt(caption), owner);
  action->setObjectName(name);
  if (tool_caption != nullptr) action->setIconText(ToQt(tool_caption));
  return action;
}

QTableWidget* MakeGrid(const char* name, int columns) {
  auto* grid = new QTableWidget(0, columns);
  grid->setObjectName(name);
  grid->verticalHeader()->hide();
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  return grid;
}

// What the filtered editors take: a person's names are Latin and Cyrillic
// letters and "-"; an INN may be typed with "," and "." (its check refuses
// them with its own message); a filed OGRN or OGRNIP is digits only.
bool IsNameCharacter(unsigned char c) {
  return c == '-' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0;
}
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsInnCharacter(unsigned char c) { return c == ',' || c == '.' || IsDigit(c); }

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

}  // namespace

TfmQuendaMain::TfmQuendaMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName("fmQuendaMain");
  reg_doc_.KeyAttribute = "НаимРег";
  reg_org_.KeyAttribute = "Наим";
  BuildActions();
  BuildMenus();
  BuildPanels();
  BuildEditors();
  resize(900, 640);
}

TfmQuendaMain::~TfmQuendaMain() {
  disconnect(focus_watch_);
  reg_org_.Items = nullptr;
}

void TfmQuendaMain::BuildActions() {
  ActionNewPacket = MakeAction(this, "ActionNewPacket", "Новый пакет");
  ActionOpenPacket = MakeAction(this, "ActionOpenPacket", "Открыть");
  ActionSavePacket = MakeAction(this, "ActionSavePacket", "Сформировать");
  ActionSavePacket->setToolTip(ToQt("Сформировать пакет"));
  ActionSetup = MakeAction(this, "ActionSetup", "Параметры");
  ActionAddDoc = MakeAction(this, "ActionAddDoc", "Добавить");
  ActionAddFile = MakeAction(this, "ActionAddFile", "Прикрепить файл", "Прикрепить");
  ActionAddSign = MakeAction(this, "ActionAddSign", "Подписать");
  ActionEditSign = MakeAction(this, "ActionEditSign", "Удалить подпись");
  ActionDeleteDoc = MakeAction(this, "ActionDeleteDoc", "Удалить");
  ActionOpenFile = MakeAction(this, "ActionOpenFile", "Просмотр");
  ActionCheckSign = MakeAction(this, "ActionCheckSign", "Проверить подпись", "Подпись");
  ActionExtractDoc = MakeAction(this, "ActionExtractDoc", "Извлечь документ и подписи", "Извлечь");
  NExit = MakeAction(this, "NExit", "Выход");
  NHelp = MakeAction(this, "NHelp", "Помощь");
  NAbout = MakeAction(this, "NAbout", "О программе");
  ActionNewPacket->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
  ActionOpenPacket->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  ActionSavePacket->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  ActionSetup->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));

  ConnectActions();
}

void TfmQuendaMain::BuildMenus() {
  QMenu* packet = menuBar()->addMenu(ToQt("Пакет"));
  packet->addActions({ActionNewPacket, ActionSavePacket, ActionOpenPacket});
  packet->addSeparator();
  packet->addAction(NExit);
  QMenu* document = menuBar()->addMenu(ToQt("Документ"));
  document->addActions({ActionAddDoc, ActionOpenFile, ActionAddFile, ActionAddSign, ActionEditSign,
                        ActionCheckSign, ActionExtractDoc, ActionDeleteDoc});
  menuBar()->addMenu(ToQt("Сервис"))->addAction(ActionSetup);
  QMenu* help = menuBar()->addMenu(ToQt("Справка"));
  help->addActions({NHelp, NAbout});

  ToolBar1 = Named(addToolBar(ToQt("Пакет")), "ToolBar1");
  ToolBar1->setMovable(false);
  ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  ToolBar1->addActions({ActionNewPacket, ActionOpenPacket, ActionSavePacket});
  ToolBar1->addSeparator();
  ToolBar1->addAction(ActionSetup);

  sbPanel0 = Named(new QLabel(ToQt("Файл пакета")), "sbMainPanel0");
  sbPanel1 = Named(new QLabel, "sbMainPanel1");
  statusBar()->setObjectName("sbMain");
  statusBar()->addWidget(sbPanel0);
  statusBar()->addWidget(sbPanel1, 1);
}

void TfmQuendaMain::BuildPanels() {
  auto* central = new QWidget;
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(0, 0, 0, 0);

  pnlLeft = Named(new QWidget, "pnlLeft");
  auto* left = new QVBoxLayout(pnlLeft);
  tvMenu = Named(new QTreeWidget, "tvMenu");
  tvMenu->setHeaderHidden(true);
  left->addWidget(tvMenu);
  pnlLeft->hide();  // the tree is kept, but this program does not show it
  connect(tvMenu, &QTreeWidget::currentItemChanged, this, [this] { tvMenuChange(); });

  pnlRight = Named(new QWidget, "pnlRight");
  auto* right = new QVBoxLayout(pnlRight);
  right->setContentsMargins(4, 4, 4, 4);
  pnlParams = BuildParamsPanel();
  pnlDocs = BuildDocsPanel();
  spLeft = Named(new TPanelSplitter(pnlParams), "spLeft");
  right->addWidget(pnlParams);
  right->addWidget(spLeft);
  right->addWidget(pnlDocs, 1);
  right->addStretch(0);

  row->addWidget(pnlLeft);
  row->addWidget(pnlRight, 1);
  setCentralWidget(central);
}

QWidget* TfmQuendaMain::BuildParamsPanel() {
  auto* panel = Named(new QWidget, "pnlParams");
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);

  gbParams = Named(new QGroupBox(ToQt("Общие сведения о пакете")), "gbParams");
  auto* params = new QVBoxLayout(gbParams);
  sgParams = MakeGrid("sgParams", 2);
  sgParams->horizontalHeader()->hide();
  params->addWidget(sgParams);

  gbDeclarants = Named(new QGroupBox, "gbDeclarants");
  auto* declarants = new QVBoxLayout(gbDeclarants);
  sgDeclarants = MakeGrid("sgDeclarants", 5);
  pnlBottom = Named(new QLabel(ToQt("Для добавления заявителя выберите последнего и нажмите "
                                    "стрелку вниз. Для удаления заявителя нажмите кнопку Delete.")),
                    "pnlBottom");
  pnlBottom->setWordWrap(true);
  declarants->addWidget(sgDeclarants);
  declarants->addWidget(pnlBottom);

  layout->addWidget(gbParams);
  layout->addWidget(gbDeclarants, 1);
  return panel;
}

QWidget* TfmQuendaMain::BuildDocsPanel() {
  auto* panel = Named(new QWidget, "pnlDocs");
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  ToolBar2 = Named(new QToolBar, "ToolBar2");
  ToolBar2->setToolButtonStyle(Qt::ToolButtonTextOnly);
  ToolBar2->addActions({ActionAddDoc, ActionAddFile, ActionAddSign, ActionEditSign, ActionOpenFile,
                        ActionCheckSign, ActionExtractDoc, ActionDeleteDoc});
  gbDocs = Named(new QGroupBox(ToQt("Документы, включённые в пакет ")), "gbDocs");
  auto* docs = new QVBoxLayout(gbDocs);
  lvDocs = Named(new QTreeWidget, "lvDocs");
  lvDocs->setRootIsDecorated(false);
  lvDocs->setColumnCount(3);
  lvDocs->setHeaderLabels({ToQt("Название документа"), ToQt("Имя файла"), ToQt("Подписи")});
  lvDocs->setColumnWidth(0, 300);
  lvDocs->setColumnWidth(1, 300);
  lvDocs->installEventFilter(this);
  // lvDocsDblClick: the view action, when it may run.
  connect(lvDocs, &QTreeWidget::itemDoubleClicked, this, [this] {
    UpdateActions();
    if (ActionOpenFile->isEnabled()) ActionOpenFile->trigger();
  });
  connect(lvDocs, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateActions(); });
  docs->addWidget(lvDocs);
  layout->addWidget(ToolBar2);
  layout->addWidget(gbDocs, 1);
  return panel;
}

void TfmQuendaMain::BuildEditors() {
  auto combo = [this](const char* name, bool editable = false) {
    auto* box = Named(new QComboBox(sgParams->viewport()), name);
    box->setEditable(editable);
    box->hide();
    return box;
  };
  cmbRegType = combo("cmbRegType");
  cmbAppType = combo("cmbAppType");
  cmbReturnType = combo("cmbReturnType");
  for (const char* item : {"не предоставлять", "выдать документы лично",
                           "выслать документы по почте", "выдать представителю по доверенности"}) {
    cmbReturnType->addItem(ToQt(item));
  }
  cmbRegOrg = combo("cmbRegOrg");
  cmbReshOrg = combo("cmbReshOrg");
  cmbOrgName = combo("cmbOrgName", true);
  auto line = [](QLineEdit* edit, const char* name, int max_length) {
    Named(edit, name)->setMaxLength(max_length);
    edit->hide();
    return edit;
  };
  auto filtered = [](TFilteredEdit::Filter filter, QTableWidget* grid) {
    return new TFilteredEdit(filter, grid->viewport());
  };
  edOGRNIP = line(filtered(IsDigit, sgParams), "edOGRNIP", 15);
  edOGRN = line(filtered(IsDigit, sgParams), "edOGRN", 13);
  edSurname = line(filtered(IsNameCharacter, sgDeclarants), "edSurname", 60);
  edForname = line(filtered(IsNameCharacter, sgDeclarants), "edForname", 60);
  edPatronymic = line(filtered(IsNameCharacter, sgDeclarants), "edPatronymic", 60);
  edINN = line(filtered(IsInnCharacter, sgDeclarants), "edINN", 12);
  edEMail = line(new QLineEdit(sgDeclarants->viewport()), "edEMail", 45);
  edSurname->setToolTip(ToQt("Фамилия физического лица - заявителя"));
  edForname->setToolTip(ToQt("Имя физического лица - заявителя"));
  edPatronymic->setToolTip(ToQt("Отчество физического лица - заявителя"));
  edINN->setToolTip(ToQt("ИНН физического лица - заявителя"));
  edEMail->setToolTip(ToQt("E-Mail физического лица - заявителя"));

  for (QWidget* editor : Editors()) editor->installEventFilter(this);
  cmbOrgName->lineEdit()->installEventFilter(this);
  sgDeclarants->installEventFilter(this);
  sgParams->viewport()->installEventFilter(this);
  connect(sgParams, &QTableWidget::currentCellChanged, this,
          [this](int row, int column, int previous_row, int previous_column) {
            RunGuarded([&] { OnParamCellChanged(row, column, previous_row, previous_column); });
          });
  connect(sgDeclarants, &QTableWidget::currentCellChanged, this,
          [this](int row, int column, int previous_row, int previous_column) {
            RunGuarded([&] { OnApplicantCellChanged(row, column, previous_row, previous_column); });
          });
  // A click on the current cell, whose editor was put away, brings it back.
  connect(sgParams, &QTableWidget::cellClicked, this, [this](int row, int column) {
    if (column == 1) RunGuarded([&] { sgParamsSelectCell(column, row); });
  });
  connect(sgDeclarants, &QTableWidget::cellClicked, this, [this](int row, int column) {
    RunGuarded([&] { sgDeclarantsSelectCell(column, row); });
  });
  for (QScrollBar* bar : {sgDeclarants->verticalScrollBar(), sgDeclarants->horizontalScrollBar()}) {
    connect(bar, &QScrollBar::valueChanged, this, [this] { sgDeclarantsTopLeftChanged(); });
  }
  connect(cmbRegType, &QComboBox::activated, this,
          [this] { RunGuarded([this] { cmbRegTypeChange(); }); });
  connect(cmbAppType, &QComboBox::activated, this,
          [this] { RunGuarded([this] { cmbAppTypeChange(); }); });
}

void TfmQuendaMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) RunGuarded([this] { FormShow(); });
}

void TfmQuendaMain::FormShow() {
  tvMenu->clear();
  auto* root = new QTreeWidgetItem(tvMenu, {ToQt("Пакет")});
  root->setData(0, kNodeKindRole, kNodePacket);
  auto* general = new QTreeWidgetItem(root, {ToQt("Общие сведения")});
  general->setData(0, kNodeKindRole, kNodeGeneral);
  auto* documents = new QTreeWidgetItem(root, {ToQt("Документы")});
  documents->setData(0, kNodeKindRole, kNodeDocuments);
  root->setExpanded(true);
  tvMenu->setCurrentItem(general);

  sgParams->verticalHeader()->setDefaultSectionSize(cmbReturnType->sizeHint().height());
  sgDeclarants->verticalHeader()->setDefaultSectionSize(edSurname->sizeHint().height());
  RefreshView();
  sgDeclarants->setHorizontalHeaderLabels(
      {ToQt("Фамилия"), ToQt("Имя"), ToQt("Отчество"), ToQt("ИНН ФЛ"), ToQt("E-Mail")});
  const int widths[] = {120, 120, 120, 100};
  for (int column = 0; column < 4; ++column) sgDeclarants->setColumnWidth(column, widths[column]);
  if (sgParams->rowCount() > 0) sgParams->setCurrentCell(0, 1);

  const std::string caption = Params.GetValue("CAPTION");
  if (!caption.empty()) {
    setWindowTitle(ToQt(caption));
  } else if (Mode & kModeCreate) {
    setWindowTitle(ToQt(kLongCaption));
  } else if (Mode & kModeOpen) {
    setWindowTitle(ToQt("Просмотр пакета"));
  } else {
    setWindowTitle(ToQt(kProgramTitle));
  }
  NAbout->setVisible(!Params.GetValue("SHOWABOUT").empty());
}

// The menu's "Выход" and the window manager's close both come here. A
// failure to ask keeps the window, as closing would drop the work unasked.
void TfmQuendaMain::closeEvent(QCloseEvent* event) {
  bool may_close = false;
  RunGuarded([&] { may_close = MayClose(); });
  if (!may_close) {
    event->ignore();
    return;
  }
  FormClose();
  QMainWindow::closeEvent(event);
}

std::string TfmQuendaMain::GetWorkFolder() { return work_folder_.Path(); }

// The files written out for viewing go when the window closes, and with
// them this copy's work folder; other copies' folders are theirs.
void TfmQuendaMain::FormClose() {
  tvMenu->clear();
  work_folder_.Remove();
}

bool TfmQuendaMain::eventFilter(QObject* watched, QEvent* event) {
  // The list is watched from its making on, before the editors exist.
  if (cmbOrgName == nullptr) return QMainWindow::eventFilter(watched, event);
  QObject* editor = watched == cmbOrgName->lineEdit() ? cmbOrgName : watched;
  for (QWidget* candidate : Editors()) {
    if (candidate != editor) continue;
    bool consumed = false;
    RunGuarded([&] { consumed = EditorEvent(candidate, event); });
    if (consumed) return true;
    return QMainWindow::eventFilter(watched, event);
  }
  if (watched == sgParams->viewport() && event->type() == QEvent::ToolTip) {
    ShowValueTip(*static_cast<QHelpEvent*>(event));
    return true;
  }
  if (watched == sgDeclarants && event->type() == QEvent::KeyPress) {
    bool handled = false;
    RunGuarded([&] { handled = sgDeclarantsKeyDown(static_cast<QKeyEvent*>(event)->key()); });
    if (handled) return true;
  }
  // lvDocsEnter: a list that takes the focus has a row selected.
  if (watched == lvDocs && event->type() == QEvent::FocusIn && lvDocs->topLevelItemCount() > 0 &&
      lvDocs->selectedItems().isEmpty()) {
    lvDocs->setCurrentItem(lvDocs->topLevelItem(0));
  }
  return QMainWindow::eventFilter(watched, event);
}

void TfmQuendaMain::tvMenuChange() {
  QTreeWidgetItem* node = tvMenu->currentItem();
  if (!pnlLeft->isVisible() || node == nullptr) return;
  pnlParams->hide();
  pnlDocs->hide();
  const int kind = node->data(0, kNodeKindRole).toInt();
  if (kind == kNodeGeneral) pnlParams->show();
  if (kind == kNodeDocuments) pnlDocs->show();
}

TRegDoc* TfmQuendaMain::DocOf(QTreeWidgetItem* item) {
  auto* row = dynamic_cast<TDocItem*>(item);
  return row == nullptr ? nullptr : row->Doc.get();
}

void TfmQuendaMain::SetStatusFile(const std::string& name) { sbPanel1->setText(ToQt(name)); }
