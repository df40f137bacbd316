// The window tests run in one QApplication on the offscreen platform.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QString>

namespace {

// The offscreen platform warns of every top-level window it cannot size by
// its hints; the rest of Qt's messages still reach the log.
QtMessageHandler qt_handler = nullptr;

void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.contains(QStringLiteral("propagateSizeHints"))) return;
  qt_handler(type, context, text);
}

}  // namespace

int main(int argc, char** argv) {
  qt_handler = qInstallMessageHandler(QuietHandler);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
