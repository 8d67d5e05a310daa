#pragma once

// The transfer runs on the window thread and lets the window live by running its pending events.
namespace EventPump {

// Runs the events that are pending now and returns at once.
void pumpOnce();

// Runs pending events, sleeping until at least one arrives; wake() ends the sleep early.
void waitForMoreEvents();

// Makes a waitForMoreEvents() that is running, or about to sleep, return.
void wake();

} // namespace EventPump
