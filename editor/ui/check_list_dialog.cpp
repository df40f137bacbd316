#include "editor/ui/check_list_dialog.h"

#include <QFrame>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/ui/bottom_panel.h"
#include "editor/ui/qt_text.h"

TCheckListDialog::TCheckListDialog(const TCheckListForm& form, QWidget* parent) : QDialog(parent) {
  setObjectName(form.name);
  setWindowTitle(ToQt(form.caption));
  setFixedSize(form.width, form.height);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* panel = new QFrame;
  panel->setObjectName("pnlTop");
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* fill = new QVBoxLayout(panel);
  fill->setContentsMargins(1, 1, 1, 1);
  list_ = new QListWidget;
  list_->setObjectName(form.list_name);
  fill->addWidget(list_);
  layout->addWidget(panel, 1);
  // The button stays 10 pixels from the panel's right edge.
  const BottomPanel bottom =
      MakeBottomPanel(form.panel_height, form.button_caption, form.button_name, 10);
  button_ = bottom.button;
  layout->addWidget(bottom.panel);
  connect(list_, &QListWidget::itemChanged, this, [this] { ListClickCheck(); });
  connect(button_, &QPushButton::clicked, this, [this] { ButtonClick(); });
}

QListWidgetItem* TCheckListDialog::AddItem(const std::string& text) {
  auto* item = new QListWidgetItem(ToQt(text), list_);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(Qt::Unchecked);
  return item;
}

std::vector<int> TCheckListDialog::CheckedRows() const {
  std::vector<int> rows;
  for (int row = 0; row < list_->count(); ++row) {
    if (list_->item(row)->checkState() == Qt::Checked) rows.push_back(row);
  }
  return rows;
}

void TCheckListDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ListClickCheck();
}

void TCheckListDialog::ListClickCheck() { button_->setEnabled(!CheckedRows().empty()); }

void TCheckListDialog::ButtonClick() {
  confirmed_ = true;
  accept();
}
