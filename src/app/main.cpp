// quorvo: the desktop client.

#include "app/AppLayout.h"
#include "app/AppServices.h"
#include "app/CommandLine.h"
#include "app/ProcessLocale.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "gfx/Font.h"
#include "platform/DesktopOpener.h"
#include "platform/Files.h"
#include "service/ServiceHost.h"

#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/WindowSkin.h"
#include "ui/controls/UiCaptionButtons.h"
#include "ui/core/UiFramework.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <span>
#include <string>
#include <thread>

namespace {

using namespace quorvo;

// SIGINT and SIGTERM end the program as closing the window does (without the
// question): they are taken by a thread of their own, which asks the
// user-interface thread to quit; the download stops with the partial file kept.
class SignalWatcher {
public:
    explicit SignalWatcher(const ui::UiFramework& framework)
    {
        sigemptyset(&m_signals);
        sigaddset(&m_signals, SIGINT);
        sigaddset(&m_signals, SIGTERM);
        sigaddset(&m_signals, SIGUSR1);
        pthread_sigmask(SIG_BLOCK, &m_signals, nullptr);
        m_thread = std::thread([this, &framework] {
            int signal = 0;
            while (sigwait(&m_signals, &signal) == 0) {
                if (m_ending.load())
                    return;
                if (signal != SIGUSR1)
                    framework.dispatcher().post([&framework] { const_cast<ui::UiFramework&>(framework).quit(0); });
            }
        });
    }
    ~SignalWatcher()
    {
        m_ending.store(true);
        pthread_kill(m_thread.native_handle(), SIGUSR1);
        m_thread.join();
    }
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

private:
    sigset_t m_signals {};
    std::atomic<bool> m_ending {false};
    std::thread m_thread;
};

int run(std::span<const char* const> args)
{
    const app::CommandLine line = app::parseCommandLine(args);
    if (!line.error.empty()) {
        std::fprintf(stderr, "quorvo: %s\nTry 'quorvo --help'.\n", line.error.c_str());
        return 2;
    }
    if (line.help) {
        std::fputs(app::helpText().c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::puts("quorvo 1.0.0.0");
        return 0;
    }

    const app::AppLayout layout = app::detectLayout();
    // Two programs on one config.ini would write the same partial files.
    app::SingleInstance instance(layout.runDirectory + "/config.ini");
    if (instance.role() == app::SingleInstance::Role::Signalled)
        return 0;
    if (instance.role() == app::SingleInstance::Role::Unreached) {
        std::fprintf(stderr, "quorvo: another quorvo is running on %s/config.ini.\n",
                     platform::nativePath(layout.runDirectory).c_str());
        return 1;
    }
    app::prepareConfiguration(layout.runDirectory, layout.defaultSaveDirectory);

    std::string error;
    const std::unique_ptr<ui::UiFramework> framework = ui::UiFramework::create(&error);
    if (!framework) {
        std::fprintf(stderr,
                     "quorvo: cannot open a display (%s).\n"
                     "Run it on a desktop session (DISPLAY or WAYLAND_DISPLAY set), or use quorvo-cli.\n",
                     error.c_str());
        return 1;
    }
    framework->setSkin(app::windowSkin());
    ui::installCaptionButtons(*framework);
    const SignalWatcher signals(*framework);
    framework->setLinkOpener([](std::string_view target) { return platform::openWithDesktop(target); });

    std::optional<Text> serviceOption;
    if (line.service)
        serviceOption = Text(*line.service);
    app::AppServicesOptions servicesOptions;
    // The download list of the last run comes back, waiting for the user's start.
    servicesOptions.queueStore = app::queueStoreFile();
    servicesOptions.restoreQueueLater = true;
    app::AppServices services(platform::ConfigStore(layout.runDirectory + "/config.ini"),
                              service::ServiceEndpoints(service::resolveServiceHost(serviceOption)),
                              std::move(servicesOptions));
    app::WindowPrompts prompts;
    app::MainWindow window(*framework, services, layout, prompts);
    window.show();
    bool told = false;
    const auto tellQueueNotice = [&services, &told] {
        told = true;
        if (!services.queueNotice().empty())
            std::fprintf(stderr, "quorvo: %s\n", services.queueNotice().c_str());
    };
    window.restoreKeptDownloads(tellQueueNotice);
    instance.listen([&ui = *framework, &window] { ui.dispatcher().post([&window] { window.bringToFront(); }); });
    const int status = framework->run();
    instance.stopListening();
    // A window closed before its kept list came in still says what was wrong with it.
    if (!told) {
        services.restoreQueue();
        tellQueueNotice();
    }
    if (!window.finishBeforeExit()) {
        // The transfer did not acknowledge the abort in time (a stalled
        // connection): end now; what reached the partial file stays for the next start.
        std::_Exit(status);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    app::adoptUserLocale();
    const int status = run(std::span<const char* const>(argv + 1, argv + argc));
    gfx::releaseTextEngine();
    return status;
}
