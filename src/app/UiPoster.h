#pragma once

// How work made on another thread reaches the user-interface thread, and how
// the user-interface thread waits without sleeping. The window passes its
// loop's post and timers; tests pass a queue they drain themselves.
// A poster never waits for the task, so a thread that posts can never
// deadlock against a user-interface thread that is waiting for it.

#include <chrono>
#include <functional>

namespace quorvo::app {

using UiTask = std::function<void()>;
using UiPoster = std::function<void(UiTask)>;
// Runs a task on the user-interface thread once `delay` has passed (one of the loop's timers).
using UiTimer = std::function<void(std::chrono::milliseconds delay, UiTask task)>;

}  // namespace quorvo::app
