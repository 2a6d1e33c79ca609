#include "wait_without_input.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

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

namespace {

// What the work's thread and the waiting thread share; it outlives whichever
// of them ends last.
struct Handover {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    QEventLoop* waiting = nullptr; // null once the waiting thread has left
};

bool startDetachedThread(const std::function<void()>& body)
{
    try {
        std::thread(body).detach();
        return true;
    } catch (const std::system_error&) {
        return false; // EAGAIN: the task limit; the caller does without
    }
}

std::atomic<ThreadStarter> threadStarter{startDetachedThread};

} // namespace

ThreadStarter setThreadStarter(ThreadStarter starter)
{
    return threadStarter.exchange(starter);
}

bool runWithoutInput(std::function<void()> work, const std::atomic<bool>* giveUp)
{
    const DiscardUserInput discard;
    QEventLoop loop;
    auto handover = std::make_shared<Handover>();
    handover->waiting = &loop;
    // Shared, so that the work is still here to run if no thread starts.
    const auto task = std::make_shared<std::function<void()>>(std::move(work));
    const bool started = threadStarter.load()([handover, task] {
        (*task)();
        const std::lock_guard lock(handover->mutex);
        handover->finished = true;
        handover->done.notify_all();
        if (handover->waiting)
            QMetaObject::invokeMethod(handover->waiting, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!started) {
        // Frozen but done is better than not done, and far better than the
        // abort an uncaught system_error would be.
        (*task)();
        return true;
    }

    QTimer watch;
    QElapsedTimer sinceGiveUp;
    if (giveUp) {
        QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
            if (!giveUp->load())
                return;
            if (!sinceGiveUp.isValid())
                sinceGiveUp.start();
            else if (sinceGiveUp.elapsed() >= kGiveUpGrace.count())
                loop.quit();
        });
        watch.start(int(kGiveUpGrace.count() / 5));
    }
    loop.exec();

    std::unique_lock lock(handover->mutex);
    handover->waiting = nullptr;
    // The loop also ends when the application is quitting: work that was
    // not given up on still finishes before its results are used.
    if (!(giveUp && giveUp->load()))
        handover->done.wait(lock, [&handover] { return handover->finished; });
    return handover->finished;
}
