// The signature information dialog: who signed a document of the package,
// for every signature its certificate's subject, the signer role, the
// thumbprint and the issuer. It reads the library's package object and
// changes nothing.
#pragma once

#include <QDialog>
#include <cstdint>

#include "include/tarvex_interfaces.h"

class QPushButton;
class TValueList;

class TfmSignInfoEx : public QDialog {
 public:
  explicit TfmSignInfoEx(QWidget* parent = nullptr);

  // Appends four rows per signature of file `index`, each group headed by
  // "ЭЦП №n" when the file has more than one. Raises EditorError with the
  // library's message when a call fails.
  void AddSignatures(ITarvex* package, int32_t index);

 private:
  TValueList* vleInfo;
  QPushButton* btnClose;
};

// Shows the signatures of file `index` modally; true once the dialog is
// closed. When they cannot be read the dialog is not shown: false after the
// warning "Невозможно отобразить сведения об ЭЦП:\r\n" and the reason.
bool ShowSignInfo(ITarvex* package, int32_t index);
