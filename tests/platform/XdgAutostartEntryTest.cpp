#include "app/platform/xdg/XdgAutostartEntry.h"
#include "core/policy/LoginStartupPolicy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <gio/gdesktopappinfo.h>
#include <sys/wait.h>

#include <memory>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

struct GObjectDeleter {
    void operator()(gpointer object) const { g_object_unref(object); }
};

void rememberPid(GDesktopAppInfo*, GPid pid, gpointer data) {
    *static_cast<GPid*>(data) = pid;
}

// Starts the entry as a desktop launcher does and returns the arguments the program received.
QStringList launch(const QString& entryPath, const QString& outputPath) {
    std::unique_ptr<GDesktopAppInfo, GObjectDeleter> info(
        g_desktop_app_info_new_from_filename(QFile::encodeName(entryPath).constData()));
    EXPECT_TRUE(info) << "GLib cannot read the entry";
    if (!info)
        return {};
    GPid pid = 0;
    GError* error = nullptr;
    const bool started = g_desktop_app_info_launch_uris_as_manager(
        info.get(), nullptr, nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, rememberPid, &pid, &error);
    EXPECT_TRUE(started) << (error ? error->message : "");
    if (error)
        g_error_free(error);
    if (!started)
        return {};
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QFile output(outputPath);
    EXPECT_TRUE(output.open(QIODevice::ReadOnly));
    QStringList arguments = QString::fromUtf8(output.readAll()).split(QChar(0));
    arguments.removeLast(); // after the last terminator
    return arguments;
}

} // namespace

TEST(XdgAutostartEntry, ADesktopLauncherStartsAwkwardPathsWithBackground) {
    const QString folders[] = {
        u"My Apps"_s,     u"it's \"here\""_s,          u"back\\slash"_s,
        u"100% %f %%u"_s, u"$HOME `id` ;|&<>*?#()~"_s, u"a=b 100%"_s,
    };
    QTemporaryDir root;
    const QString outputPath = root.filePath(u"arguments"_s);
    XdgAutostartEntry entry(root.filePath(u"config"_s));
    for (const QString& folder : folders) {
        SCOPED_TRACE(folder.toStdString());
        const QString program = root.filePath(folder) + u"/stow line"_s;
        ASSERT_TRUE(QDir().mkpath(root.filePath(folder)));
        QFile script(program);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\0' \"$0\" \"$@\" > \"" + outputPath.toUtf8() + "\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        ASSERT_TRUE(entry.install(LoginStartupPolicy::programArguments(program)).ok());
        EXPECT_EQ(launch(entry.location(), outputPath), QStringList({program, u"--background"_s}));
        QFile::remove(outputPath);
    }
}
