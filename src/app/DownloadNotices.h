#pragma once

// What the downloads tell the desktop while the user is not looking at the
// window (it is hidden, or another window is active): one notification when
// a run of the queue ends with every song done ("3首歌曲下载完毕", counting the
// songs finished in that run), and one for each row that fails, with the
// song's name and why. The window decides where a notice goes; everything
// here runs on the user-interface thread.

#include "runtime/Text.h"

#include <cstdint>
#include <functional>

namespace quorvo::app {

struct DownloadNotice {
    Text summary;
    Text body;
    // Our own completion sound plays with it.
    bool ownSoundPlays = false;
};

class DownloadNotices {
public:
    struct Hooks {
        // The window is shown and active: the user sees the list change.
        std::function<bool()> windowInView;
        std::function<void(const DownloadNotice&)> notify;
    };

    explicit DownloadNotices(Hooks hooks)
        : m_hooks(std::move(hooks))
    { }

    // The worker started a run.
    void runStarted();
    // A song of the run finished.
    void songCompleted();
    // The completion sound of the song that just finished plays.
    void soundPlayed();
    // A row failed or stopped for a reason: `message` is what the status
    // line says ("下载终止: HTTP 404").
    void songFailed(const Text& name, const Text& message);
    // The worker stopped; `allDone` when no row is left waiting.
    void runEnded(bool allDone);

private:
    [[nodiscard]] bool unseen() const { return !m_hooks.windowInView || !m_hooks.windowInView(); }

    Hooks m_hooks;
    int64_t m_finished = 0;
    bool m_soundPlayed = false;
};

// "N首歌曲下载完毕".
[[nodiscard]] Text finishedSongsText(int64_t count);

}  // namespace quorvo::app
