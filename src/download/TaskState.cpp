#include "download/TaskState.h"

#include "download/DownloadStatus.h"
#include "download/ProgressReporter.h"

namespace quorvo::download {

namespace {

template <class... Ts> struct Overloaded : Ts... {
    using Ts::operator()...;
};

}  // namespace

bool isClaimable(const TaskState& state)
{
    return std::holds_alternative<Waiting>(state) || std::holds_alternative<Stopped>(state);
}

bool isUnfinished(const TaskState& state)
{
    return !std::holds_alternative<Completed>(state) && !std::holds_alternative<Failed>(state);
}

FailureReason reasonOf(const TaskState& state)
{
    if (const auto* failed = std::get_if<Failed>(&state))
        return failed->reason;
    if (const auto* stopped = std::get_if<Stopped>(&state))
        return stopped->reason;
    if (const auto* completed = std::get_if<Completed>(&state))
        return completed->reason;
    return {};
}

Text statusText(const TaskState& state)
{
    return std::visit(Overloaded {
                          [](const Waiting&) { return Text(status::waiting); },
                          [](const Claimed&) { return Text(status::starting); },
                          [](const Transferring& moving) { return percentText(moving.done, moving.total); },
                          [](const Completed&) { return Text(status::completed); },
                          [](const Failed&) { return Text(status::failed); },
                          [](const Stopped& stopped) {
                              return stopped.total > 0 ? percentText(stopped.done, stopped.total)
                                                       : Text(status::stopped);
                          },
                      },
                      state);
}

}  // namespace quorvo::download
