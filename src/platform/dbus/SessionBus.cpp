#include "platform/dbus/SessionBus.h"

#include "platform/dbus/GLibHandles.h"

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <future>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace quorvo::platform {

namespace {

thread_local GDBusConnection* busConnection = nullptr;

}  // namespace

struct SessionBus::Impl {
    std::string address;
    glib::ContextPtr context {g_main_context_new()};
    glib::MainLoopPtr loop {g_main_loop_new(context.get(), FALSE)};
    glib::ObjectPtr<GDBusConnection> connection;

    std::mutex mutex;
    std::deque<std::function<void()>> tasks;
    bool drainScheduled = false;
    bool ending = false;
    std::thread thread;
    std::promise<void> ended;

    void main()
    {
        g_main_context_push_thread_default(context.get());
        GError* rawError = nullptr;
        connection.reset(g_dbus_connection_new_for_address_sync(
            address.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                              | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &rawError));
        const glib::ErrorPtr error(rawError);
        if (connection)
            // Our process decides when it ends, not the bus.
            g_dbus_connection_set_exit_on_close(connection.get(), FALSE);
        busConnection = connection.get();
        drain();
        g_main_loop_run(loop.get());
        // The clients have ended their work; what is still in flight ends
        // with the connection, and its callbacks run here before the context goes.
        if (connection)
            g_dbus_connection_close_sync(connection.get(), nullptr, nullptr);
        while (g_main_context_iteration(context.get(), FALSE)) { }
        busConnection = nullptr;
        connection.reset();
        while (g_main_context_iteration(context.get(), FALSE)) { }
        g_main_context_pop_thread_default(context.get());
    }

    void drain()
    {
        for (;;) {
            std::function<void()> task;
            {
                const std::lock_guard lock(mutex);
                if (tasks.empty()) {
                    drainScheduled = false;
                    return;
                }
                task = std::move(tasks.front());
                tasks.pop_front();
            }
            task();
        }
    }

    static gboolean onDrain(gpointer data)
    {
        static_cast<Impl*>(data)->drain();
        return G_SOURCE_REMOVE;
    }

    void push(std::function<void()> task)
    {
        {
            const std::lock_guard lock(mutex);
            tasks.push_back(std::move(task));
            if (drainScheduled)
                return;
            drainScheduled = true;
        }
        g_main_context_invoke(context.get(), &Impl::onDrain, this);
    }
};

std::string SessionBus::sessionAddress()
{
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return address;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') {
        const std::string socket = std::string(runtime) + "/bus";
        struct stat info { };
        if (::stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode))
            return "unix:path=" + socket;
    }
    return {};
}

std::unique_ptr<SessionBus> SessionBus::open(const std::string& address)
{
    if (address.empty())
        return nullptr;
    auto impl = std::make_shared<Impl>();
    impl->address = address;
    // The drain scheduled before the loop runs is the connection's own.
    impl->drainScheduled = true;
    impl->thread = std::thread([impl] {
        impl->main();
        impl->ended.set_value();
    });
    return std::unique_ptr<SessionBus>(new SessionBus(std::move(impl)));
}

SessionBus::SessionBus(std::shared_ptr<Impl> impl)
    : m_impl(std::move(impl))
{ }

SessionBus::~SessionBus()
{
    std::future<void> ended = m_impl->ended.get_future();
    m_impl->push([impl = m_impl.get()] { g_main_loop_quit(impl->loop.get()); });
    // GDBus's handshake has no time limit: a bus that accepts the connection
    // and never answers would keep the thread in it for good.
    if (ended.wait_for(endWait) == std::future_status::ready)
        m_impl->thread.join();
    else
        m_impl->thread.detach();
}

void SessionBus::run(std::function<void()> task)
{
    m_impl->push(std::move(task));
}

bool SessionBus::runAndWait(std::function<void()> task, std::chrono::milliseconds limit)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    m_impl->push([task = std::move(task), done] {
        task();
        done->set_value();
    });
    return finished.wait_for(limit) == std::future_status::ready;
}

GDBusConnection* SessionBus::threadConnection()
{
    return busConnection;
}

}  // namespace quorvo::platform
