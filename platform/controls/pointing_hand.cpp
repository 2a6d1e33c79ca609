#include "pointing_hand.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

QCursor pointingHandCursor()
{
    constexpr int kSize = 32;
    constexpr int kFingertipX = 6, kFingertipY = 0;
    const QPixmap hand = QIcon(QStringLiteral(":/pointing-hand.png"))
                             .pixmap(QSize(kSize, kSize), qApp->devicePixelRatio());
    return hand.isNull() ? QCursor(Qt::PointingHandCursor)
                         : QCursor(hand, kFingertipX, kFingertipY);
}
