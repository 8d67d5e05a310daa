#include "eventpump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

namespace EventPump {

void pumpOnce()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void waitForMoreEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void wake()
{
    // A signal delivered while the dispatcher runs posted events would otherwise let it go on to sleep
    // with the data already here: with a bounded read buffer nothing else would ever come to wake it.
    if (auto *dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread()))
        dispatcher->interrupt();
}

} // namespace EventPump
