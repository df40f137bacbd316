// The check-list dialogs of the editor: checkable items in a panel "pnlTop"
// with a lowered bevel, above a bottom panel with one button. The button is
// enabled exactly while an item is checked, so it starts disabled, and
// closes the dialog as confirmed.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;
class QListWidgetItem;
class QPushButton;

struct TCheckListForm {
  const char* name;  // of the dialog
  const char* caption;
  int width;
  int height;
  const char* list_name;
  int panel_height;  // of the bottom panel
  const char* button_caption;
  const char* button_name;
};

class TCheckListDialog : public QDialog {
 public:
  TCheckListDialog(const TCheckListForm& form, QWidget* parent);

  // An unchecked item at the end.
  QListWidgetItem* AddItem(const std::string& text);
  // The checked rows, lowest first.
  std::vector<int> CheckedRows() const;
  // True once the button closed the dialog.
  bool Confirmed() const { return confirmed_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ListClickCheck();
  void ButtonClick();

  bool confirmed_ = false;
  QListWidget* list_;
  QPushButton* button_;
};
