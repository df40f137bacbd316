#include "editor/ui/bottom_panel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>

#include "editor/ui/qt_text.h"

BottomPanel MakeBottomPanel(int height, const char* caption, const char* button_name,
                            int right_gap) {
  auto* panel = new QFrame;
  panel->setObjectName("pnlBottom");
  panel->setFixedHeight(height);
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(0, 0, right_gap, 0);
  row->addStretch();
  auto* button = new QPushButton(ToQt(caption));
  button->setObjectName(button_name);
  button->setMinimumSize(75, 25);
  button->setDefault(true);
  row->addWidget(button);
  return {panel, button};
}
