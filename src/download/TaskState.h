#pragma once

// A download row's state as a value. The worker, the store and the views
// read and write these; the status texts ("等待下载", "42%", "下载完毕", …)
// are made from them by statusText() only where a row is shown.

#include "download/FailureReason.h"
#include "runtime/Text.h"

#include <cstdint>
#include <variant>

namespace quorvo::download {

// In the list, not yet taken by a worker.
struct Waiting {
    friend bool operator==(const Waiting&, const Waiting&) = default;
};
// A worker has claimed the row and is fetching its lyrics and link.
struct Claimed {
    friend bool operator==(const Claimed&, const Claimed&) = default;
};
// The song's bytes are moving: `done` of `total` bytes of the whole file
// (a resumed transfer counts its partial file), at `bytesPerSecond` over the
// last second.
struct Transferring {
    int64_t done = 0;
    int64_t total = 0;
    int64_t bytesPerSecond = 0;
    friend bool operator==(const Transferring&, const Transferring&) = default;
};
// The song file has its final name. A reason here is a warning: the song
// is whole, but something asked for beside it (its tags) was not done.
struct Completed {
    FailureReason reason;
    friend bool operator==(const Completed&, const Completed&) = default;
};
// Given up on; no worker takes it again ("下载失败", drawn red).
struct Failed {
    FailureReason reason;
    friend bool operator==(const Failed&, const Failed&) = default;
};
// Ended early (pause, or an error that stops the worker); the next start
// takes it again ("下载终止"). A row a worker held when an earlier run ended
// comes back stopped with what its partial file holds of `total` bytes, and
// shows that as a percentage instead.
struct Stopped {
    FailureReason reason;
    int64_t done = 0;
    int64_t total = 0;
    friend bool operator==(const Stopped&, const Stopped&) = default;
};

using TaskState = std::variant<Waiting, Claimed, Transferring, Completed, Failed, Stopped>;

// A worker may take the row: waiting or stopped. Claimed and transferring
// rows belong to a worker already.
[[nodiscard]] bool isClaimable(const TaskState& state);
// Not finished and not given up on.
[[nodiscard]] bool isUnfinished(const TaskState& state);
// The reason a failed, stopped or completed row carries; empty otherwise.
[[nodiscard]] FailureReason reasonOf(const TaskState& state);

// The status cell: "等待下载", "开始下载", "42%", "下载完毕", "下载失败",
// "下载终止".
[[nodiscard]] Text statusText(const TaskState& state);

}  // namespace quorvo::download
