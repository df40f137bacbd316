#include "editor/ui/fm_about.h"

#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/model/packet.h"
#include "editor/model/shell_routines.h"
#include "editor/ui/bottom_panel.h"
#include "editor/ui/program_start.h"
#include "editor/ui/qt_text.h"

namespace {

constexpr int kPictureWidth = 316;
constexpr int kPictureHeight = 177;

// The program's picture, drawn here: a signed sheet going into a package,
// on the program's blue.
QPixmap AboutPicture() {
  QPixmap picture(kPictureWidth, kPictureHeight);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, kPictureHeight);
  sky.setColorAt(0, QColor(0x1F, 0x4E, 0x8C));
  sky.setColorAt(1, QColor(0x6F, 0xA8, 0xDC));
  painter.fillRect(picture.rect(), sky);

  const QRectF sheet(40, 22, 96, 128);
  painter.setPen(QPen(QColor(0x9A, 0xA7, 0xB4), 1));
  painter.setBrush(Qt::white);
  painter.drawRect(sheet);
  painter.setPen(QPen(QColor(0xB8, 0xC4, 0xD0), 3));
  for (int line = 0; line < 6; ++line) {
    const qreal y = sheet.top() + 20 + line * 14;
    painter.drawLine(QPointF(sheet.left() + 12, y), QPointF(sheet.right() - 12 - line % 3 * 10, y));
  }
  // The seal with its tick.
  painter.setPen(QPen(QColor(0xB0, 0x20, 0x20), 3));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QPointF(sheet.right() - 10, sheet.bottom() - 14), 20, 20);
  QPainterPath tick;
  tick.moveTo(sheet.right() - 20, sheet.bottom() - 14);
  tick.lineTo(sheet.right() - 12, sheet.bottom() - 6);
  tick.lineTo(sheet.right() + 2, sheet.bottom() - 24);
  painter.drawPath(tick);

  QFont title(QStringLiteral("Tahoma"));
  title.setPixelSize(34);
  title.setBold(true);
  painter.setFont(title);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(160, 50, 150, 50), Qt::AlignLeft | Qt::AlignVCenter, ToQt(kProgramTitle));
  QFont words(QStringLiteral("Tahoma"));
  words.setPixelSize(12);
  painter.setFont(words);
  painter.drawText(QRectF(160, 96, 150, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   ToQt("пакеты для государственной регистрации"));
  return picture;
}

QFrame* PicturePanel() {
  auto* panel = new QFrame;
  panel->setObjectName("pnlTop");
  panel->setFixedHeight(kPictureHeight);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* fill = new QVBoxLayout(panel);
  fill->setContentsMargins(1, 1, 1, 1);
  auto* image = new QLabel;
  image->setObjectName("Image1");
  image->setPixmap(AboutPicture());
  image->setScaledContents(true);
  fill->addWidget(image);
  return panel;
}

}  // namespace

TfmAbout::TfmAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("fmAbout");
  setWindowTitle(ToQt("О программе"));
  setFont(QFont(QStringLiteral("Tahoma")));
  setFixedSize(316, 339);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(PicturePanel());
  Memo1 = new QPlainTextEdit;
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  Memo1->setEnabled(false);
  layout->addWidget(Memo1, 1);
  const BottomPanel bottom = MakeBottomPanel(51, "Закрыть", "btnClose", 10);
  bottom.panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  btnClose = bottom.button;
  layout->addWidget(bottom.panel);
  connect(btnClose, &QPushButton::clicked, this, [this] { accept(); });
}

void TfmAbout::AddLine(const std::string& line) { Memo1->appendPlainText(ToQt(line)); }

bool ShowAbout(const std::string& library_folder) {
  TfmAbout form;
  form.AddLine(AppVersionText());
  {
    // Only to load the module: it stays loaded when the packet goes.
    TPacket packet;
    packet.LibraryFolder = library_folder;
    std::string message;
    if (packet.LoadLibrarySafe(message)) {
      form.AddLine("(версия криптографического модуля " +
                   FileVersionText(packet.LibraryPath, false) + ")");
    } else {
      ShowMessageBox("Ошибка загрузки криптографического модуля:\r\n" + message, kMessageError);
    }
  }
  form.exec();
  return true;
}
