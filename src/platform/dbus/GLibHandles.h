#pragma once

// Owning handles for the GLib and GIO objects the bus code keeps: each is
// released the way its kind must be, exactly once.

#include <gio/gio.h>

#include <memory>

namespace quorvo::platform::glib {

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using ObjectPtr = std::unique_ptr<T, ObjectUnref>;

struct VariantUnref {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
using VariantPtr = std::unique_ptr<GVariant, VariantUnref>;

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

struct NodeInfoUnref {
    void operator()(GDBusNodeInfo* info) const { g_dbus_node_info_unref(info); }
};
using NodeInfoPtr = std::unique_ptr<GDBusNodeInfo, NodeInfoUnref>;

struct ContextUnref {
    void operator()(GMainContext* context) const { g_main_context_unref(context); }
};
using ContextPtr = std::unique_ptr<GMainContext, ContextUnref>;

struct MainLoopUnref {
    void operator()(GMainLoop* loop) const { g_main_loop_unref(loop); }
};
using MainLoopPtr = std::unique_ptr<GMainLoop, MainLoopUnref>;

struct MemoryFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
using StringPtr = std::unique_ptr<gchar, MemoryFree>;

// Takes a reference that came back floating or full (g_variant_ref_sink).
inline VariantPtr adopt(GVariant* variant)
{
    return VariantPtr(variant ? g_variant_ref_sink(variant) : nullptr);
}

}  // namespace quorvo::platform::glib
