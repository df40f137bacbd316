#include "editor/ui/fm_sign_info_ex.h"

#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/model/doc_types.h"
#include "editor/model/editor_error.h"
#include "editor/model/ole_check.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "editor/ui/bottom_panel.h"
#include "editor/ui/qt_text.h"
#include "editor/ui/signature_key.h"
#include "editor/ui/value_list.h"

TfmSignInfoEx::TfmSignInfoEx(QWidget* parent) : QDialog(parent) {
  setObjectName("fmSignInfoEx");
  setWindowTitle(ToQt("Сведения о ЭЦП"));
  resize(448, 431);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  vleInfo = new TValueList(133, 301);
  vleInfo->setObjectName("vleInfo");
  layout->addWidget(vleInfo, 1);
  // The button stays 5 pixels from the panel's right edge.
  const BottomPanel bottom = MakeBottomPanel(43, "Закрыть", "btnClose", 5);
  btnClose = bottom.button;
  layout->addWidget(bottom.panel);
  connect(btnClose, &QPushButton::clicked, this, [this] { accept(); });
}

void TfmSignInfoEx::AddSignatures(ITarvex* package, int32_t index) {
  int32_t count = 0;
  OleCheck(package->GetFileSignatureCount(index, &count));
  for (int32_t j = 0; j < count; ++j) {
    if (count > 1) vleInfo->AddRow("ЭЦП №" + std::to_string(j + 1), "");
    const ComRef<ITarvexKey> key = FileSignatureKey(package, index, j);
    SIGN_ROLE_TYPES role = SIGN_ROLE_TYPE_UNKNOWN;
    OleCheck(key->get_SignRole(&role));
    vleInfo->AddRow("Субъект", DNValues(KeyText(key.get(), &ITarvexKey::get_Subject)));
    vleInfo->AddRow("Роль подписанта", SignRoleName(static_cast<uint16_t>(role)));
    vleInfo->AddRow("Отпечаток сертификата", KeyText(key.get(), &ITarvexKey::get_Sha1));
    vleInfo->AddRow("Поставщик", KeyText(key.get(), &ITarvexKey::get_Issuer));
  }
}

bool ShowSignInfo(ITarvex* package, int32_t index) {
  TfmSignInfoEx form;
  try {
    form.AddSignatures(package, index);
  } catch (const EditorError& e) {
    ShowMessageBox("Невозможно отобразить сведения об ЭЦП:\r\n" + e.Message(), kMessageWarning);
    return false;
  }
  form.exec();
  return true;
}
