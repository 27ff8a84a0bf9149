#include "platform/dbus/StatusNotifier.h"

#include "platform/dbus/GLibHandles.h"

#include <unistd.h>

namespace quorvo::platform {

namespace {

constexpr const char* itemPath = "/StatusNotifierItem";
constexpr const char* menuPath = "/MenuBar";
constexpr const char* menuInterface = "com.canonical.dbusmenu";
constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";
constexpr const char* watcherPath = "/StatusNotifierWatcher";

constexpr const char* itemXml = R"(<node>
<interface name='org.kde.StatusNotifierItem'>
  <property name='Category' type='s' access='read'/>
  <property name='Id' type='s' access='read'/>
  <property name='Title' type='s' access='read'/>
  <property name='Status' type='s' access='read'/>
  <property name='WindowId' type='i' access='read'/>
  <property name='IconThemePath' type='s' access='read'/>
  <property name='IconName' type='s' access='read'/>
  <property name='IconPixmap' type='a(iiay)' access='read'/>
  <property name='OverlayIconName' type='s' access='read'/>
  <property name='OverlayIconPixmap' type='a(iiay)' access='read'/>
  <property name='AttentionIconName' type='s' access='read'/>
  <property name='AttentionIconPixmap' type='a(iiay)' access='read'/>
  <property name='AttentionMovieName' type='s' access='read'/>
  <property name='ToolTip' type='(sa(iiay)ss)' access='read'/>
  <property name='ItemIsMenu' type='b' access='read'/>
  <property name='Menu' type='o' access='read'/>
  <method name='ContextMenu'><arg name='x' type='i' direction='in'/><arg name='y' type='i' direction='in'/></method>
  <method name='Activate'><arg name='x' type='i' direction='in'/><arg name='y' type='i' direction='in'/></method>
  <method name='SecondaryActivate'><arg name='x' type='i' direction='in'/><arg name='y' type='i' direction='in'/></method>
  <method name='Scroll'><arg name='delta' type='i' direction='in'/><arg name='orientation' type='s' direction='in'/></method>
  <signal name='NewTitle'/>
  <signal name='NewIcon'/>
  <signal name='NewAttentionIcon'/>
  <signal name='NewOverlayIcon'/>
  <signal name='NewToolTip'/>
  <signal name='NewStatus'><arg name='status' type='s'/></signal>
</interface>
</node>)";

constexpr const char* menuXml = R"(<node>
<interface name='com.canonical.dbusmenu'>
  <property name='Version' type='u' access='read'/>
  <property name='TextDirection' type='s' access='read'/>
  <property name='Status' type='s' access='read'/>
  <property name='IconThemePath' type='as' access='read'/>
  <method name='GetLayout'>
    <arg name='parentId' type='i' direction='in'/>
    <arg name='recursionDepth' type='i' direction='in'/>
    <arg name='propertyNames' type='as' direction='in'/>
    <arg name='revision' type='u' direction='out'/>
    <arg name='layout' type='(ia{sv}av)' direction='out'/>
  </method>
  <method name='GetGroupProperties'>
    <arg name='ids' type='ai' direction='in'/>
    <arg name='propertyNames' type='as' direction='in'/>
    <arg name='properties' type='a(ia{sv})' direction='out'/>
  </method>
  <method name='GetProperty'>
    <arg name='id' type='i' direction='in'/>
    <arg name='name' type='s' direction='in'/>
    <arg name='value' type='v' direction='out'/>
  </method>
  <method name='Event'>
    <arg name='id' type='i' direction='in'/>
    <arg name='eventId' type='s' direction='in'/>
    <arg name='data' type='v' direction='in'/>
    <arg name='timestamp' type='u' direction='in'/>
  </method>
  <method name='EventGroup'>
    <arg name='events' type='a(isvu)' direction='in'/>
    <arg name='idErrors' type='ai' direction='out'/>
  </method>
  <method name='AboutToShow'>
    <arg name='id' type='i' direction='in'/>
    <arg name='needUpdate' type='b' direction='out'/>
  </method>
  <method name='AboutToShowGroup'>
    <arg name='ids' type='ai' direction='in'/>
    <arg name='updatesNeeded' type='ai' direction='out'/>
    <arg name='idErrors' type='ai' direction='out'/>
  </method>
  <signal name='ItemsPropertiesUpdated'>
    <arg name='updatedProps' type='a(ia{sv})'/>
    <arg name='removedProps' type='a(ias)'/>
  </signal>
  <signal name='LayoutUpdated'><arg name='revision' type='u'/><arg name='parent' type='i'/></signal>
  <signal name='ItemActivationRequested'><arg name='id' type='i'/><arg name='timestamp' type='u'/></signal>
</interface>
</node>)";

GVariant* pixmapsVariant(const std::vector<StatusIconPixmap>& pixmaps)
{
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a(iiay)"));
    for (const StatusIconPixmap& pixmap : pixmaps) {
        g_variant_builder_add(
            &builder, "(ii@ay)", pixmap.width, pixmap.height,
            g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, pixmap.bytes.data(), pixmap.bytes.size(), 1));
    }
    return g_variant_builder_end(&builder);
}

bool wanted(GVariant* names, const char* name)
{
    const gsize count = g_variant_n_children(names);
    if (count == 0)
        return true;
    for (gsize i = 0; i < count; ++i) {
        const glib::VariantPtr child(g_variant_get_child_value(names, i));
        if (g_strcmp0(g_variant_get_string(child.get(), nullptr), name) == 0)
            return true;
    }
    return false;
}

}  // namespace

StatusIconPixmap toStatusIconPixmap(const PixelView& pixels)
{
    StatusIconPixmap pixmap;
    if (!pixels.valid())
        return pixmap;
    pixmap.width = pixels.width;
    pixmap.height = pixels.height;
    pixmap.bytes.reserve(static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height) * 4);
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint32_t straight = unpremultiply(pixels.pixel(x, y));
            pixmap.bytes.push_back(static_cast<std::uint8_t>(straight >> 24));
            pixmap.bytes.push_back(static_cast<std::uint8_t>(straight >> 16));
            pixmap.bytes.push_back(static_cast<std::uint8_t>(straight >> 8));
            pixmap.bytes.push_back(static_cast<std::uint8_t>(straight));
        }
    }
    return pixmap;
}

// Lives on the bus thread: every member is touched there only.
struct StatusNotifier::Core : std::enable_shared_from_this<Core> {
    GDBusConnection* bus = nullptr;
    Description description;
    std::function<void(std::function<void(Handlers&)>)> deliver;
    std::shared_ptr<std::atomic<bool>> shown;

    glib::NodeInfoPtr itemInfo;
    glib::NodeInfoPtr menuInfo;
    glib::ObjectPtr<GCancellable> cancellable {g_cancellable_new()};
    std::string busName;
    guint itemObject = 0;
    guint menuObject = 0;
    guint nameOwner = 0;
    guint watcherWatch = 0;
    guint hostRegistered = 0;
    guint hostUnregistered = 0;
    bool nameOwned = false;
    bool watcherPresent = false;
    bool registered = false;
    bool hostPresent = false;
    // A new watcher starts a new registration; replies to older ones are stale.
    std::uint64_t generation = 0;
    guint32 revision = 1;

    void start();
    void stop();
    void tryRegister();
    void updateShown();

    [[nodiscard]] bool validItem(gint32 id) const
    {
        return id >= 1 && static_cast<std::size_t>(id) <= description.menu.size();
    }
    [[nodiscard]] GVariant* itemProperties(gint32 id, GVariant* names) const;
    [[nodiscard]] GVariant* layoutOf(gint32 id, gint32 depth, GVariant* names) const;

    static void onItemCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                           GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data);
    static GVariant* onItemProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* name,
                                    GError** error, gpointer data);
    static void onMenuCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                           GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data);
    static GVariant* onMenuProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* name,
                                    GError** error, gpointer data);
};

void StatusNotifier::Core::start()
{
    bus = SessionBus::threadConnection();
    if (bus == nullptr)
        return;
    itemInfo.reset(g_dbus_node_info_new_for_xml(itemXml, nullptr));
    menuInfo.reset(g_dbus_node_info_new_for_xml(menuXml, nullptr));
    static const GDBusInterfaceVTable itemTable {&Core::onItemCall, &Core::onItemProperty, nullptr, {}};
    static const GDBusInterfaceVTable menuTable {&Core::onMenuCall, &Core::onMenuProperty, nullptr, {}};
    itemObject
        = g_dbus_connection_register_object(bus, itemPath, itemInfo->interfaces[0], &itemTable, this, nullptr, nullptr);
    menuObject
        = g_dbus_connection_register_object(bus, menuPath, menuInfo->interfaces[0], &menuTable, this, nullptr, nullptr);
    if (itemObject == 0 || menuObject == 0)
        return;

    static std::atomic<int> instances {0};
    busName = "org.kde.StatusNotifierItem-" + std::to_string(::getpid()) + "-" + std::to_string(++instances);
    nameOwner = g_bus_own_name_on_connection(
        bus, busName.c_str(), G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE,
        [](GDBusConnection*, const gchar*, gpointer data) {
            auto& core = *static_cast<Core*>(data);
            core.nameOwned = true;
            core.tryRegister();
        },
        [](GDBusConnection*, const gchar*, gpointer data) {
            auto& core = *static_cast<Core*>(data);
            core.nameOwned = false;
            core.registered = false;
            core.updateShown();
        },
        this, nullptr);

    const auto hostSignal = [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* signal,
                               GVariant*, gpointer data) {
        auto& core = *static_cast<Core*>(data);
        core.hostPresent = g_strcmp0(signal, "StatusNotifierHostRegistered") == 0;
        core.updateShown();
    };
    hostRegistered
        = g_dbus_connection_signal_subscribe(bus, watcherName, watcherName, "StatusNotifierHostRegistered", watcherPath,
                                             nullptr, G_DBUS_SIGNAL_FLAGS_NONE, hostSignal, this, nullptr);
    hostUnregistered
        = g_dbus_connection_signal_subscribe(bus, watcherName, watcherName, "StatusNotifierHostUnregistered",
                                             watcherPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE, hostSignal, this, nullptr);

    watcherWatch = g_bus_watch_name_on_connection(
        bus, watcherName, G_BUS_NAME_WATCHER_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, gpointer data) {
            auto& core = *static_cast<Core*>(data);
            core.watcherPresent = true;
            core.tryRegister();
        },
        [](GDBusConnection*, const gchar*, gpointer data) {
            auto& core = *static_cast<Core*>(data);
            core.watcherPresent = false;
            core.registered = false;
            ++core.generation;
            core.updateShown();
        },
        this, nullptr);
}

void StatusNotifier::Core::stop()
{
    g_cancellable_cancel(cancellable.get());
    if (bus == nullptr)
        return;
    if (watcherWatch != 0)
        g_bus_unwatch_name(watcherWatch);
    if (hostRegistered != 0)
        g_dbus_connection_signal_unsubscribe(bus, hostRegistered);
    if (hostUnregistered != 0)
        g_dbus_connection_signal_unsubscribe(bus, hostUnregistered);
    // Releasing the name tells the watcher the item is gone.
    if (nameOwner != 0)
        g_bus_unown_name(nameOwner);
    if (itemObject != 0)
        g_dbus_connection_unregister_object(bus, itemObject);
    if (menuObject != 0)
        g_dbus_connection_unregister_object(bus, menuObject);
    g_dbus_connection_flush_sync(bus, nullptr, nullptr);
    bus = nullptr;
    registered = false;
    shown->store(false);
}

void StatusNotifier::Core::tryRegister()
{
    if (!nameOwned || !watcherPresent || bus == nullptr)
        return;
    const std::uint64_t attempt = ++generation;
    struct Pending {
        std::weak_ptr<Core> core;
        std::uint64_t attempt;
    };
    g_dbus_connection_call(
        bus, watcherName, watcherPath, watcherName, "RegisterStatusNotifierItem", g_variant_new("(s)", busName.c_str()),
        nullptr, G_DBUS_CALL_FLAGS_NONE, 10000, cancellable.get(),
        [](GObject* source, GAsyncResult* result, gpointer data) {
            const std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
            GError* rawError = nullptr;
            const glib::VariantPtr reply(
                g_dbus_connection_call_finish(reinterpret_cast<GDBusConnection*>(source), result, &rawError));
            const glib::ErrorPtr error(rawError);
            const std::shared_ptr<Core> core = pending->core.lock();
            if (!core || core->bus == nullptr || pending->attempt != core->generation || !reply)
                return;
            core->registered = true;
            // A watcher without a host shows nothing: ask it, and believe
            // the watcher's signals from now on.
            g_dbus_connection_call(
                core->bus, watcherName, watcherPath, "org.freedesktop.DBus.Properties", "Get",
                g_variant_new("(ss)", watcherName, "IsStatusNotifierHostRegistered"), G_VARIANT_TYPE("(v)"),
                G_DBUS_CALL_FLAGS_NONE, 10000, core->cancellable.get(),
                [](GObject* source, GAsyncResult* result, gpointer data) {
                    const std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
                    GError* rawError = nullptr;
                    const glib::VariantPtr reply(
                        g_dbus_connection_call_finish(reinterpret_cast<GDBusConnection*>(source), result, &rawError));
                    const glib::ErrorPtr error(rawError);
                    const std::shared_ptr<Core> core = pending->core.lock();
                    if (!core || core->bus == nullptr || pending->attempt != core->generation)
                        return;
                    // A watcher that cannot say is taken to have a host.
                    core->hostPresent = true;
                    if (reply) {
                        GVariant* rawValue = nullptr;
                        g_variant_get(reply.get(), "(v)", &rawValue);
                        const glib::VariantPtr value(rawValue);
                        if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_BOOLEAN))
                            core->hostPresent = g_variant_get_boolean(value.get()) != FALSE;
                    }
                    core->updateShown();
                },
                new Pending {pending->core, pending->attempt});
        },
        new Pending {weak_from_this(), attempt});
}

void StatusNotifier::Core::updateShown()
{
    const bool now = registered && watcherPresent && hostPresent;
    if (shown->exchange(now) == now)
        return;
    deliver([now](Handlers& handlers) {
        if (handlers.shownChanged)
            handlers.shownChanged(now);
    });
}

GVariant* StatusNotifier::Core::itemProperties(gint32 id, GVariant* names) const
{
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a{sv}"));
    if (id == 0) {
        if (wanted(names, "children-display"))
            g_variant_builder_add(&builder, "{sv}", "children-display", g_variant_new_string("submenu"));
        return g_variant_builder_end(&builder);
    }
    const StatusMenuEntry& entry = description.menu[static_cast<std::size_t>(id - 1)];
    if (entry.separator) {
        if (wanted(names, "type"))
            g_variant_builder_add(&builder, "{sv}", "type", g_variant_new_string("separator"));
    } else if (wanted(names, "label")) {
        g_variant_builder_add(&builder, "{sv}", "label", g_variant_new_string(entry.label.c_str()));
    }
    if (wanted(names, "enabled"))
        g_variant_builder_add(&builder, "{sv}", "enabled", g_variant_new_boolean(entry.enabled));
    if (wanted(names, "visible"))
        g_variant_builder_add(&builder, "{sv}", "visible", g_variant_new_boolean(TRUE));
    return g_variant_builder_end(&builder);
}

GVariant* StatusNotifier::Core::layoutOf(gint32 id, gint32 depth, GVariant* names) const
{
    GVariantBuilder children;
    g_variant_builder_init(&children, G_VARIANT_TYPE("av"));
    if (id == 0 && depth != 0) {
        for (std::size_t i = 1; i <= description.menu.size(); ++i)
            g_variant_builder_add(&children, "v", layoutOf(static_cast<gint32>(i), depth - 1, names));
    }
    return g_variant_new("(i@a{sv}@av)", id, itemProperties(id, names), g_variant_builder_end(&children));
}

void StatusNotifier::Core::onItemCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                                      GVariant*, GDBusMethodInvocation* invocation, gpointer data)
{
    auto& core = *static_cast<Core*>(data);
    const std::string_view name(method);
    if (name == "Activate") {
        core.deliver([](Handlers& handlers) {
            if (handlers.activate)
                handlers.activate();
        });
    } else if (name == "ContextMenu") {
        core.deliver([](Handlers& handlers) {
            if (handlers.contextMenu)
                handlers.contextMenu();
        });
    }
    // SecondaryActivate (a middle click) and Scroll mean nothing here.
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

GVariant* StatusNotifier::Core::onItemProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                               const gchar* property, GError** error, gpointer data)
{
    const auto& core = *static_cast<const Core*>(data);
    const Description& item = core.description;
    const std::string_view name(property);
    if (name == "Category")
        return g_variant_new_string(item.category.c_str());
    if (name == "Id")
        return g_variant_new_string(item.id.c_str());
    if (name == "Title")
        return g_variant_new_string(item.title.c_str());
    if (name == "Status")
        return g_variant_new_string("Active");
    if (name == "WindowId")
        return g_variant_new_int32(0);
    if (name == "IconName")
        return g_variant_new_string(item.iconName.c_str());
    if (name == "IconPixmap")
        return pixmapsVariant(item.pixmaps);
    if (name == "OverlayIconPixmap" || name == "AttentionIconPixmap")
        return pixmapsVariant({});
    if (name == "IconThemePath" || name == "OverlayIconName" || name == "AttentionIconName"
        || name == "AttentionMovieName")
        return g_variant_new_string("");
    if (name == "ToolTip") {
        return g_variant_new("(s@a(iiay)ss)", item.iconName.c_str(), pixmapsVariant({}), item.title.c_str(),
                             item.tooltip.c_str());
    }
    if (name == "ItemIsMenu")
        return g_variant_new_boolean(FALSE);
    if (name == "Menu")
        return g_variant_new_object_path(menuPath);
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "No property %s", property);
    return nullptr;
}

void StatusNotifier::Core::onMenuCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                                      GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data)
{
    auto& core = *static_cast<Core*>(data);
    const std::string_view name(method);
    const auto invalid = [&](gint32 id) {
        g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS, "No item %d", id);
    };
    if (name == "GetLayout") {
        gint32 parent = 0;
        gint32 depth = -1;
        GVariant* rawNames = nullptr;
        g_variant_get(parameters, "(ii@as)", &parent, &depth, &rawNames);
        const glib::VariantPtr names(rawNames);
        if (parent != 0 && !core.validItem(parent))
            return invalid(parent);
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(u@(ia{sv}av))", core.revision, core.layoutOf(parent, depth, names.get())));
    } else if (name == "GetGroupProperties") {
        GVariant* rawIds = nullptr;
        GVariant* rawNames = nullptr;
        g_variant_get(parameters, "(@ai@as)", &rawIds, &rawNames);
        const glib::VariantPtr ids(rawIds);
        const glib::VariantPtr names(rawNames);
        gsize count = 0;
        const auto* wantedIds
            = static_cast<const gint32*>(g_variant_get_fixed_array(ids.get(), &count, sizeof(gint32)));
        GVariantBuilder builder;
        g_variant_builder_init(&builder, G_VARIANT_TYPE("a(ia{sv})"));
        const auto add = [&](gint32 id) {
            if (id == 0 || core.validItem(id))
                g_variant_builder_add(&builder, "(i@a{sv})", id, core.itemProperties(id, names.get()));
        };
        if (count == 0) {
            for (std::size_t i = 0; i <= core.description.menu.size(); ++i)
                add(static_cast<gint32>(i));
        }
        for (gsize i = 0; i < count; ++i)
            add(wantedIds[i]);
        g_dbus_method_invocation_return_value(invocation,
                                              g_variant_new("(@a(ia{sv}))", g_variant_builder_end(&builder)));
    } else if (name == "GetProperty") {
        gint32 id = 0;
        const gchar* property = nullptr;
        g_variant_get(parameters, "(i&s)", &id, &property);
        if (id != 0 && !core.validItem(id))
            return invalid(id);
        const glib::VariantPtr everything = glib::adopt(g_variant_new_strv(nullptr, 0));
        const glib::VariantPtr all = glib::adopt(core.itemProperties(id, everything.get()));
        glib::VariantPtr value(g_variant_lookup_value(all.get(), property, nullptr));
        if (!value) {
            g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS, "No property %s",
                                                  property);
            return;
        }
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", value.get()));
    } else if (name == "Event" || name == "EventGroup") {
        GVariantBuilder errors;
        g_variant_builder_init(&errors, G_VARIANT_TYPE("ai"));
        const auto event = [&](gint32 id, const gchar* kind) {
            if (!core.validItem(id)) {
                g_variant_builder_add(&errors, "i", id);
                return;
            }
            const StatusMenuEntry& entry = core.description.menu[static_cast<std::size_t>(id - 1)];
            if (g_strcmp0(kind, "clicked") != 0 || entry.separator || !entry.enabled)
                return;
            core.deliver([index = static_cast<std::size_t>(id - 1)](Handlers& handlers) {
                if (handlers.menuClicked)
                    handlers.menuClicked(index);
            });
        };
        if (name == "Event") {
            gint32 id = 0;
            const gchar* kind = nullptr;
            GVariant* rawData = nullptr;
            guint32 timestamp = 0;
            g_variant_get(parameters, "(i&svu)", &id, &kind, &rawData, &timestamp);
            const glib::VariantPtr eventData(rawData);
            g_variant_builder_clear(&errors);
            if (!core.validItem(id))
                return invalid(id);
            event(id, kind);
            g_dbus_method_invocation_return_value(invocation, nullptr);
            return;
        }
        GVariantIter* rawEvents = nullptr;
        g_variant_get(parameters, "(a(isvu))", &rawEvents);
        gint32 id = 0;
        const gchar* kind = nullptr;
        GVariant* rawData = nullptr;
        guint32 timestamp = 0;
        while (g_variant_iter_loop(rawEvents, "(i&svu)", &id, &kind, &rawData, &timestamp))
            event(id, kind);
        g_variant_iter_free(rawEvents);
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(@ai)", g_variant_builder_end(&errors)));
    } else if (name == "AboutToShow") {
        // The labels are kept current: nothing to update before showing.
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", FALSE));
    } else if (name == "AboutToShowGroup") {
        g_dbus_method_invocation_return_value(
            invocation,
            g_variant_new("(@ai@ai)", g_variant_new_fixed_array(G_VARIANT_TYPE_INT32, nullptr, 0, 4),
                          g_variant_new_fixed_array(G_VARIANT_TYPE_INT32, nullptr, 0, 4)));
    } else {
        g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD, "No method %s",
                                              method);
    }
}

GVariant* StatusNotifier::Core::onMenuProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                               const gchar* property, GError** error, gpointer)
{
    const std::string_view name(property);
    if (name == "Version")
        return g_variant_new_uint32(3);
    if (name == "TextDirection")
        return g_variant_new_string("ltr");
    if (name == "Status")
        return g_variant_new_string("normal");
    if (name == "IconThemePath")
        return g_variant_new_strv(nullptr, 0);
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "No property %s", property);
    return nullptr;
}

StatusNotifier::StatusNotifier(SessionBus& bus, Description description, UiPost post, Handlers handlers)
    : m_bus(bus)
    , m_handlers(std::make_shared<Handlers>(std::move(handlers)))
    , m_core(std::make_shared<Core>())
{
    m_core->description = std::move(description);
    m_core->shown = m_shown;
    // Handlers run on the user-interface thread, only while this notifier lives there.
    m_core->deliver
        = [post = std::move(post), weak = std::weak_ptr<Handlers>(m_handlers)](std::function<void(Handlers&)> call) {
              post([weak, call = std::move(call)] {
                  if (const std::shared_ptr<Handlers> handlers = weak.lock())
                      call(*handlers);
              });
          };
    m_bus.run([core = m_core] { core->start(); });
}

StatusNotifier::~StatusNotifier()
{
    m_handlers.reset();
    m_bus.runAndWait([core = m_core] { core->stop(); });
}

void StatusNotifier::setMenuLabel(std::size_t index, std::string label)
{
    m_bus.run([core = m_core, index, label = std::move(label)] {
        if (index >= core->description.menu.size() || core->description.menu[index].label == label)
            return;
        core->description.menu[index].label = label;
        ++core->revision;
        if (core->bus == nullptr)
            return;
        GVariantBuilder properties;
        g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&properties, "{sv}", "label", g_variant_new_string(label.c_str()));
        GVariantBuilder updated;
        g_variant_builder_init(&updated, G_VARIANT_TYPE("a(ia{sv})"));
        g_variant_builder_add(&updated, "(i@a{sv})", static_cast<gint32>(index + 1),
                              g_variant_builder_end(&properties));
        g_dbus_connection_emit_signal(core->bus, nullptr, menuPath, menuInterface, "ItemsPropertiesUpdated",
                                      g_variant_new("(@a(ia{sv})@a(ias))", g_variant_builder_end(&updated),
                                                    g_variant_new_array(G_VARIANT_TYPE("(ias)"), nullptr, 0)),
                                      nullptr);
        g_dbus_connection_emit_signal(core->bus, nullptr, menuPath, menuInterface, "LayoutUpdated",
                                      g_variant_new("(ui)", core->revision, 0), nullptr);
    });
}

}  // namespace quorvo::platform
