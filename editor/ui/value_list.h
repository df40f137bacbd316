// The two-column value list of the settings and signature-information
// dialogs: "Поле" and "Значение", whole rows selected, columns sizable, and
// each cell's text wrapped at its column's width, the row growing to hold
// the lines of whichever column wraps.
#pragma once

#include <QFontMetrics>
#include <QStringList>
#include <QTableWidget>
#include <string>

// Lines of `text` (trimmed) for a width of `width` pixels. Each line is
// the longest run that fits, cut back to its last blank, "-", ",", "!",
// "?" or ":"; a run without one of them is cut where it stops fitting.
QStringList WrapText(const QString& text, int width, const QFontMetrics& metrics);

class TValueList : public QTableWidget {
 public:
  TValueList(int key_width, int value_width, QWidget* parent = nullptr);

  void AddRow(const std::string& key, const std::string& value);
  void ClearRows();
  // Sets every row's height from the text of the column that governs it:
  // the value column when its text is wider than the column, else the key
  // column; the default height when that text fits on one line.
  void UpdateRowHeights();

 protected:
  // The last column follows the list's width, and the rows its wrapping.
  void resizeEvent(QResizeEvent* event) override;
};
