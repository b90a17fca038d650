// Runs the GLib main loop of the test thread until a condition holds.
#pragma once

#include <chrono>
#include <functional>

namespace zel::test {

// Dispatches main-loop events until cond() is true or timeout passes; returns cond().
bool PumpUntil(const std::function<bool()>& cond,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));
// Dispatches main-loop events for the given time.
void PumpFor(std::chrono::milliseconds time);
// The WebKit content processes started by this process (the tabs' and the one made ahead).
int WebProcessCount();

}  // namespace zel::test
