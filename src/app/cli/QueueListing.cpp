#include "app/cli/QueueListing.h"

#include "app/cli/Printable.h"
#include "download/ProgressReporter.h"
#include "download/QueueStore.h"
#include "runtime/Encoding.h"
#include "service/FileNames.h"

namespace quorvo::cli {

using namespace quorvo::download;

namespace {

std::string utf8(const Text& text)
{
    return printable(encoding::toUtf8(text.view()));
}

Text progressOf(const TaskState& state)
{
    if (std::holds_alternative<Completed>(state))
        return Text("100%");
    if (const auto* moving = std::get_if<Transferring>(&state))
        return percentText(moving->done, moving->total);
    if (const auto* stopped = std::get_if<Stopped>(&state); stopped && stopped->total > 0)
        return percentText(stopped->done, stopped->total);
    return Text("-");
}

}  // namespace

std::string queueLine(const DownloadTask& task)
{
    return utf8(statusText(task.state)) + "\t" + utf8(progressOf(task.state)) + "\t"
        + utf8(task.name + service::songExtension(task.quality)) + "\t" + utf8(describe(reasonOf(task.state)));
}

int listQueue(const std::string& storeFile, std::FILE* out, std::FILE* errors)
{
    QueueStore::Read read = QueueStore::read(storeFile);
    if (!read.notice.empty())
        std::fprintf(errors, "quorvo-cli: %s\n", printable(read.notice).c_str());
    settleForRestart(read.rows);
    for (const DownloadTask& task : read.rows)
        std::fprintf(out, "%s\n", queueLine(task).c_str());
    return std::fflush(out) == 0 && read.notice.empty() ? 0 : 1;
}

}  // namespace quorvo::cli
