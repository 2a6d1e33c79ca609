#include "wait_without_input.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <memory>

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool belongsToModalDialog(QObject* receiver)
{
    const QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return false;
    if (auto* widget = qobject_cast<QWidget*>(receiver))
        return widget == modal || modal->isAncestorOf(widget);
    if (auto* window = qobject_cast<QWindow*>(receiver))
        return window == modal->windowHandle();
    return false;
}

} // namespace

DiscardUserInput::DiscardUserInput()
{
    qApp->installEventFilter(this);
}

DiscardUserInput::~DiscardUserInput()
{
    // Input that came while the user-interface thread was busy is still
    // waiting in the queue; it goes now, not to the next command.
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
}

bool DiscardUserInput::eventFilter(QObject* receiver, QEvent* event)
{
    return isUserInput(event->type()) && !belongsToModalDialog(receiver);
}

void runWithoutInput(const std::function<void()>& work)
{
    const DiscardUserInput discard;
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create(work));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    thread->start();
    loop.exec();
    // The loop also ends when the application is quitting; the work still
    // finishes before its results are used.
    thread->wait();
}
