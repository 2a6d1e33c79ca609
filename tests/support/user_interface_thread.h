#pragma once

#include <QCoreApplication>
#include <QMouseEvent>
#include <QSemaphore>
#include <QWidget>

// For code running off the user-interface thread: returns once that thread
// has handled (or dropped) every event posted to it before the call.
inline void waitForUserInterfaceThread()
{
    QSemaphore handled;
    QMetaObject::invokeMethod(qApp, [&handled] { handled.release(); }, Qt::QueuedConnection);
    handled.acquire();
}

// Posts the press and release of a left click in the middle of target, as
// the window system delivers them; safe from any thread.
inline void postClick(QWidget& target)
{
    const QPointF centre = QRectF(target.rect()).center();
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            &target, new QMouseEvent(type, centre, centre, Qt::LeftButton,
                                     type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                     Qt::NoModifier));
}
