// The desktop's folder chooser over a private session bus (its own
// dbus-daemon) with a stand-in for xdg-desktop-portal's file chooser on it.
// Skipped with a message where dbus-daemon is missing.

#include "app/FolderChooser.h"

#include "PrivateBus.h"
#include "TempDir.h"
#include "platform/Files.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace quorvo::app {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* portalXml = "<node><interface name='org.freedesktop.portal.FileChooser'>"
                                  "<method name='OpenFile'><arg type='s' direction='in'/><arg type='s' direction='in'/>"
                                  "<arg type='a{sv}' direction='in'/><arg type='o' direction='out'/></method>"
                                  "</interface></node>";
constexpr const char* requestXml = "<node><interface name='org.freedesktop.portal.Request'>"
                                   "<method name='Close'/></interface></node>";

// The portal's file chooser as the desktop runs it: answers OpenFile with a
// request object and, when `answerUri` is set, a Response signal choosing it.
class FakePortal {
public:
    FakePortal(std::string address, std::optional<std::string> answerUri)
        : m_address(std::move(address))
        , m_answerUri(std::move(answerUri))
    {
        m_thread = std::thread([this] { run(); });
        std::unique_lock lock(m_mutex);
        m_ready.wait_for(lock, 10s, [&] { return m_started; });
    }
    ~FakePortal()
    {
        m_stop = true;
        if (m_context)
            g_main_context_wakeup(m_context);
        m_thread.join();
    }
    FakePortal(const FakePortal&) = delete;
    FakePortal& operator=(const FakePortal&) = delete;

    [[nodiscard]] bool owned()
    {
        const std::scoped_lock lock(m_mutex);
        return m_owned;
    }
    [[nodiscard]] bool asked()
    {
        const std::scoped_lock lock(m_mutex);
        return m_asked;
    }
    [[nodiscard]] bool closed()
    {
        const std::scoped_lock lock(m_mutex);
        return m_closed;
    }
    std::string title;
    bool directory = false;
    std::string currentFolder;

private:
    void run()
    {
        m_context = g_main_context_new();
        g_main_context_push_thread_default(m_context);
        GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
            m_address.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                              | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        GDBusNodeInfo* portal = g_dbus_node_info_new_for_xml(portalXml, nullptr);
        GDBusNodeInfo* request = g_dbus_node_info_new_for_xml(requestXml, nullptr);
        m_request = request;
        static const GDBusInterfaceVTable table {&FakePortal::onCall, nullptr, nullptr, {}};
        if (bus) {
            g_dbus_connection_register_object(bus, "/org/freedesktop/portal/desktop", portal->interfaces[0], &table,
                                              this, nullptr, nullptr);
            GVariant* reply = g_dbus_connection_call_sync(
                bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                g_variant_new("(su)", "org.freedesktop.portal.Desktop", 4u), G_VARIANT_TYPE("(u)"),
                G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
            if (reply)
                g_variant_unref(reply);
            const std::scoped_lock lock(m_mutex);
            m_owned = reply != nullptr;
        }
        {
            const std::scoped_lock lock(m_mutex);
            m_started = true;
        }
        m_ready.notify_all();
        while (!m_stop)
            g_main_context_iteration(m_context, TRUE);
        if (bus) {
            g_dbus_connection_close_sync(bus, nullptr, nullptr);
            g_object_unref(bus);
        }
        g_dbus_node_info_unref(portal);
        g_dbus_node_info_unref(request);
        g_main_context_pop_thread_default(m_context);
        g_main_context_unref(m_context);
    }

    static void onCall(GDBusConnection* bus, const gchar* sender, const gchar*, const gchar* interface,
                       const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data)
    {
        auto& self = *static_cast<FakePortal*>(data);
        if (std::string_view(interface) == "org.freedesktop.portal.Request" && std::string_view(method) == "Close") {
            const std::scoped_lock lock(self.m_mutex);
            self.m_closed = true;
            g_dbus_method_invocation_return_value(invocation, nullptr);
            return;
        }
        const gchar* title = nullptr;
        GVariant* options = nullptr;
        g_variant_get(parameters, "(&s&s@a{sv})", nullptr, &title, &options);
        self.title = title;
        gboolean directory = FALSE;
        g_variant_lookup(options, "directory", "b", &directory);
        self.directory = directory != FALSE;
        const gchar* folder = nullptr;
        if (g_variant_lookup(options, "current_folder", "^&ay", &folder))
            self.currentFolder = folder;
        const gchar* token = "t";
        g_variant_lookup(options, "handle_token", "&s", &token);
        std::string name = sender + 1;
        for (char& c : name)
            c = c == '.' ? '_' : c;
        const std::string handle = "/org/freedesktop/portal/desktop/request/" + name + "/" + token;
        g_variant_unref(options);
        static const GDBusInterfaceVTable requestTable {&FakePortal::onCall, nullptr, nullptr, {}};
        g_dbus_connection_register_object(bus, handle.c_str(), self.m_request->interfaces[0], &requestTable, data,
                                          nullptr, nullptr);
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", handle.c_str()));
        if (self.m_answerUri) {
            GVariantBuilder results;
            g_variant_builder_init(&results, G_VARIANT_TYPE_VARDICT);
            const gchar* uris[] = {self.m_answerUri->c_str(), nullptr};
            g_variant_builder_add(&results, "{sv}", "uris", g_variant_new_strv(uris, -1));
            g_dbus_connection_emit_signal(bus, sender, handle.c_str(), "org.freedesktop.portal.Request", "Response",
                                          g_variant_new("(ua{sv})", 0u, &results), nullptr);
        }
        const std::scoped_lock lock(self.m_mutex);
        self.m_asked = true;
    }

    std::string m_address;
    std::optional<std::string> m_answerUri;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    bool m_started = false;
    bool m_owned = false;
    bool m_asked = false;
    bool m_closed = false;
    std::atomic<bool> m_stop {false};
    GMainContext* m_context = nullptr;
    GDBusNodeInfo* m_request = nullptr;
};

class FolderChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!quorvo::test::PrivateBus::available())
            GTEST_SKIP() << "dbus-daemon is needed for the portal tests";
        m_bus = std::make_unique<quorvo::test::PrivateBus>(m_dir.path());
        ::setenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().c_str(), 1);
    }
    void TearDown() override { ::unsetenv("DBUS_SESSION_BUS_ADDRESS"); }

    quorvo::test::TempDir m_dir;
    std::unique_ptr<quorvo::test::PrivateBus> m_bus;
    const Text m_title = "\xC7\xEB\xD1\xA1\xD4\xF1";  // 请选择
};

TEST_F(FolderChooserTest, PortalChoiceComesBackAsADecodedFolderInProgramText)
{
    // "/…/歌曲 A" as the portal writes it: UTF-8, percent-encoded.
    FakePortal portal(m_bus->address(), "file://" + m_dir.path().string() + "/%E6%AD%8C%E6%9B%B2%20A");
    ASSERT_TRUE(portal.owned());
    DesktopFolderChooser chooser;
    const Text start = platform::fromNativePath(m_dir.path().string()) + "/";
    const std::optional<FolderAnswer> answer = chooser.chooseWithPortal(m_title, start);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->choice, FolderChoice::Chosen);
    EXPECT_EQ(answer->folder, platform::fromNativePath(m_dir.path().string()) + "/\xB8\xE8\xC7\xFA A");
    EXPECT_TRUE(portal.directory);
    EXPECT_EQ(portal.title, "请选择");
    EXPECT_EQ(portal.currentFolder, m_dir.path().string() + "/");
}

TEST_F(FolderChooserTest, NoPortalOnTheBusFallsThroughAtOnce)
{
    DesktopFolderChooser chooser;
    EXPECT_FALSE(chooser.chooseWithPortal(m_title, {}));
}

TEST_F(FolderChooserTest, WindowClosingEndsAPendingQuestionAndClosesTheRequest)
{
    FakePortal portal(m_bus->address(), std::nullopt);
    ASSERT_TRUE(portal.owned());
    DesktopFolderChooser chooser;
    std::optional<FolderAnswer> answer;
    std::thread asking([&] { answer = chooser.choose(m_title, {}); });
    for (int i = 0; i < 500 && !portal.asked(); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(portal.asked());
    // Let the chooser take the reply and wait for the answer.
    std::this_thread::sleep_for(100ms);
    chooser.cancel();
    asking.join();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->choice, FolderChoice::Cancelled);
    for (int i = 0; i < 200 && !portal.closed(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(portal.closed());
}

}  // namespace
}  // namespace quorvo::app
