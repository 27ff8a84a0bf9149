#pragma once

// How work made on another thread reaches the user-interface thread. The
// window passes its loop's post; tests pass a queue they drain themselves.
// A poster never waits for the task, so a thread that posts can never
// deadlock against a user-interface thread that is waiting for it.

#include <functional>

namespace quorvo::app {

using UiTask = std::function<void()>;
using UiPoster = std::function<void(UiTask)>;

}  // namespace quorvo::app
