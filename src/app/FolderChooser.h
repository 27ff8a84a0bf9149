#pragma once

// The desktop's folder chooser for the settings page's browse button: the
// xdg-desktop-portal file chooser over the session bus, else zenity. Both
// are other processes; `choose` blocks while they are open, so it runs off
// the user-interface thread, and `cancel` (the window closing) ends a
// pending question from any thread.

#include "runtime/Text.h"

#include <functional>
#include <mutex>
#include <optional>

namespace quorvo::app {

enum class FolderChoice { Chosen, Cancelled, NoChooser };

struct FolderAnswer {
    FolderChoice choice = FolderChoice::NoChooser;
    Text folder;  // program text, no trailing "/" added; set when Chosen
};

class DesktopFolderChooser {
public:
    DesktopFolderChooser() = default;
    DesktopFolderChooser(const DesktopFolderChooser&) = delete;
    DesktopFolderChooser& operator=(const DesktopFolderChooser&) = delete;

    // NoChooser when neither the portal nor zenity answers: the caller
    // shows its own picker.
    FolderAnswer choose(const Text& title, const Text& startFolder);
    // Ends the question that `choose` waits for (Cancelled) and every later one.
    void cancel();

    // The portal alone, or nullopt when no portal is on the session bus.
    std::optional<FolderAnswer> chooseWithPortal(const Text& title, const Text& startFolder);
    // zenity alone, or nullopt when it is not installed.
    std::optional<FolderAnswer> chooseWithZenity(const Text& title, const Text& startFolder);

private:
    // Sets how `cancel` ends the current question; false when already cancelled.
    bool setCanceller(std::function<void()> canceller);
    [[nodiscard]] bool isCancelled();

    std::mutex m_mutex;
    bool m_cancelled = false;
    std::function<void()> m_canceller;
    unsigned m_requests = 0;  // names each portal request
};

}  // namespace quorvo::app
