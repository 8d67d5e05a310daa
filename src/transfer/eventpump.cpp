#include "eventpump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <system_error>
#include <thread>

namespace EventPump {

namespace {
// Only a sleeping wait needs waking; outside one, waking would cost a system call for nothing.
int waiting = 0;
// When a pass last asked the system for input; a wait asks too.
Clock::time_point lastAsked;
} // namespace

void pumpOnce(Clock::time_point now)
{
    // Neither of Qt's dispatchers runs timers without entering the kernel: its own polls and then
    // activates them, and GLib checks its timer source in the iteration that polls. So the full pass
    // runs once per interval, and the passes in between deliver what is posted, which needs no system call.
    if (now - lastAsked >= inputInterval) {
        lastAsked = now;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    QCoreApplication::sendPostedEvents();
}

void waitForMoreEvents()
{
    ++waiting;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    --waiting;
    lastAsked = Clock::now();
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

void runBeside(const std::function<void()> &job)
{
    QAbstractEventDispatcher *const dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread());
    std::atomic<bool> done = false;
    std::thread helper;
    // Where there are no events to run, or no thread to be had, the call is waited for here.
    try {
        if (dispatcher)
            helper = std::thread([&] {
                job();
                done = true;
                // Remembered by a dispatcher not yet asleep: its next wait returns at once.
                dispatcher->wakeUp();
            });
    } catch (const std::system_error &) { }
    if (!helper.joinable())
        return job();
    while (!done)
        waitForMoreEvents();
    helper.join();
}

} // namespace EventPump
