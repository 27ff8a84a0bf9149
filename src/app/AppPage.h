#pragma once

// One page of the window: it builds its controls into the panel the tab
// stack gave it, owns them and the view interfaces its logic talks to.
// Every page is built from the same context, so adding one touches only the
// page itself and the window's list of pages.

#include "app/AppServices.h"
#include "app/DesktopServices.h"
#include "app/Prompts.h"
#include "app/UiPoster.h"

namespace quorvo::ui {
class UiHost;
class UiTabStack;
}  // namespace quorvo::ui

namespace quorvo::app {

class DownloadNotices;

// What a page is built with; everything in it outlives the page.
struct PageContext {
    ui::UiHost& host;
    const ui::UiTabStack& tabs;
    AppServices& services;
    Prompts& prompts;
    DesktopOpener& opener;
    // The author's page, for the version link and the copy-to message.
    Text authorPage;
    UiPoster post;
    UiTimer timer;
    // Where the downloads tell the desktop what the user did not see; may be null.
    DownloadNotices* notices = nullptr;
    // Brings the download list kept by the last run in now when it is not in
    // yet: called before the user searches, adds or starts, so that the kept
    // rows come first and nothing is found again that is queued already.
    UiTask keptRowsFirst;
};

class AppPage {
public:
    AppPage() = default;
    virtual ~AppPage() = default;
    AppPage(const AppPage&) = delete;
    AppPage& operator=(const AppPage&) = delete;

    // The window has just been shown with this page in front.
    virtual void shown() { }
};

}  // namespace quorvo::app
