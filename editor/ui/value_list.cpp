#include "editor/ui/value_list.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include "editor/ui/qt_text.h"

namespace {

constexpr int kKeyColumn = 0;
constexpr int kValueColumn = 1;

bool IsBreak(QChar c) {
  return c == u' ' || c == u'-' || c == u',' || c == u'!' || c == u'?' || c == u':';
}

// Wraps to the column's width less 4 pixels and draws the lines from the
// cell's left edge + 2, centred as a block: the selected or focused row on
// light yellow, the others on white, all in black.
class TValueListDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const bool marked = option.state & (QStyle::State_Selected | QStyle::State_HasFocus);
    painter->save();
    painter->fillRect(option.rect, marked ? QColor(0xFF, 0xFF, 0xE1) : QColor(Qt::white));
    painter->setPen(Qt::black);
    painter->setFont(option.font);
    const QFontMetrics metrics(option.font);
    const QStringList lines = WrapText(index.data().toString(), option.rect.width() - 4, metrics);
    int top = option.rect.top() + (option.rect.height() - lines.size() * metrics.height()) / 2;
    for (const QString& line : lines) {
      painter->drawText(
          QRect(option.rect.left() + 2, top, option.rect.width() - 2, metrics.height()),
          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
      top += metrics.height();
    }
    painter->restore();
  }
};

}  // namespace

QStringList WrapText(const QString& text, int width, const QFontMetrics& metrics) {
  QStringList lines;
  QString rest = text.trimmed();
  while (!rest.isEmpty()) {
    // The longest run narrower than the width, at least one character. The
    // whole rest is measured too, so a last line never runs past the edge.
    qsizetype length = 1;
    while (length < rest.size() && metrics.horizontalAdvance(rest.left(length + 1)) < width) {
      ++length;
    }
    if (length < rest.size()) {
      qsizetype cut = length;
      while (cut > 0 && !IsBreak(rest[cut - 1])) --cut;
      if (cut > 0) length = cut;  // else no place to break: cut where it stops fitting
    }
    const QString line = rest.left(length);
    if (!line.isEmpty()) lines << line;
    rest = rest.mid(length);
  }
  return lines;
}

TValueList::TValueList(int key_width, int value_width, QWidget* parent)
    : QTableWidget(0, 2, parent) {
  setHorizontalHeaderLabels({ToQt("Поле"), ToQt("Значение")});
  verticalHeader()->hide();
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setStretchLastSection(true);
  setColumnWidth(kKeyColumn, key_width);
  setColumnWidth(kValueColumn, value_width);
  setItemDelegate(new TValueListDelegate(this));
  connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { UpdateRowHeights(); });
}

void TValueList::AddRow(const std::string& key, const std::string& value) {
  const int row = rowCount();
  insertRow(row);
  for (const auto& [column, text] :
       {std::pair{kKeyColumn, &key}, std::pair{kValueColumn, &value}}) {
    auto* item = new QTableWidgetItem(ToQt(*text));
    item->setToolTip(item->text());  // the list shows hints
    setItem(row, column, item);
  }
  UpdateRowHeights();
}

void TValueList::resizeEvent(QResizeEvent* event) {
  QTableWidget::resizeEvent(event);
  UpdateRowHeights();
}

void TValueList::ClearRows() { setRowCount(0); }

void TValueList::UpdateRowHeights() {
  const QFontMetrics metrics(font());
  for (int row = 0; row < rowCount(); ++row) {
    const QString value = item(row, kValueColumn)->text();
    int column = kKeyColumn;
    if (metrics.horizontalAdvance(value) > columnWidth(kValueColumn) - 5) column = kValueColumn;
    const QString text = item(row, column)->text();
    const int width = columnWidth(column);
    int height = verticalHeader()->defaultSectionSize();
    if (metrics.horizontalAdvance(text) > width - 5) {
      height = metrics.height() * static_cast<int>(WrapText(text, width - 4, metrics).size()) + 5;
    }
    setRowHeight(row, height);
  }
}
