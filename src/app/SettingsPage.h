#pragma once

// The settings page: the save folder with its browse button, the naming
// scheme, lyrics (beside the song and inside it), the completion sound with
// its two play buttons, the two search options, the speed limit with its
// spin buttons and the version link. Each change is written at once
// (SettingsBindings). The desktop's folder chooser is another process; it is
// waited for on a thread of this page.

#include "app/AppPage.h"
#include "app/SettingsBindings.h"

#include <memory>
#include <thread>

namespace quorvo::ui {
class UiPanel;
class UiEdit;
}  // namespace quorvo::ui

namespace quorvo::app {

class SettingsPage final : public AppPage {
public:
    SettingsPage(const PageContext& context, ui::UiPanel& panel);
    // Ends a chooser still open and waits for its thread.
    ~SettingsPage() override;

private:
    void addCaptions(ui::UiPanel& panel);
    void browseFolder();
    void folderAnswered(const FolderAnswer& answer);

    ui::UiHost& m_host;
    LiveSettings& m_settings;
    Prompts& m_prompts;
    UiPoster m_post;
    SettingsBindings m_bindings;
    ui::UiEdit* m_folderBox = nullptr;
    ui::UiEdit* m_speedBox = nullptr;
    std::thread m_folderChooser;
    bool m_choosingFolder = false;
    // Posts from the chooser's thread hold this weakly: none acts once the page is gone.
    std::shared_ptr<SettingsPage*> m_self;
};

}  // namespace quorvo::app
