// SplashWindow: the splash picture with the program's name and version painted on it.
#include "ui/splash_window.h"

#include <QFont>
#include <QPainter>

#include "app/app_settings.h"

namespace {

QPixmap SplashPicture() {
  QPixmap picture(QStringLiteral(":/icons/splash.png"));
  if (picture.isNull()) return picture;
  QPainter painter(&picture);
  painter.setPen(QColor(0x1f, 0x3a, 0x5f));
  QFont title = painter.font();
  title.setPixelSize(30);
  title.setBold(true);
  painter.setFont(title);
  painter.drawText(QRect(140, 40, picture.width() - 150, 40), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Zelvox"));
  QFont small = painter.font();
  small.setPixelSize(12);
  small.setBold(false);
  painter.setFont(small);
  painter.drawText(QRect(140, 80, picture.width() - 150, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("KNX - OPC UA"));
  painter.drawText(QRect(140, 100, picture.width() - 150, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromLatin1(kAboutVersionText).trimmed());
  return picture;
}

}  // namespace

SplashWindow::SplashWindow()
    : QSplashScreen(SplashPicture(), Qt::WindowStaysOnTopHint | Qt::Tool) {}
