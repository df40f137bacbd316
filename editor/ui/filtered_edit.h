// A one-line editor that takes only the characters its filter passes,
// however they come: typed, pasted by key, menu or middle button, dropped,
// or committed by an input method. A paste or a drop is taken whole or not
// at all. Keys that type no character (Tab, the arrows, Backspace, Delete,
// copying) stay the line editor's own, so the focus moves and the
// clipboard works as in any other editor.
#pragma once

#include <QLineEdit>

class TFilteredEdit : public QLineEdit {
 public:
  // Whether the editor takes a character of code page 1251.
  using Filter = bool (*)(unsigned char c);

  TFilteredEdit(Filter filter, QWidget* parent);

  // True when every character of `text` passes the filter.
  bool Takes(const QString& text) const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;

 private:
  Filter filter_;
};
