// The signature-editing dialog: the signatures of one document of the
// packet by signer name, and the removal of those the user checks. The
// removal is made in the library's package object; the package file
// changes only when the packet is saved.
#pragma once

#include <cstdint>

#include "editor/ui/check_list_dialog.h"
#include "include/tarvex_interfaces.h"

class TPacket;

class TfmEditSign : public TCheckListDialog {
 public:
  explicit TfmEditSign(QWidget* parent = nullptr);

  // One item "Фамилия Имя Отчество" per signature of file `index`, in
  // signature order. Raises EditorError when a call fails or a signer's
  // CN is empty.
  void FillSignatures(ITarvex* package, int32_t index);
};

// Shows the signatures of file `index` of the packet's package modally. True
// when the user pressed "Удалить" and every checked signature was removed;
// false when the dialog was closed otherwise, and after the warning
// "Ошибка удаления подписи:\r\n..." when a removal failed (those removed
// before it stay removed). An error while the list is built raises
// EditorError before the dialog shows.
bool EditSignatures(TPacket& packet, int32_t index);
