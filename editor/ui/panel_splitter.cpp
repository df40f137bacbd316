#include "editor/ui/panel_splitter.h"

#include <QMouseEvent>
#include <algorithm>

TPanelSplitter::TPanelSplitter(QWidget* above, QWidget* parent) : QFrame(parent), above_(above) {
  setFixedHeight(5);
  setFrameShape(QFrame::HLine);
  setFrameShadow(QFrame::Sunken);
  setCursor(Qt::SizeVerCursor);
}

void TPanelSplitter::mousePressEvent(QMouseEvent* event) {
  start_y_ = static_cast<int>(event->globalPosition().y());
  start_height_ = above_->height();
}

void TPanelSplitter::mouseMoveEvent(QMouseEvent* event) {
  const int moved = static_cast<int>(event->globalPosition().y()) - start_y_;
  above_->setFixedHeight(std::max(above_->minimumSizeHint().height() / 2, start_height_ + moved));
}
