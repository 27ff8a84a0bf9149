#include "app/cli/ProgressView.h"

#include "app/cli/Printable.h"
#include "download/ProgressReporter.h"
#include "runtime/Encoding.h"
#include "runtime/Numbers.h"

namespace quorvo::cli {

using namespace quorvo::download;

namespace {

constexpr int barWidth = 30;

}  // namespace

void ProgressView::nameRows(std::span<const DownloadTask> rows)
{
    for (const DownloadTask& task : rows)
        m_names[task.id] = printable(encoding::toUtf8(task.name.view()));
}

void ProgressView::show(const download::QueueEvent& event)
{
    if (const auto* appended = std::get_if<RowAppended>(&event)) {
        m_names[appended->task.id] = printable(encoding::toUtf8(appended->task.name.view()));
        return;
    }
    if (const auto* speed = std::get_if<SpeedChanged>(&event)) {
        // None: the workers stopped.
        if (!speed->bytesPerSecond)
            return;
        m_speed = printable(encoding::toUtf8(speedText(*speed->bytesPerSecond).view()));
        if (m_terminal)
            drawBar();
        else
            line(m_names[m_current] + "\t" + m_percent + "\t" + m_speed);
        return;
    }
    const auto* changed = std::get_if<RowStateChanged>(&event);
    if (!changed)
        return;
    m_current = changed->taskId;
    if (const auto* moving = std::get_if<Transferring>(&changed->state)) {
        // Shown with the speed that follows it.
        m_percent = printable(encoding::toUtf8(percentText(moving->done, moving->total).view()));
        return;
    }
    m_percent.clear();
    line(m_names[changed->taskId] + "\t" + printable(encoding::toUtf8(statusText(changed->state).view())));
}

void ProgressView::finish()
{
    if (m_barShown) {
        std::fputc('\n', m_out);
        m_barShown = false;
    }
    std::fflush(m_out);
}

void ProgressView::drawBar()
{
    const int64_t percent = numbers::toInteger(m_percent);
    const int64_t filled = std::min<int64_t>(barWidth, percent * barWidth / 100);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(barWidth - filled), '-');
    // "\x1b[K" clears what a longer previous line left behind.
    std::fprintf(m_out, "\r[%s] %4s  %s  %s\x1b[K", bar.c_str(), m_percent.c_str(), m_speed.c_str(),
                 m_names[m_current].c_str());
    std::fflush(m_out);
    m_barShown = true;
}

void ProgressView::line(const std::string& text)
{
    if (m_barShown) {
        std::fputc('\n', m_out);
        m_barShown = false;
    }
    std::fprintf(m_out, "%s\n", text.c_str());
    std::fflush(m_out);
}

}  // namespace quorvo::cli
