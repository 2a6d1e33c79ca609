#include "wait_without_input.h"

#include <QEventLoop>
#include <QThread>
#include <memory>

void runWithoutInput(const std::function<void()>& work)
{
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create(work));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    // The loop also ends when the application is quitting; the work still
    // finishes before its results are used.
    thread->wait();
}
