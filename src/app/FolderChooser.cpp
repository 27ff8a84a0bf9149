#include "app/FolderChooser.h"

#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/dbus/GLibHandles.h"
#include "platform/dbus/SessionBus.h"
#include "runtime/Encoding.h"

#include <gio/gio.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvo::app {

namespace {

using platform::glib::ContextPtr;
using platform::glib::ErrorPtr;
using platform::glib::MemoryFree;
using platform::glib::ObjectPtr;
using platform::glib::VariantPtr;

constexpr const char* portalName = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";

// The context is the thread's default while this lives: the bus signals
// subscribed meanwhile are dispatched in it.
class ThreadDefaultContext {
public:
    explicit ThreadDefaultContext(GMainContext* context)
        : m_context(context)
    {
        g_main_context_push_thread_default(m_context);
    }
    ~ThreadDefaultContext() { g_main_context_pop_thread_default(m_context); }
    ThreadDefaultContext(const ThreadDefaultContext&) = delete;
    ThreadDefaultContext& operator=(const ThreadDefaultContext&) = delete;

private:
    GMainContext* m_context;
};

struct PortalWait {
    bool answered = false;
    FolderAnswer answer {FolderChoice::Cancelled, {}};
};

// Request.Response (u response, a{sv} results): 0 with "uris" is a choice;
// 1 (cancelled) and 2 (ended otherwise) are no choice.
void onResponse(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                gpointer data)
{
    auto& wait = *static_cast<PortalWait*>(data);
    wait.answered = true;
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ua{sv})")))
        return;
    guint32 response = 2;
    GVariant* rawResults = nullptr;
    g_variant_get(parameters, "(u@a{sv})", &response, &rawResults);
    const VariantPtr results(rawResults);
    if (response != 0)
        return;
    const gchar** rawUris = nullptr;
    if (!g_variant_lookup(results.get(), "uris", "^a&s", &rawUris))
        return;
    const std::unique_ptr<const gchar*, MemoryFree> uris(rawUris);
    if (uris == nullptr || uris.get()[0] == nullptr)
        return;
    const std::unique_ptr<gchar, MemoryFree> path(g_filename_from_uri(uris.get()[0], nullptr, nullptr));
    if (path)
        wait.answer = {FolderChoice::Chosen, platform::fromNativePath(path.get())};
}

class ScopeExit {
public:
    explicit ScopeExit(std::function<void()> action)
        : m_action(std::move(action))
    { }
    ~ScopeExit() { m_action(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    std::function<void()> m_action;
};

// ":1.42" → "1_42", as the portal names its request objects.
std::string requestSender(const char* uniqueName)
{
    std::string sender = uniqueName != nullptr ? uniqueName : "";
    if (!sender.empty() && sender.front() == ':')
        sender.erase(0, 1);
    for (char& c : sender) {
        if (c == '.')
            c = '_';
    }
    return sender;
}

}  // namespace

FolderAnswer DesktopFolderChooser::choose(const Text& title, const Text& startFolder)
{
    if (isCancelled())
        return {FolderChoice::Cancelled, {}};
    if (std::optional<FolderAnswer> answer = chooseWithPortal(title, startFolder))
        return *answer;
    if (std::optional<FolderAnswer> answer = chooseWithZenity(title, startFolder))
        return *answer;
    return {FolderChoice::NoChooser, {}};
}

void DesktopFolderChooser::cancel()
{
    const std::scoped_lock lock(m_mutex);
    m_cancelled = true;
    if (m_canceller)
        m_canceller();
}

bool DesktopFolderChooser::setCanceller(std::function<void()> canceller)
{
    const std::scoped_lock lock(m_mutex);
    m_canceller = std::move(canceller);
    return !m_cancelled;
}

bool DesktopFolderChooser::isCancelled()
{
    const std::scoped_lock lock(m_mutex);
    return m_cancelled;
}

std::optional<FolderAnswer> DesktopFolderChooser::chooseWithPortal(const Text& title, const Text& startFolder)
{
    const std::string address = platform::SessionBus::sessionAddress();
    if (address.empty())
        return std::nullopt;

    const ContextPtr context(g_main_context_new());
    const ThreadDefaultContext current(context.get());
    const ObjectPtr<GCancellable> cancellable(g_cancellable_new());
    const bool live = setCanceller([cancellable = cancellable.get(), context = context.get()] {
        g_cancellable_cancel(cancellable);
        g_main_context_wakeup(context);
    });
    // The canceller refers to what lives in this scope: it goes first.
    const ScopeExit forget([this] { setCanceller({}); });
    if (!live)
        return FolderAnswer {FolderChoice::Cancelled, {}};

    GError* rawError = nullptr;
    const ObjectPtr<GDBusConnection> bus(g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                          | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, cancellable.get(), &rawError));
    ErrorPtr error(rawError);
    if (!bus)
        return g_cancellable_is_cancelled(cancellable.get()) ? std::optional(FolderAnswer {FolderChoice::Cancelled, {}})
                                                             : std::nullopt;

    // Subscribed before asking, on the path the portal will use, so that a
    // quick answer is not missed.
    const std::string token = "quorvo" + std::to_string(::getpid()) + "_" + std::to_string(++m_requests);
    std::string handle = std::string(portalPath) + "/request/"
        + requestSender(g_dbus_connection_get_unique_name(bus.get())) + "/" + token;
    PortalWait wait;
    guint subscription = g_dbus_connection_signal_subscribe(bus.get(), nullptr, "org.freedesktop.portal.Request",
                                                            "Response", handle.c_str(), nullptr,
                                                            G_DBUS_SIGNAL_FLAGS_NONE, onResponse, &wait, nullptr);

    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    g_variant_builder_add(&options, "{sv}", "directory", g_variant_new_boolean(TRUE));
    g_variant_builder_add(&options, "{sv}", "modal", g_variant_new_boolean(TRUE));
    if (!startFolder.empty())
        g_variant_builder_add(&options, "{sv}", "current_folder",
                              g_variant_new_bytestring(platform::nativePath(startFolder).c_str()));
    const std::string titleUtf8 = encoding::toUtf8(title.view());
    rawError = nullptr;
    const VariantPtr reply(
        g_dbus_connection_call_sync(bus.get(), portalName, portalPath, "org.freedesktop.portal.FileChooser", "OpenFile",
                                    g_variant_new("(ssa{sv})", "", titleUtf8.c_str(), &options), G_VARIANT_TYPE("(o)"),
                                    G_DBUS_CALL_FLAGS_NONE, -1, cancellable.get(), &rawError));
    error.reset(rawError);

    std::optional<FolderAnswer> result;
    if (reply) {
        const gchar* replied = nullptr;
        g_variant_get(reply.get(), "(&o)", &replied);
        if (replied != nullptr && handle != replied) {
            // An older portal names the request itself.
            g_dbus_connection_signal_unsubscribe(bus.get(), subscription);
            handle = replied;
            subscription = g_dbus_connection_signal_subscribe(bus.get(), nullptr, "org.freedesktop.portal.Request",
                                                              "Response", handle.c_str(), nullptr,
                                                              G_DBUS_SIGNAL_FLAGS_NONE, onResponse, &wait, nullptr);
        }
        while (!wait.answered && !g_cancellable_is_cancelled(cancellable.get()))
            g_main_context_iteration(context.get(), TRUE);
        if (!wait.answered) {
            // The window is closing: take the chooser down with it.
            g_dbus_connection_call_sync(bus.get(), portalName, handle.c_str(), "org.freedesktop.portal.Request",
                                        "Close", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, 1000, nullptr, nullptr);
        }
        result = wait.answer;
    } else if (g_cancellable_is_cancelled(cancellable.get())) {
        result = FolderAnswer {FolderChoice::Cancelled, {}};
    }
    // Otherwise no portal answers (none on the bus, or no file chooser behind it).
    g_dbus_connection_signal_unsubscribe(bus.get(), subscription);
    g_dbus_connection_close_sync(bus.get(), nullptr, nullptr);
    // Pending dispatches of this context hold the connection; let them go.
    while (g_main_context_iteration(context.get(), FALSE)) { }
    return result;
}

std::optional<FolderAnswer> DesktopFolderChooser::chooseWithZenity(const Text& title, const Text& startFolder)
{
    if (!platform::programExists("zenity"))
        return std::nullopt;
    std::vector<std::string> argv {"zenity", "--file-selection", "--directory",
                                   "--title=" + encoding::toUtf8(title.view())};
    if (!startFolder.empty())
        argv.push_back("--filename=" + platform::nativePath(startFolder));
    std::optional<std::string> chosen = platform::runProgram(argv, true, [this](pid_t child) {
        if (child < 0) {
            setCanceller({});
            return;
        }
        if (!setCanceller([child] { ::kill(child, SIGTERM); }))
            ::kill(child, SIGTERM);
    });
    while (chosen && !chosen->empty() && (chosen->back() == '\n' || chosen->back() == '\r'))
        chosen->pop_back();
    // zenity answers 1 on Cancel and on its window being closed.
    if (!chosen || chosen->empty() || isCancelled())
        return FolderAnswer {FolderChoice::Cancelled, {}};
    return FolderAnswer {FolderChoice::Chosen, platform::fromNativePath(*chosen)};
}

}  // namespace quorvo::app
