#include "platform/dbus/DesktopNotifier.h"

#include "platform/dbus/GLibHandles.h"

namespace quorvo::platform {

namespace {

constexpr const char* serverName = "org.freedesktop.Notifications";
constexpr const char* serverPath = "/org/freedesktop/Notifications";
// Long enough for a busy server; the answer is not awaited anyway.
constexpr int callTimeoutMs = 25000;

}  // namespace

// Lives on the bus thread.
struct DesktopNotifier::Core {
    GDBusConnection* bus = nullptr;
    std::string appName;
    std::shared_ptr<std::atomic<bool>> available;
    glib::ObjectPtr<GCancellable> cancellable {g_cancellable_new()};
    guint watch = 0;

    void start()
    {
        bus = SessionBus::threadConnection();
        if (bus == nullptr)
            return;
        watch = g_bus_watch_name_on_connection(
            bus, serverName, G_BUS_NAME_WATCHER_FLAGS_NONE,
            [](GDBusConnection*, const gchar*, const gchar*, gpointer data) {
                static_cast<Core*>(data)->available->store(true);
            },
            [](GDBusConnection*, const gchar*, gpointer data) { static_cast<Core*>(data)->available->store(false); },
            this, nullptr);
    }

    void stop()
    {
        g_cancellable_cancel(cancellable.get());
        if (watch != 0)
            g_bus_unwatch_name(watch);
        watch = 0;
        bus = nullptr;
        available->store(false);
    }

    void send(const DesktopNotification& notification) const
    {
        if (bus == nullptr)
            return;
        GVariantBuilder hints;
        g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
        if (!notification.desktopEntry.empty()) {
            g_variant_builder_add(&hints, "{sv}", "desktop-entry",
                                  g_variant_new_string(notification.desktopEntry.c_str()));
        }
        if (notification.suppressSound)
            g_variant_builder_add(&hints, "{sv}", "suppress-sound", g_variant_new_boolean(TRUE));
        // (app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout)
        GVariant* arguments = g_variant_new("(susss@as@a{sv}i)", appName.c_str(), 0U, notification.iconName.c_str(),
                                            notification.summary.c_str(), notification.body.c_str(),
                                            g_variant_new_strv(nullptr, 0), g_variant_builder_end(&hints), -1);
        g_dbus_connection_call(
            bus, serverName, serverPath, serverName, "Notify", arguments, G_VARIANT_TYPE("(u)"),
            G_DBUS_CALL_FLAGS_NO_AUTO_START, callTimeoutMs, cancellable.get(),
            [](GObject* source, GAsyncResult* result, gpointer) {
                // A notification that did not arrive is not worth telling anyone about.
                GError* rawError = nullptr;
                const glib::VariantPtr reply(
                    g_dbus_connection_call_finish(reinterpret_cast<GDBusConnection*>(source), result, &rawError));
                const glib::ErrorPtr error(rawError);
            },
            nullptr);
    }
};

DesktopNotifier::DesktopNotifier(SessionBus& bus, std::string appName)
    : m_bus(bus)
    , m_core(std::make_shared<Core>())
{
    m_core->appName = std::move(appName);
    m_core->available = m_available;
    m_bus.run([core = m_core] { core->start(); });
}

DesktopNotifier::~DesktopNotifier()
{
    m_bus.runAndWait([core = m_core] { core->stop(); });
}

bool DesktopNotifier::notify(const DesktopNotification& notification)
{
    if (!isAvailable())
        return false;
    m_bus.run([core = m_core, notification] { core->send(notification); });
    return true;
}

}  // namespace quorvo::platform
