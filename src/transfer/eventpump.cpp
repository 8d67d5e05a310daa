#include "eventpump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

namespace EventPump {

namespace {
// Only a sleeping wait needs waking; outside one, waking would cost a system call for nothing.
int waiting = 0;
} // namespace

void pumpOnce()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void waitForMoreEvents()
{
    ++waiting;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    --waiting;
}

void wake()
{
    // A signal delivered while the dispatcher runs posted events would otherwise let it go on to sleep
    // with the data already here: with a bounded read buffer nothing else would ever come to wake it.
    if (waiting == 0)
        return;
    if (auto *dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread()))
        dispatcher->interrupt();
}

} // namespace EventPump
