#include "app/cli/ProgressView.h"

#include "app/cli/Printable.h"
#include "runtime/Encoding.h"
#include "runtime/Numbers.h"

namespace quorvo::cli {

using namespace quorvo::download;

namespace {

constexpr int barWidth = 30;

bool isPercentage(const Text& status)
{
    return text::endsWith(status.view(), "%");
}

}  // namespace

void ProgressView::show(const download::QueueEvent& event)
{
    if (const auto* appended = std::get_if<RowAppended>(&event)) {
        m_names[appended->task.id] = printable(encoding::toUtf8(appended->task.name.view()));
        return;
    }
    if (const auto* speed = std::get_if<SpeedChanged>(&event)) {
        m_speed = printable(encoding::toUtf8(speed->text.view()));
        if (m_speed.empty())
            return;
        if (m_terminal)
            drawBar();
        else
            line(m_names[m_current] + "\t" + m_percent + "\t" + m_speed);
        return;
    }
    const auto* cell = std::get_if<CellChanged>(&event);
    if (!cell || cell->column != DownloadColumn::Status)
        return;
    m_current = cell->taskId;
    if (isPercentage(cell->text)) {
        // Shown with the speed that follows it.
        m_percent = printable(encoding::toUtf8(cell->text.view()));
        return;
    }
    m_percent.clear();
    line(m_names[cell->taskId] + "\t" + printable(encoding::toUtf8(cell->text.view())));
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
