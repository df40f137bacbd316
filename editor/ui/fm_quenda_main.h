// The editor's main window: the current packet and the state of the work,
// the package's general data in the parameter grid, the applicants in the
// applicant grid, the package's documents in the list, and the actions.
// Texts are cp1251; they become QString only in the widgets.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/model/object_list.h"
#include "editor/model/ogrn_check.h"
#include "editor/model/packet.h"
#include "editor/model/packet_params.h"
#include "editor/model/reg_doc.h"
#include "editor/model/reg_opf.h"
#include "editor/model/reg_org.h"
#include "editor/ui/work_folder.h"
#include "include/tarvex_enums.h"

class QAction;
class QComboBox;
class QEvent;
class QGroupBox;
class QHelpEvent;
class QLabel;
class QLineEdit;
class QTableWidget;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// Mode bits.
constexpr uint8_t kModeOpen = 1;
constexpr uint8_t kModeCreate = 2;

// States of the work.
enum : uint8_t {
  kStateOpenedOther = 0,  // a notice, receipt or decision, read-only
  kStateNewIP = 1,
  kStateNewUL = 2,
  kStateOpenedIP = 3,
  kStateOpenedUL = 4,
  kStateError = 5,
  kStateKindChosen = 6,  // applicant kind chosen, application kind not yet
  kStateNothing = 7,
};

class TfmQuendaMain : public QMainWindow {
 public:
  explicit TfmQuendaMain(QWidget* parent = nullptr);
  ~TfmQuendaMain() override;

  // Program start and the ini file.
  void ReadSettings();
  void LoadLastValues();
  void SaveLastValues();
  void ShowSetup();
  // True when the window is ready to be shown.
  bool Initialize();

  // A packet for the application kind selected in cmbAppType; false with
  // "Ошибка создания пакета:\r\n..." in `message`, and no packet.
  bool CreatePacket(std::string& message);
  void RefreshView();
  void AddDocItem(const std::string& path, const std::string& doc_type_code,
                  const std::string& signers, const std::string& document_code,
                  int32_t package_index, const std::string& doc_name,
                  const std::string& код_свдрег);
  // The signers of package file `index`, "Фамилия Имя Отчество" each,
  // joined by ",".
  std::string GetSignersText(int32_t index);
  // The transaction type of the package the packet holds open; false with
  // the library's message, or with "Неизвестный тип транзакции." for none.
  bool GetTransactionType(TPacket& packet, TRANSACTION_TYPES& type, std::string& message);
  bool HasDecisionOrgan() const;
  // This copy's own folder for the documents it views, with its trailing
  // "/", made when missing; it goes when the window closes. Raises
  // EditorError when it cannot be made.
  std::string GetWorkFolder();
  void UpdateSignerRole();

  // The checks before forming, in their order: false after the first
  // failing one's warning, with its cell selected.
  bool CheckFields();

  // Handlers.
  // Whether the cell may be selected; an editor placed over it, or the
  // selection moved on.
  bool sgParamsSelectCell(int column, int row);
  bool sgDeclarantsSelectCell(int column, int row);
  void sgDeclarantsTopLeftChanged();
  // True when the key was handled: an applicant row added or deleted.
  bool sgDeclarantsKeyDown(int key);
  void cmbRegTypeChange();
  void cmbAppTypeChange();
  void ActionNewPacketExecute();
  void ActionOpenPacketExecute();
  void tvMenuChange();

  // Forming the package: the checks, the signatures still missing, the
  // values copied into the packet, the folder, and the packet's save.
  void ActionSavePacketExecute();
  // The packet of the kind saved; false and the reason in `message`, else
  // the package's path in it.
  bool FormIPPacket(std::string& message);
  bool FormULPacket(std::string& message);
  // The actions on the selected document row.
  void ActionAddDocExecute();
  void ActionAddFileExecute();
  void ActionAddSignExecute();
  void ActionEditSignExecute();
  void ActionDeleteDocExecute();
  void ActionOpenFileExecute();
  void ActionCheckSignExecute();
  void ActionExtractDocExecute();

  // The document row of a list item.
  static TRegDoc* DocOf(QTreeWidgetItem* item);

  TPacketParams Params;
  uint8_t Mode = 0;
  uint8_t State = kStateNothing;
  std::unique_ptr<TPacket> Packet;
  std::string RegDocPath;
  std::string RegOrgPath;
  std::string RegOpfPath;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildActions();
  void BuildMenus();
  void BuildPanels();
  QWidget* BuildParamsPanel();
  QWidget* BuildDocsPanel();
  void BuildEditors();
  // The enabling rules of the actions, for the state, the selected row and
  // where the focus is.
  void UpdateActions();
  void ConnectActions();
  void FormShow();
  void FormClose();

  std::string Ini() const;
  void SelectOffice(QComboBox* combo, const TObjectList<TRegOrg>& list, const char* param,
                    bool by_spro);
  bool PresetOffice(QComboBox* combo, const TObjectList<TRegOrg>& list, const char* param,
                    bool by_spro);
  void LoadBooks();
  void LoadOffices(TObjectList<TRegOrg>& list, QComboBox* combo, int32_t type, const char* prefix);
  void SetAppKinds(const TXMLRegDoc& reader);
  int IndexOfAppKind(const std::string& code) const;
  const TRegDocType* SelectedAppKind() const;
  const TRegType* SelectedRegType() const;
  bool OgrnRequired() const;

  // True when the work in hand may go for a new or an opened packet: at
  // once where nothing could be lost (no create mode, or a state of no own
  // work: a received package, an error, nothing chosen), else when the
  // user answers Yes to `question`.
  bool MayDiscardWork(const char* question);
  // True when the window may close: at once where nothing was changed
  // since the packet was created, opened or last formed, else when the
  // user answers Yes. A text still in an editor goes into its cell first,
  // and so counts as a change.
  bool MayClose();
  void OpenPacketFile(const std::string& path);
  void SelectOpenedKind(const std::string& code);
  void FillOpenedDocuments(int32_t inventory_index);
  void FillApplicants();
  void SetApplicantRow(int row, const std::string& surname, const std::string& name,
                       const std::string& patronymic, const std::string& inn,
                       const std::string& email);

  // The grids' editors.
  std::vector<QWidget*> Editors() const;
  void HideEditors();
  // Every shown editor's text goes into its cell.
  void CommitEditors();
  QWidget* ParamEditor(int row) const;
  QWidget* ApplicantEditor(int column) const;
  int OgrnRow() const;
  void PlaceEditor(QWidget* editor, QTableWidget* grid, int row, int column);
  void OnParamCellChanged(int row, int column, int previous_row, int previous_column);
  void OnApplicantCellChanged(int row, int column, int previous_row, int previous_column);
  void EditorExit(QWidget* editor, bool back_to_grid);
  // Shift+Tab in a parameter editor; true when the field above took it.
  bool ParamEditorBack(QWidget* editor);
  // True when the event is consumed.
  bool EditorEvent(QWidget* editor, QEvent* event);
  void ApplyParamColours();
  void ApplyApplicantColours();
  // The column width that shows the text of a cell of the grid whole.
  static int CellWidth(const QTableWidget* grid, const QString& text);
  // A value cut at its column's edge is shown whole as the tip; others get
  // none.
  void ShowValueTip(const QHelpEvent& help) const;
  std::string CellText(const QTableWidget* grid, int row, int column) const;
  // The values, applicants and document rows the window keeps until
  // forming are the packet's content too: a change of them marks it.
  void MarkWorkChanged();
  void SetCellText(QTableWidget* grid, int row, int column, const QString& text);
  bool FieldFails(const std::string& message, QTableWidget* grid, int row, int column);
  bool CheckOffice(int row);
  bool CheckNumber(int row, OgrnKind kind, const char* param);

  // The document actions' pieces.
  QTreeWidgetItem* SelectedItem() const;
  // The package index of the row's document, looked up by its code, as
  // stored indices go stale when a document before it is deleted; -1 when
  // the package does not hold it.
  int32_t PackageIndexOf(const TRegDoc& doc) const;
  // The index, or EditorError with `missing` when the package lacks it.
  int32_t RequirePackageIndex(const TRegDoc& doc, const char* missing) const;
  // Every row's stored index made current again.
  void RefreshPackageIndices();
  void ShowSigners(QTreeWidgetItem* item, int32_t index);
  // False after offering the settings when no signing certificate is set.
  bool HasSigner();
  // Offers to sign every document of the package that has no signature;
  // false when a signature failed, which ends the forming.
  bool SignUnsignedDocuments();
  void CopyValuesIntoPacket();
  // The save of FormIPPacket and FormULPacket once the kind's values are in.
  bool FormPacket(std::string& message);

  void SetParamRows(const std::vector<std::pair<std::string, std::string>>& rows);
  std::string ComboText(const QComboBox* combo, const char* placeholder) const;
  void SetHeights();
  void ClearDocuments();
  void SetStatusFile(const std::string& name);

  // The combo boxes' items and records; the readers of the offices work
  // on these lists, so they are declared before the readers.
  TObjectList<TRegType> reg_types_;
  std::vector<TRegDocType> app_kinds_;
  TObjectList<TRegOrg> reg_orgs_;
  TObjectList<TRegOrg> resh_orgs_;
  std::vector<std::string> org_names_;
  TXMLRegDoc reg_doc_;
  TXMLRegOrg reg_org_;
  TXMLRegOpf reg_opf_;
  // While set, selections the window makes itself run no handler.
  bool quiet_grids_ = false;
  // How deep refused selections have moved on, so that rows which all
  // refuse end the moving.
  int select_depth_ = 0;
  // The way refused parameter rows are passed: down, or up for Shift+Tab.
  int select_step_ = 1;
  // The applicant row the applicants' editors were placed over. They write
  // their text back there: when an arrow key moves the selection, the
  // grid's current row has moved on before they leave.
  int applicant_row_ = -1;
  // The parameter cell a selection started from.
  std::pair<int, int> origin_{-1, -1};
  // The editor whose leaving gives the focus to its grid, which must not
  // make it leave once more.
  QWidget* exiting_ = nullptr;
  // The attach dialog keeps its filter for a row whose kind has none.
  std::string add_file_filter_;
  TWorkFolder work_folder_;
  // Focus changes anywhere in the application update the actions; the
  // connection goes before the window's controls do.
  QMetaObject::Connection focus_watch_;

  // Controls, named as the window names them.
  QAction* ActionNewPacket = nullptr;
  QAction* ActionOpenPacket = nullptr;
  QAction* ActionSavePacket = nullptr;
  QAction* ActionSetup = nullptr;
  QAction* ActionAddDoc = nullptr;
  QAction* ActionAddFile = nullptr;
  QAction* ActionAddSign = nullptr;
  QAction* ActionEditSign = nullptr;
  QAction* ActionDeleteDoc = nullptr;
  QAction* ActionOpenFile = nullptr;
  QAction* ActionCheckSign = nullptr;
  QAction* ActionExtractDoc = nullptr;
  QAction* NExit = nullptr;
  QAction* NHelp = nullptr;
  QAction* NAbout = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QToolBar* ToolBar2 = nullptr;
  QWidget* pnlLeft = nullptr;
  QTreeWidget* tvMenu = nullptr;
  QWidget* pnlRight = nullptr;
  QWidget* pnlParams = nullptr;
  QGroupBox* gbParams = nullptr;
  QTableWidget* sgParams = nullptr;
  QGroupBox* gbDeclarants = nullptr;
  QTableWidget* sgDeclarants = nullptr;
  QLabel* pnlBottom = nullptr;
  QWidget* spLeft = nullptr;
  QWidget* pnlDocs = nullptr;
  QGroupBox* gbDocs = nullptr;
  QTreeWidget* lvDocs = nullptr;
  QLabel* sbPanel0 = nullptr;
  QLabel* sbPanel1 = nullptr;
  QComboBox* cmbRegType = nullptr;
  QComboBox* cmbAppType = nullptr;
  QComboBox* cmbReturnType = nullptr;
  QComboBox* cmbRegOrg = nullptr;
  QComboBox* cmbReshOrg = nullptr;
  QComboBox* cmbOrgName = nullptr;
  QLineEdit* edOGRNIP = nullptr;
  QLineEdit* edOGRN = nullptr;
  QLineEdit* edSurname = nullptr;
  QLineEdit* edForname = nullptr;
  QLineEdit* edPatronymic = nullptr;
  QLineEdit* edINN = nullptr;
  QLineEdit* edEMail = nullptr;
};
