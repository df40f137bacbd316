#include "editor/ui/filtered_edit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <algorithm>
#include <string>

#include "editor/ui/qt_text.h"

namespace {

// Whether the line editor would insert the key's text: the rule of Qt's
// own line editor, which leaves control characters and keys held with Ctrl
// to editing and shortcuts.
bool TypesText(const QKeyEvent& event) {
  const QString text = event.text();
  if (text.isEmpty() || text.at(0).category() == QChar::Other_Control) return false;
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  return modifiers != Qt::ControlModifier && modifiers != (Qt::ShiftModifier | Qt::ControlModifier);
}

QString ClipboardText(QClipboard::Mode mode) { return QGuiApplication::clipboard()->text(mode); }

}  // namespace

TFilteredEdit::TFilteredEdit(Filter filter, QWidget* parent) : QLineEdit(parent), filter_(filter) {}

// Characters outside the code page become '?', which no filter passes.
bool TFilteredEdit::Takes(const QString& text) const {
  const std::string ansi = FromQt(text);
  return std::all_of(ansi.begin(), ansi.end(),
                     [this](char c) { return filter_(static_cast<unsigned char>(c)); });
}

// A refused key is dropped here rather than ignored: the grid beneath
// would take its text as a search and move its current cell.
void TFilteredEdit::keyPressEvent(QKeyEvent* event) {
  const bool refused = event->matches(QKeySequence::Paste)
                           ? !Takes(ClipboardText(QClipboard::Clipboard))
                           : TypesText(*event) && !Takes(event->text());
  if (refused) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

// A refused commit is left out; the composition itself goes on.
void TFilteredEdit::inputMethodEvent(QInputMethodEvent* event) {
  if (Takes(event->commitString())) {
    QLineEdit::inputMethodEvent(event);
    return;
  }
  QInputMethodEvent composing(event->preeditString(), event->attributes());
  QLineEdit::inputMethodEvent(&composing);
}

// The line editor's own menu, whose paste is offered only for text the
// editor takes. Qt gives the paste action no name: it is known by the paste
// keys its caption shows.
void TFilteredEdit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  const QString keys = u'\t' + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
  for (QAction* action : menu->actions()) {
    if (action->text().endsWith(keys)) {
      action->setEnabled(action->isEnabled() && Takes(ClipboardText(QClipboard::Clipboard)));
    }
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

// Where the system has a selection, the middle button pastes it.
void TFilteredEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection() &&
      !Takes(ClipboardText(QClipboard::Selection))) {
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

// A text the editor does not take is refused as the drag enters, as the
// line editor refuses what is not text: the drag's moves and its drop then
// go elsewhere.
void TFilteredEdit::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasText() && !Takes(event->mimeData()->text())) {
    event->ignore();
    return;
  }
  QLineEdit::dragEnterEvent(event);
}
