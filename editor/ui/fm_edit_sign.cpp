#include "editor/ui/fm_edit_sign.h"

#include <vector>

#include "editor/model/editor_error.h"
#include "editor/model/ole_check.h"
#include "editor/model/packet.h"
#include "editor/model/shell_routines.h"
#include "editor/ui/signature_key.h"

namespace {

constexpr TCheckListForm kForm = {
    "fmEditSign", "Список подписей", 366, 330, "lbSigns", 48, "Удалить", "btnDelete",
};

}  // namespace

TfmEditSign::TfmEditSign(QWidget* parent) : TCheckListDialog(kForm, parent) {}

void TfmEditSign::FillSignatures(ITarvex* package, int32_t index) {
  int32_t count = 0;
  OleCheck(package->GetFileSignatureCount(index, &count));
  for (int32_t j = 0; j < count; ++j) {
    const ComRef<ITarvexKey> key = FileSignatureKey(package, index, j);
    std::string surname, name, patronymic;
    TPacket::GetSignerNames(KeyText(key.get(), &ITarvexKey::get_SubjectCN), surname, name,
                            patronymic);
    AddItem(surname + " " + name + " " + patronymic);
  }
}

bool EditSignatures(TPacket& packet, int32_t index) {
  if (!packet.Package) throw EditorError("Пакет не создан: нет объекта пакета библиотеки");
  ITarvex* package = packet.Package.get();
  TfmEditSign form;
  form.FillSignatures(package, index);
  form.exec();
  if (!form.Confirmed()) return false;
  try {
    int32_t count = 0;
    OleCheck(package->GetFileSignatureCount(index, &count));
    // From the highest position down, so that each removal leaves the
    // positions still to remove where they were.
    const std::vector<int> checked = form.CheckedRows();
    for (auto row = checked.rbegin(); row != checked.rend(); ++row) {
      if (*row >= count) continue;
      packet.DeleteSignature(index, *row);
    }
  } catch (const EditorError& e) {
    ShowMessageBox("Ошибка удаления подписи:\r\n" + e.Message(), kMessageWarning);
    return false;
  }
  return true;
}
