// The window on a private session bus (its own dbus-daemon) with stand-ins
// for the desktop's StatusNotifierWatcher and notification server written
// here: they record the registration and the calls, and the test reads the
// item's properties and its menu as a panel would. The window runs on SDL's
// dummy driver against the reference service. Skipped with a message where
// dbus-daemon is missing.

#include "app/AppServices.h"
#include "app/Captions.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/Startup.h"
#include "app/TrayIcon.h"
#include "app/WindowSkin.h"

#include "PrivateBus.h"
#include "PumpUntil.h"
#include "ReferenceServer.h"
#include "TempDir.h"
#include "platform/Files.h"
#include "platform/dbus/StatusNotifier.h"
#include "platform/window/EventLoop.h"
#include "runtime/Encoding.h"
#include "service/Search.h"
#include "ui/controls/UiCaptionButtons.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <mutex>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace quorvo::app {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr auto limit = 60s;

struct VariantUnref {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
using VariantPtr = std::unique_ptr<GVariant, VariantUnref>;

// A connection of the test's own; the calls to what it serves are answered
// on a thread of its own. Gone with it: its names and objects.
class BusPeer {
public:
    using MethodHandler
        = std::function<void(const std::string& method, GVariant* parameters, GDBusMethodInvocation* invocation)>;
    using PropertyHandler = std::function<GVariant*(const std::string& property)>;

    explicit BusPeer(const std::string& address)
    {
        std::promise<void> ready;
        m_thread = std::thread([&] {
            g_main_context_push_thread_default(m_context);
            m_connection = g_dbus_connection_new_for_address_sync(
                address.c_str(),
                static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                                  | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, nullptr);
            ready.set_value();
            g_main_loop_run(m_loop);
            if (m_connection) {
                g_dbus_connection_close_sync(m_connection, nullptr, nullptr);
                g_object_unref(m_connection);
            }
            while (g_main_context_iteration(m_context, FALSE)) { }
            g_main_context_pop_thread_default(m_context);
        });
        ready.get_future().wait();
    }
    ~BusPeer()
    {
        onThread([&] {
            if (m_onEnd)
                m_onEnd();
            for (const guint object : m_objects)
                g_dbus_connection_unregister_object(m_connection, object);
            g_main_loop_quit(m_loop);
        });
        m_thread.join();
        for (GDBusNodeInfo* info : m_infos)
            g_dbus_node_info_unref(info);
        g_main_loop_unref(m_loop);
        g_main_context_unref(m_context);
    }
    BusPeer(const BusPeer&) = delete;
    BusPeer& operator=(const BusPeer&) = delete;

    [[nodiscard]] GDBusConnection* connection() const { return m_connection; }

    // Serves the first interface of `xml` at `path` and takes `name`.
    bool serve(const char* name, const char* path, const char* xml, MethodHandler methods,
               PropertyHandler properties = {})
    {
        if (!m_connection)
            return false;
        m_methods = std::move(methods);
        m_properties = std::move(properties);
        GDBusNodeInfo* info = g_dbus_node_info_new_for_xml(xml, nullptr);
        m_infos.push_back(info);
        static const GDBusInterfaceVTable table {&BusPeer::onCall, &BusPeer::onProperty, nullptr, {}};
        bool registered = false;
        onThread([&] {
            const guint object = g_dbus_connection_register_object(m_connection, path, info->interfaces[0], &table,
                                                                   this, nullptr, nullptr);
            if (object != 0)
                m_objects.push_back(object);
            registered = object != 0;
        });
        const VariantPtr reply(call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                    "RequestName", g_variant_new("(su)", name, 4U), "(u)"));
        guint32 answer = 0;
        if (reply)
            g_variant_get(reply.get(), "(u)", &answer);
        return registered && answer == 1;
    }

    // A call from this connection, answered or failed within 30 s.
    VariantPtr call(const std::string& destination, const char* path, const char* interface, const char* method,
                    GVariant* parameters, const char* replyType = nullptr) const
    {
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_sync(m_connection, destination.c_str(), path, interface, method,
                                                      parameters, replyType ? G_VARIANT_TYPE(replyType) : nullptr,
                                                      G_DBUS_CALL_FLAGS_NONE, 30000, nullptr, &error);
        if (error)
            g_error_free(error);
        return VariantPtr(reply);
    }
    // A property of an object on the bus, or null.
    VariantPtr property(const std::string& destination, const char* path, const char* interface, const char* name) const
    {
        const VariantPtr reply = call(destination, path, "org.freedesktop.DBus.Properties", "Get",
                                      g_variant_new("(ss)", interface, name), "(v)");
        if (!reply)
            return nullptr;
        GVariant* value = nullptr;
        g_variant_get(reply.get(), "(v)", &value);
        return VariantPtr(value);
    }

    // Runs `task` on the peer's thread and waits for it.
    void onThread(const std::function<void()>& task)
    {
        struct Job {
            const std::function<void()>* task;
            std::promise<void> done;
        } job {&task, {}};
        g_main_context_invoke(
            m_context,
            [](gpointer data) -> gboolean {
                auto& job = *static_cast<Job*>(data);
                (*job.task)();
                job.done.set_value();
                return G_SOURCE_REMOVE;
            },
            &job);
        job.done.get_future().wait();
    }
    // Run on the peer's thread as it ends (to answer calls still held).
    void atEnd(std::function<void()> task) { m_onEnd = std::move(task); }

private:
    static void onCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                       GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data)
    {
        static_cast<BusPeer*>(data)->m_methods(method, parameters, invocation);
    }
    static GVariant* onProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* property,
                                GError** error, gpointer data)
    {
        auto& peer = *static_cast<BusPeer*>(data);
        GVariant* value = peer.m_properties ? peer.m_properties(property) : nullptr;
        if (value == nullptr)
            g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "No property %s", property);
        return value;
    }

    GMainContext* m_context = g_main_context_new();
    GMainLoop* m_loop = g_main_loop_new(m_context, FALSE);
    GDBusConnection* m_connection = nullptr;
    std::vector<GDBusNodeInfo*> m_infos;
    std::vector<guint> m_objects;
    MethodHandler m_methods;
    PropertyHandler m_properties;
    std::function<void()> m_onEnd;
    std::thread m_thread;
};

constexpr const char* watcherXml = R"(<node><interface name='org.kde.StatusNotifierWatcher'>
  <method name='RegisterStatusNotifierItem'><arg name='service' type='s' direction='in'/></method>
  <method name='RegisterStatusNotifierHost'><arg name='service' type='s' direction='in'/></method>
  <property name='RegisteredStatusNotifierItems' type='as' access='read'/>
  <property name='IsStatusNotifierHostRegistered' type='b' access='read'/>
  <property name='ProtocolVersion' type='i' access='read'/>
  <signal name='StatusNotifierItemRegistered'><arg type='s'/></signal>
  <signal name='StatusNotifierHostRegistered'/>
</interface></node>)";

// The panel's side of the tray: records the items that register.
class FakeWatcher {
public:
    // `withHost`: a panel that draws the items has registered with it.
    explicit FakeWatcher(const std::string& address, bool withHost = true)
        : m_host(withHost)
        , m_peer(address)
    {
        m_serving = m_peer.serve(
            "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", watcherXml,
            [this](const std::string& method, GVariant* parameters, GDBusMethodInvocation* invocation) {
                if (method == "RegisterStatusNotifierItem") {
                    const gchar* service = nullptr;
                    g_variant_get(parameters, "(&s)", &service);
                    const std::lock_guard lock(m_mutex);
                    m_items.emplace_back(service);
                }
                g_dbus_method_invocation_return_value(invocation, nullptr);
            },
            [this](const std::string& property) -> GVariant* {
                if (property == "IsStatusNotifierHostRegistered") {
                    ++m_hostQueries;
                    return g_variant_new_boolean(m_host.load());
                }
                if (property == "ProtocolVersion")
                    return g_variant_new_int32(0);
                if (property == "RegisteredStatusNotifierItems") {
                    const std::lock_guard lock(m_mutex);
                    std::vector<const gchar*> names;
                    for (const std::string& item : m_items)
                        names.push_back(item.c_str());
                    return g_variant_new_strv(names.data(), static_cast<gssize>(names.size()));
                }
                return nullptr;
            });
    }
    [[nodiscard]] bool serving() const { return m_serving; }
    [[nodiscard]] std::vector<std::string> items()
    {
        const std::lock_guard lock(m_mutex);
        return m_items;
    }
    [[nodiscard]] int hostQueries() const { return m_hostQueries.load(); }
    // A panel registers as a host, as the watcher announces to the items.
    void hostArrives()
    {
        m_host = true;
        g_dbus_connection_emit_signal(m_peer.connection(), nullptr, "/StatusNotifierWatcher",
                                      "org.kde.StatusNotifierWatcher", "StatusNotifierHostRegistered", nullptr,
                                      nullptr);
        g_dbus_connection_flush_sync(m_peer.connection(), nullptr, nullptr);
    }

private:
    std::atomic<bool> m_host;
    std::atomic<int> m_hostQueries {0};
    bool m_serving = false;
    std::mutex m_mutex;
    std::vector<std::string> m_items;
    // Last: it ends (and stops calling back) before the records go.
    BusPeer m_peer;
};

constexpr const char* notificationsXml = R"(<node><interface name='org.freedesktop.Notifications'>
  <method name='Notify'>
    <arg type='s' direction='in'/><arg type='u' direction='in'/><arg type='s' direction='in'/>
    <arg type='s' direction='in'/><arg type='s' direction='in'/><arg type='as' direction='in'/>
    <arg type='a{sv}' direction='in'/><arg type='i' direction='in'/><arg type='u' direction='out'/>
  </method>
  <method name='GetCapabilities'><arg type='as' direction='out'/></method>
</interface></node>)";

struct Notice {
    std::string appName;
    std::string icon;
    std::string summary;
    std::string body;
    std::string desktopEntry;
    std::optional<bool> suppressSound;
};

// The desktop's notification server: records what it is told, and answers
// at once or never (a hung server).
class FakeNotifications {
public:
    FakeNotifications(const std::string& address, bool answer)
        : m_peer(address)
    {
        m_peer.atEnd([this] {
            for (GDBusMethodInvocation* held : m_held)
                g_dbus_method_invocation_return_dbus_error(held, "org.freedesktop.DBus.Error.Failed", "gone");
        });
        m_serving = m_peer.serve(
            "org.freedesktop.Notifications", "/org/freedesktop/Notifications", notificationsXml,
            [this, answer](const std::string& method, GVariant* parameters, GDBusMethodInvocation* invocation) {
                if (method != "Notify") {
                    g_dbus_method_invocation_return_value(invocation,
                                                          g_variant_new("(@as)", g_variant_new_strv(nullptr, 0)));
                    return;
                }
                Notice notice;
                const gchar* app = nullptr;
                guint32 replaces = 0;
                const gchar* icon = nullptr;
                const gchar* summary = nullptr;
                const gchar* body = nullptr;
                GVariant* actions = nullptr;
                GVariant* hints = nullptr;
                gint32 timeout = 0;
                g_variant_get(parameters, "(&su&s&s&s@as@a{sv}i)", &app, &replaces, &icon, &summary, &body, &actions,
                              &hints, &timeout);
                notice = {app, icon, summary, body, {}, {}};
                const gchar* entry = nullptr;
                if (g_variant_lookup(hints, "desktop-entry", "&s", &entry))
                    notice.desktopEntry = entry;
                gboolean suppress = FALSE;
                if (g_variant_lookup(hints, "suppress-sound", "b", &suppress))
                    notice.suppressSound = suppress != FALSE;
                g_variant_unref(actions);
                g_variant_unref(hints);
                const std::lock_guard lock(m_mutex);
                m_notices.push_back(notice);
                if (answer)
                    g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", 1U));
                else
                    m_held.push_back(invocation);
            });
    }
    [[nodiscard]] bool serving() const { return m_serving; }
    [[nodiscard]] std::vector<Notice> notices()
    {
        const std::lock_guard lock(m_mutex);
        return m_notices;
    }

private:
    bool m_serving = false;
    std::mutex m_mutex;
    std::vector<Notice> m_notices;
    std::vector<GDBusMethodInvocation*> m_held;
    // Last: it ends (and stops calling back) before the records go.
    BusPeer m_peer;
};

class TestPrompts final : public WindowPrompts {
public:
    std::function<ExitAnswer()> exitQuestion;
    ExitAnswer askExit(ui::UiHost& owner) override
    {
        return exitQuestion ? exitQuestion() : WindowPrompts::askExit(owner);
    }
};

std::string utf8(std::string_view programText)
{
    return encoding::toUtf8(programText);
}

class DesktopBusTest : public ::testing::Test {
protected:
    explicit DesktopBusTest(std::vector<std::string> serverArgs = {})
        : m_server(std::move(serverArgs))
    { }

    void SetUp() override
    {
        if (!test::PrivateBus::available())
            GTEST_SKIP() << "dbus-daemon is needed for the desktop bus tests";
        m_bus = std::make_unique<test::PrivateBus>(m_dir.path());
        ::setenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().c_str(), 1);
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        m_client = std::make_unique<BusPeer>(m_bus->address());
        ASSERT_NE(m_client->connection(), nullptr) << "the private bus did not start";
        m_runDir = platform::fromNativePath(m_dir.path().string());
        prepareConfiguration(m_runDir);
        configure(platform::ConfigStore(m_runDir + "/config.ini"));
    }
    void TearDown() override
    {
        m_window.reset();
        m_framework.reset();
        m_services.reset();
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }

    virtual void configure(const platform::ConfigStore&) { }

    // `beforeWindow` runs once the framework is up and before the window is built.
    void openWindow(const std::function<void()>& beforeWindow = {})
    {
        std::string error;
        m_framework = ui::UiFramework::create(&error);
        ASSERT_TRUE(m_framework) << error;
        if (beforeWindow)
            beforeWindow();
        m_framework->setSkin(windowSkin());
        ui::installCaptionButtons(*m_framework);
        AppLayout layout;
        layout.runDirectory = m_runDir;
        layout.defaultSaveDirectory = m_runDir + "/Download/";
        m_services = std::make_unique<AppServices>(platform::ConfigStore(m_runDir + "/config.ini"),
                                                   service::ServiceEndpoints(Text(m_server.host())));
        m_window = std::make_unique<MainWindow>(*m_framework, *m_services, layout, m_prompts);
        m_window->host().effectPause = [](std::chrono::milliseconds) {};
        m_window->show();
    }

    // Turns the window's loop until `done` holds.
    bool pumpUntil(const std::function<bool()>& done)
    {
        return test::pumpUntil(
            done,
            [this] {
                m_framework->processPending();
                std::this_thread::sleep_for(1ms);
            },
            limit);
    }
    bool windowVisible() { return m_framework->loop().isVisible(m_window->host().window()); }

    // The item the watcher holds, once the window's tray counts it as shown.
    std::string registeredItem(FakeWatcher& watcher)
    {
        std::string item;
        pumpUntil([&] {
            const auto items = watcher.items();
            item = items.empty() ? std::string() : items.back();
            return !item.empty() && m_window->tray().isDocked();
        });
        return item;
    }
    VariantPtr itemProperty(const std::string& item, const char* name)
    {
        return m_client->property(item, "/StatusNotifierItem", "org.kde.StatusNotifierItem", name);
    }
    bool callItem(const std::string& item, const char* method)
    {
        return m_client->call(item, "/StatusNotifierItem", "org.kde.StatusNotifierItem", method,
                              g_variant_new("(ii)", 0, 0))
            != nullptr;
    }
    // The labels of the exported menu's items, top to bottom ("-" for a separator).
    std::vector<std::string> menuLabels(const std::string& item)
    {
        std::vector<std::string> labels;
        const VariantPtr menuPath = itemProperty(item, "Menu");
        if (!menuPath)
            return labels;
        const VariantPtr reply
            = m_client->call(item, g_variant_get_string(menuPath.get(), nullptr), "com.canonical.dbusmenu", "GetLayout",
                             g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)), "(u(ia{sv}av))");
        if (!reply)
            return labels;
        const VariantPtr layout(g_variant_get_child_value(reply.get(), 1));
        const VariantPtr children(g_variant_get_child_value(layout.get(), 2));
        for (gsize i = 0; i < g_variant_n_children(children.get()); ++i) {
            const VariantPtr boxed(g_variant_get_child_value(children.get(), i));
            const VariantPtr child(g_variant_get_variant(boxed.get()));
            const VariantPtr properties(g_variant_get_child_value(child.get(), 1));
            const gchar* text = nullptr;
            if (g_variant_lookup(properties.get(), "type", "&s", &text) && std::string_view(text) == "separator")
                labels.emplace_back("-");
            else if (g_variant_lookup(properties.get(), "label", "&s", &text))
                labels.emplace_back(text);
            else
                labels.emplace_back();
        }
        return labels;
    }
    bool clickMenuItem(const std::string& item, int id)
    {
        return m_client->call(item, "/MenuBar", "com.canonical.dbusmenu", "Event",
                              g_variant_new("(isvu)", id, "clicked", g_variant_new_int32(0), 0U))
            != nullptr;
    }

    // Queues the songs a search finds; the worker starts.
    void download(const char* query)
    {
        const std::vector<service::SongRecord> found = service::runSearch(
            service::ServiceEndpoints(Text(m_server.host())), encoding::fromUtf8(query), service::SearchFilter {});
        ASSERT_FALSE(found.empty());
        m_window->queue().addTickedSongs(found);
    }
    void hideThroughTheItem(const std::string& item)
    {
        ASSERT_TRUE(callItem(item, "Activate"));
        ASSERT_TRUE(pumpUntil([&] { return !windowVisible(); }));
    }
    // The window opened with its item, hidden through it, and `query`'s song
    // downloaded: the first notice `server` got, none when a step failed.
    std::optional<Notice> firstNoticeOfAHiddenDownload(FakeWatcher& watcher, FakeNotifications& server,
                                                       const char* query)
    {
        openWindow();
        const std::string item = registeredItem(watcher);
        if (item.empty() || !pumpUntil([&] { return m_window->canNotify(); })) {
            ADD_FAILURE() << "no item registered, or the window cannot notify";
            return std::nullopt;
        }
        hideThroughTheItem(item);
        download(query);
        if (!pumpUntil([&] { return !server.notices().empty(); })) {
            ADD_FAILURE() << "no notification";
            return std::nullopt;
        }
        return server.notices().front();
    }

    quorvo::test::TempDir m_dir;
    quorvo::test::ReferenceServer m_server;
    std::unique_ptr<test::PrivateBus> m_bus;
    std::unique_ptr<BusPeer> m_client;
    Text m_runDir;
    std::unique_ptr<ui::UiFramework> m_framework;
    TestPrompts m_prompts;
    std::unique_ptr<AppServices> m_services;
    std::unique_ptr<MainWindow> m_window;
};

TEST(StatusIconPixmap, IsStraightArgbInNetworkByteOrder)
{
    platform::PixelBuffer pixels(2, 1);
    pixels.at(0, 0) = 0xFF112233;
    // Half-transparent white, premultiplied.
    pixels.at(1, 0) = 0x80808080;
    const platform::StatusIconPixmap pixmap = platform::toStatusIconPixmap(pixels.view());
    EXPECT_EQ(pixmap.width, 2);
    EXPECT_EQ(pixmap.height, 1);
    EXPECT_EQ(pixmap.bytes, (std::vector<std::uint8_t> {0xFF, 0x11, 0x22, 0x33, 0x80, 0xFF, 0xFF, 0xFF}));
}

TEST_F(DesktopBusTest, TheItemRegistersWithItsPropertiesAndActivateHidesAndShowsTheWindow)
{
    FakeWatcher watcher(m_bus->address());
    ASSERT_TRUE(watcher.serving());
    openWindow();
    const std::string item = registeredItem(watcher);
    ASSERT_FALSE(item.empty()) << "the item did not register with the watcher";
    EXPECT_TRUE(item.starts_with("org.kde.StatusNotifierItem-")) << item;

    const auto text = [&](const char* name) {
        const VariantPtr value = itemProperty(item, name);
        return value ? std::string(g_variant_get_string(value.get(), nullptr)) : std::string("(none)");
    };
    EXPECT_EQ(text("Id"), "quorvo");
    EXPECT_EQ(text("Title"), utf8(caption::windowTitle));
    EXPECT_EQ(text("Category"), "ApplicationStatus");
    EXPECT_EQ(text("Status"), "Active");
    EXPECT_EQ(text("IconName"), "quorvo");
    EXPECT_EQ(text("Menu"), "/MenuBar");
    const VariantPtr tooltip = itemProperty(item, "ToolTip");
    ASSERT_TRUE(tooltip);
    const gchar* tipTitle = nullptr;
    g_variant_get_child(tooltip.get(), 2, "&s", &tipTitle);
    EXPECT_EQ(std::string(tipTitle), utf8(caption::windowTitle));

    // The pixmaps from 16 to 64 pixels, each width × height × 4 bytes, the
    // middle pixel of each opaque (its first byte is the alpha).
    const VariantPtr pixmaps = itemProperty(item, "IconPixmap");
    ASSERT_TRUE(pixmaps);
    std::vector<int> sizes;
    for (gsize i = 0; i < g_variant_n_children(pixmaps.get()); ++i) {
        gint32 width = 0;
        gint32 height = 0;
        GVariant* raw = nullptr;
        g_variant_get_child(pixmaps.get(), i, "(ii@ay)", &width, &height, &raw);
        const VariantPtr bytes(raw);
        gsize count = 0;
        const auto* data = static_cast<const std::uint8_t*>(g_variant_get_fixed_array(bytes.get(), &count, 1));
        EXPECT_EQ(count, static_cast<gsize>(width) * static_cast<gsize>(height) * 4);
        EXPECT_EQ(data[((height / 2) * width + width / 2) * 4], 0xFF) << width;
        sizes.push_back(width);
    }
    EXPECT_EQ(sizes, (std::vector<int> {16, 24, 32, 48, 64}));

    // A shown item is a tray: minimise hides the window, Activate brings it back.
    ASSERT_TRUE(windowVisible());
    m_window->host().minimise();
    ASSERT_TRUE(pumpUntil([&] { return !windowVisible(); })) << "minimise did not hide the window";
    ASSERT_TRUE(callItem(item, "Activate"));
    EXPECT_TRUE(pumpUntil([&] { return windowVisible(); })) << "Activate did not show the window";
    ASSERT_TRUE(callItem(item, "Activate"));
    EXPECT_TRUE(pumpUntil([&] { return !windowVisible(); })) << "Activate did not hide the window";
}

TEST_F(DesktopBusTest, TheItemFollowsTheWatcherComingAndGoing)
{
    openWindow();
    // No watcher yet and no X tray on the dummy driver: no tray at all.
    EXPECT_FALSE(m_window->tray().isDocked());
    EXPECT_TRUE(m_window->tray().offersStatusItem());

    auto watcher = std::make_unique<FakeWatcher>(m_bus->address());
    ASSERT_TRUE(watcher->serving());
    const std::string item = registeredItem(*watcher);
    ASSERT_FALSE(item.empty()) << "the item did not register with a watcher that started later";
    hideThroughTheItem(item);

    // The watcher goes: the hidden window comes back, since nothing could show it now.
    watcher.reset();
    ASSERT_TRUE(pumpUntil([&] { return !m_window->tray().isDocked(); }));
    EXPECT_TRUE(pumpUntil([&] { return windowVisible(); })) << "the window stayed hidden without a tray";

    // A new watcher gets the item again.
    FakeWatcher again(m_bus->address());
    ASSERT_TRUE(again.serving());
    EXPECT_EQ(registeredItem(again), item);
}

TEST_F(DesktopBusTest, AWatcherWithoutAHostIsNoTrayUntilAHostRegisters)
{
    FakeWatcher watcher(m_bus->address(), false);
    ASSERT_TRUE(watcher.serving());
    openWindow();
    ASSERT_TRUE(pumpUntil([&] { return !watcher.items().empty() && watcher.hostQueries() > 0; }))
        << "the item did not register and ask for a host";
    // Round trips through the watcher's connection, then through the item's
    // bus thread: the watcher's answer has reached the item before ours.
    ASSERT_TRUE(m_client->property("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                                   "org.kde.StatusNotifierWatcher", "ProtocolVersion"));
    ASSERT_TRUE(itemProperty(watcher.items().back(), "Id"));
    m_framework->processPending();
    // No panel draws the item: no tray, so minimise keeps the window reachable.
    EXPECT_FALSE(m_window->tray().isDocked());

    watcher.hostArrives();
    EXPECT_TRUE(pumpUntil([&] { return m_window->tray().isDocked(); })) << "the host's arrival was not heard";
}

// A download held at 20 KB/s, so that it still runs when the menu asks to exit.
class SlowDownloadBusTest : public DesktopBusTest {
protected:
    void configure(const platform::ConfigStore& config) override { config.write("speed", "20"); }
};

TEST_F(SlowDownloadBusTest, TheMenuIsReadOverDbusmenuAndItsExitAsksWhileADownloadRuns)
{
    FakeWatcher watcher(m_bus->address());
    ASSERT_TRUE(watcher.serving());
    openWindow();
    const std::string item = registeredItem(watcher);
    ASSERT_FALSE(item.empty());

    const std::vector<std::string> shownMenu {utf8(caption::menuToggle), "-", utf8(caption::menuUpdates),
                                              utf8(caption::menuAuthor), utf8(caption::menuExit)};
    EXPECT_TRUE(pumpUntil([&] { return menuLabels(item) == shownMenu; })) << "menu: " << menuLabels(item).size();
    // Hidden, the first item offers to show the window ("显示窗口"); clicking it does.
    hideThroughTheItem(item);
    std::vector<std::string> hiddenMenu = shownMenu;
    hiddenMenu[0] = "显示窗口";
    EXPECT_TRUE(pumpUntil([&] { return menuLabels(item) == hiddenMenu; })) << menuLabels(item)[0];
    ASSERT_TRUE(clickMenuItem(item, 1));
    ASSERT_TRUE(pumpUntil([&] { return windowVisible(); })) << "the menu's first item did not show the window";
    EXPECT_TRUE(pumpUntil([&] { return menuLabels(item) == shownMenu; }));

    download("Paper Lanterns");
    ASSERT_TRUE(pumpUntil([&] { return m_window->queue().isRunning(); }));
    int asked = 0;
    m_prompts.exitQuestion = [&] {
        ++asked;
        return ExitAnswer::Keep;
    };
    // "退出程序" is the fifth item.
    ASSERT_TRUE(clickMenuItem(item, 5));
    ASSERT_TRUE(pumpUntil([&] { return asked == 1; })) << "退出程序 did not ask";
    m_framework->processPending();
    EXPECT_TRUE(m_window->host().isAlive());
    EXPECT_TRUE(m_window->queue().isRunning());
    m_window->queue().stopWorker(true);
}

// The first completion sound after each song.
class SoundBusTest : public DesktopBusTest {
protected:
    void configure(const platform::ConfigStore& config) override { config.write("wav", "1"); }
};

TEST_F(SoundBusTest, AFinishedRunIsAnnouncedWhileTheWindowIsHidden)
{
    FakeWatcher watcher(m_bus->address());
    FakeNotifications server(m_bus->address(), true);
    ASSERT_TRUE(watcher.serving() && server.serving());
    const std::optional<Notice> first = firstNoticeOfAHiddenDownload(watcher, server, "Paper Lanterns");
    ASSERT_TRUE(first);
    const Notice& notice = *first;
    EXPECT_EQ(notice.summary, std::to_string(m_window->queue().list().size()) + "首歌曲下载完毕");
    EXPECT_EQ(notice.desktopEntry, "quorvo");
    EXPECT_EQ(notice.icon, "quorvo");
    EXPECT_EQ(notice.appName, utf8(caption::windowTitle));
    // Our own sound plays with it: the desktop keeps quiet.
    EXPECT_EQ(notice.suppressSound, std::optional<bool>(true));
    ASSERT_TRUE(m_window->queue().waitUntilIdle(limit));
    m_framework->processPending();
    EXPECT_EQ(server.notices().size(), 1U);
}

// Every song file answered with 404.
class MissingFilesBusTest : public DesktopBusTest {
protected:
    MissingFilesBusTest()
        : DesktopBusTest({"--fault-status", "404", "--fault-on", "files"})
    { }
};

TEST_F(MissingFilesBusTest, AFailedRowIsAnnouncedWithTheSongsNameAndWhy)
{
    FakeWatcher watcher(m_bus->address());
    FakeNotifications server(m_bus->address(), true);
    ASSERT_TRUE(watcher.serving() && server.serving());
    const std::optional<Notice> first = firstNoticeOfAHiddenDownload(watcher, server, "Paper Lanterns");
    ASSERT_TRUE(first);
    const Notice& notice = *first;
    const auto rows = m_window->queue().list().rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(notice.summary, utf8(rows.front().name.view()));
    EXPECT_NE(notice.body.find("HTTP 404"), std::string::npos) << notice.body;
    EXPECT_EQ(notice.desktopEntry, "quorvo");
    EXPECT_NE(notice.suppressSound, std::optional<bool>(true));
}

TEST_F(DesktopBusTest, AMissingOrHungNotificationServerHoldsNothingUp)
{
    FakeWatcher watcher(m_bus->address());
    ASSERT_TRUE(watcher.serving());
    openWindow();
    const std::string item = registeredItem(watcher);
    ASSERT_FALSE(item.empty());
    hideThroughTheItem(item);

    // No server: the run ends and the window answers as ever.
    EXPECT_FALSE(m_window->canNotify());
    download("Paper Lanterns");
    ASSERT_TRUE(pumpUntil([&] { return !m_window->queue().isRunning(); }));
    m_framework->processPending();

    // A server that takes the notification and never answers: the window goes on.
    FakeNotifications hung(m_bus->address(), false);
    ASSERT_TRUE(hung.serving());
    ASSERT_TRUE(pumpUntil([&] { return m_window->canNotify(); }));
    m_window->queue().list().removeRows([](const download::DownloadTask&) { return true; });
    download("Paper Lanterns");
    ASSERT_TRUE(pumpUntil([&] { return !hung.notices().empty(); })) << "the server was not told";
    ASSERT_TRUE(callItem(item, "Activate"));
    EXPECT_TRUE(pumpUntil([&] { return windowVisible(); })) << "the window stopped answering";
}

TEST_F(DesktopBusTest, ABusThatNeverAnswersHoldsNeitherTheWindowNorItsEnd)
{
    // A socket that takes connections and never says a word: GDBus's
    // handshake with it has no time limit.
    const fs::path socket = m_dir.path() / "silent";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socket.string().size(), sizeof(address.sun_path));
    std::copy_n(socket.string().c_str(), socket.string().size() + 1, address.sun_path);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener, 8), 0);
    // Only the window meets it: SDL's own start asks the session bus too,
    // and would wait for its own time limit.
    openWindow([&] { ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + socket.string()).c_str(), 1); });
    EXPECT_TRUE(m_window->tray().offersStatusItem());
    EXPECT_FALSE(m_window->tray().isDocked());
    EXPECT_FALSE(m_window->canNotify());
    // Without a tray the window minimises instead of hiding, as ever.
    m_window->host().minimise();
    m_framework->processPending();
    EXPECT_TRUE(windowVisible());
    // The window's end comes back although the bus thread is still stuck.
    m_window.reset();
    ::close(listener);
}

}  // namespace
}  // namespace quorvo::app
