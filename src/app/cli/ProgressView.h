#pragma once

// Shows the queue's events on standard error: a progress bar redrawn in
// place on a terminal, plain lines otherwise (one per status change, one per
// progress report).

#include "download/QueueEvents.h"

#include <cstdio>
#include <map>
#include <span>
#include <string>

namespace quorvo::cli {

class ProgressView {
public:
    ProgressView(std::FILE* out, bool terminal)
        : m_out(out)
        , m_terminal(terminal)
    { }

    // Rows already in the list (kept from an earlier run) are named here:
    // no event announces them.
    void nameRows(std::span<const download::DownloadTask> rows);
    void show(const download::QueueEvent& event);
    // Ends a bar that is still on screen.
    void finish();

private:
    void drawBar();
    void line(const std::string& text);

    std::FILE* m_out;
    bool m_terminal;
    std::map<uint64_t, std::string> m_names;  // task id -> UTF-8 name
    uint64_t m_current = 0;
    std::string m_percent;
    std::string m_speed;
    bool m_barShown = false;
};

}  // namespace quorvo::cli
