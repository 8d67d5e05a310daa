#pragma once

#include <chrono>
#include <functional>

// The transfer runs on the window thread and lets the window live by running its pending events.
namespace EventPump {

using Clock = std::chrono::steady_clock;

// How long a pass goes on without asking the system whether input (the display's connection,
// sockets) has arrived: well below what a person can notice, and long enough that the question,
// a system call, costs nothing beside the copying between two of them.
inline constexpr Clock::duration inputInterval = std::chrono::milliseconds(1);

// Runs what is queued for this thread now and returns at once. It asks the system for new input, and
// runs the timers that are due, only when inputInterval has passed since a pass last asked; otherwise it
// delivers the events already posted (deferred deletes included, where Qt allows them). `now` is the
// caller's reading of the clock, for a caller that has just read it.
void pumpOnce(Clock::time_point now = Clock::now());

// Runs pending events, sleeping until at least one arrives; wake() ends the sleep early.
void waitForMoreEvents();

// Makes a waitForMoreEvents() that is running, or about to sleep, return.
void wake();

// Runs `job`, a call that waits on the system (a sync to the disk), on a thread of its own, and this
// thread's events meanwhile, sleeping while there are none; returns once `job` has returned. Exit ends
// the program with the thread still waiting, which is what it waits for that is then no longer wanted.
void runBeside(const std::function<void()> &job);

} // namespace EventPump
