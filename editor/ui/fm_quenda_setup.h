// The settings dialog: the certificate that signs packages, the marks of
// acting notaries, and the three working folders, read from and written to
// the editor's ini file (section QUENDA_SETUP).
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "editor/ui/cert_info.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;
class TPacket;
class TValueList;

class TfmQuendaSetup : public QDialog {
 public:
  // An empty `ini_path` means the executable's path with ".ini".
  explicit TfmQuendaSetup(const std::string& ini_path, QWidget* parent = nullptr);
  ~TfmQuendaSetup() override;

  // Loads the library from `library_folder` (empty: the executable's) and
  // initialises its key catalogue; raises EditorError with the reason.
  void InitCatalogue(const std::string& library_folder);
  void LoadSettings();
  // One item per private key of the catalogue, in its order.
  void FillCertificates();
  void ShowCertInfo();
  // Checks the folders and writes the settings; false with a warning shown
  // and the offending field focused.
  bool Apply();
  // The result of the last apply.
  bool Applied() const { return applied_; }
  const std::vector<TCertInfo>& Certificates() const { return certificates_; }
  // Ends the opening: the next show reads the file again.
  void done(int result) override;

 protected:
  // The file is read on the first show of an opening only: a window
  // restored from minimised keeps the user's edits.
  void showEvent(QShowEvent* event) override;

 private:
  void BuildSignerPage();
  void BuildFoldersPage();
  void cmbPrivateCertChange();
  void cbIONotaryClick();
  void PickFolder(QLineEdit* edit, const char* title);
  void btnSaveClick();
  // The folder the edit names, trimmed, in `folder`; false, once the user
  // was told, when it is no folder or cp1251 cannot hold its name, which a
  // look-alike would put in the settings in its place.
  bool CheckFolder(QLineEdit* edit, const char* message, std::string& folder);
  bool Write(const char* key, const std::string& value);

  std::string ini_path_;
  std::unique_ptr<TPacket> packet_;
  std::string acting_notaries_;
  bool applied_ = false;
  bool shown_ = false;
  std::vector<TCertInfo> certificates_;

  QTabWidget* PageControl1;
  QWidget* TabSheet1;
  QWidget* TabSheet2;
  QLabel* Label32;
  QComboBox* cmbPrivateCert;
  TValueList* vleInfo;
  QCheckBox* cbIONotary;
  QLabel* Label6;
  QLineEdit* edEMail;
  QCheckBox* cbCaching;
  QLineEdit* edOutPath;
  QLineEdit* edInputPath;
  QLineEdit* edDocPath;
  QPushButton* btnSave;
};

// Shows the dialog modally; true when it was closed by a successful apply.
// Raises EditorError when the key catalogue cannot be initialised.
bool ShowSetupDialog(const std::string& library_folder, const std::string& ini_path);
