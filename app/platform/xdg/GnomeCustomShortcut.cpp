#include "app/platform/xdg/GnomeCustomShortcut.h"

#include <gio/gio.h>

#include <memory>

namespace stowline::GnomeCustomShortcut {

namespace {

constexpr const char* listSchema = "org.gnome.settings-daemon.plugins.media-keys";
constexpr const char* entrySchema = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
constexpr const char* entryPath = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/stowline/";

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Settings = std::unique_ptr<GSettings, Unref>;

bool hasSchema(const char* id) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, id, TRUE) : nullptr;
    if (schema == nullptr)
        return false;
    g_settings_schema_unref(schema);
    return true;
}

} // namespace

bool isAvailable() {
    // GSettings aborts the process on a schema it does not know, so each is looked up first.
    return hasSchema(listSchema) && hasSchema(entrySchema);
}

bool create(const QString& command, const QString& binding) {
    if (!isAvailable())
        return false;
    const Settings entry(g_settings_new_with_path(entrySchema, entryPath));
    g_settings_set_string(entry.get(), "name", "Stowline");
    g_settings_set_string(entry.get(), "command", command.toUtf8().constData());
    g_settings_set_string(entry.get(), "binding", binding.toUtf8().constData());

    const Settings list(g_settings_new(listSchema));
    gchar** paths = g_settings_get_strv(list.get(), "custom-keybindings");
    const bool listed = g_strv_contains(paths, entryPath);
    if (!listed) {
        GStrvBuilder* builder = g_strv_builder_new();
        g_strv_builder_addv(builder, const_cast<const char**>(paths));
        g_strv_builder_add(builder, entryPath);
        gchar** extended = g_strv_builder_end(builder);
        g_strv_builder_unref(builder);
        g_settings_set_strv(list.get(), "custom-keybindings", extended);
        g_strfreev(extended);
    }
    g_strfreev(paths);
    g_settings_sync();
    return true;
}

} // namespace stowline::GnomeCustomShortcut
