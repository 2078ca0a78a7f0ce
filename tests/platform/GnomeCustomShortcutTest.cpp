#include "app/platform/xdg/GnomeCustomShortcut.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gio/gio.h>
#include <gtest/gtest.h>

using namespace stowline;

namespace {

// The two schemas GNOME's settings daemon installs, as far as the shortcut uses them, compiled into a folder of
// the test's own; the settings live in memory.
const char* const schemas = R"(<schemalist>
  <schema id="org.gnome.settings-daemon.plugins.media-keys" path="/org/gnome/settings-daemon/plugins/media-keys/">
    <key name="custom-keybindings" type="as"><default>[]</default></key>
  </schema>
  <schema id="org.gnome.settings-daemon.plugins.media-keys.custom-keybinding">
    <key name="name" type="s"><default>''</default></key>
    <key name="command" type="s"><default>''</default></key>
    <key name="binding" type="s"><default>''</default></key>
  </schema>
</schemalist>)";

QString stringAt(const char* schema, const char* path, const char* key) {
    GSettings* settings = g_settings_new_with_path(schema, path);
    gchar* value = g_settings_get_string(settings, key);
    const QString text = QString::fromUtf8(value);
    g_free(value);
    g_object_unref(settings);
    return text;
}

} // namespace

// One process per test: the schema folder is read once, at the first settings object.
TEST(GnomeCustomShortcut, AddsItsEntryOnceAndKeepsTheUsersOwn) {
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("stowline-test.gschema.xml")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(schemas) > 0);
    file.close();
    ASSERT_EQ(QProcess::execute(QStringLiteral("glib-compile-schemas"), {folder.path()}), 0);
    qputenv("GSETTINGS_SCHEMA_DIR", QFile::encodeName(folder.path()));
    qputenv("GSETTINGS_BACKEND", "memory");
    ASSERT_TRUE(GnomeCustomShortcut::isAvailable());

    const char* const list = "org.gnome.settings-daemon.plugins.media-keys";
    const char* const users = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/";
    GSettings* keys = g_settings_new(list);
    const gchar* existing[] = {users, nullptr};
    g_settings_set_strv(keys, "custom-keybindings", existing);

    for (int time = 0; time < 2; ++time)
        ASSERT_TRUE(GnomeCustomShortcut::create(QStringLiteral("stowline toggle"), QStringLiteral("<Shift><Super>v")));
    gchar** paths = g_settings_get_strv(keys, "custom-keybindings");
    const char* const ours = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/stowline/";
    EXPECT_EQ(g_strv_length(paths), 2U);
    EXPECT_STREQ(paths[0], users);
    EXPECT_STREQ(paths[1], ours);
    g_strfreev(paths);
    g_object_unref(keys);
    const char* const entry = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
    EXPECT_EQ(stringAt(entry, ours, "command"), QStringLiteral("stowline toggle"));
    EXPECT_EQ(stringAt(entry, ours, "binding"), QStringLiteral("<Shift><Super>v"));
    EXPECT_EQ(stringAt(entry, ours, "name"), QStringLiteral("Stowline"));
}
