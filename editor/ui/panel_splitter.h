// A bar between two panels laid one above the other: dragging it changes
// the height of the panel above, the panel below takes the rest.
#pragma once

#include <QFrame>

class TPanelSplitter : public QFrame {
 public:
  TPanelSplitter(QWidget* above, QWidget* parent = nullptr);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QWidget* above_;
  int start_y_ = 0;
  int start_height_ = 0;
};
