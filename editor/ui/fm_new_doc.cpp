#include "editor/ui/fm_new_doc.h"

#include <QListWidgetItem>

#include "editor/model/shell_routines.h"
#include "editor/ui/qt_text.h"

namespace {

constexpr TCheckListForm kForm = {
    "fmNewDoc", "Выберите документы", 536, 422, "lbDocs", 50, "Добавить", "btnAdd",
};

}  // namespace

TfmNewDoc::TfmNewDoc(QWidget* parent) : TCheckListDialog(kForm, parent) {
  // Only the system menu box, no minimising or maximising.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

void TfmNewDoc::FillDocuments() {
  for (const TObjectItem<TRegDocType>& entry : reader_.Items) {
    AddItem(entry.Text)->setToolTip(ToQt(entry.Text));
  }
}

void TfmNewDoc::AppendChecked(std::vector<TRegDocType>& result) const {
  for (int row : CheckedRows()) result.push_back(*reader_.Items[row].Object);
}

bool SelectNewDocuments(const std::string& regdoc_path, const std::string& app_code,
                        std::vector<TRegDocType>& result,
                        const std::vector<std::string>& present_codes) {
  TfmNewDoc form;
  std::string message;
  if (!form.Reader().LoadDocuments(regdoc_path, app_code, message, present_codes)) {
    ShowMessageBox(message, kMessageError);
    return false;
  }
  if (form.Reader().Items.empty()) {
    ShowMessageBox("Нет документов для добавления.", kMessageInformation);
    return false;
  }
  form.FillDocuments();
  form.exec();
  if (!form.Confirmed()) return false;
  form.AppendChecked(result);
  return true;
}
