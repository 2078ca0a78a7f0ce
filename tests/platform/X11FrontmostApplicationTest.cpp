#include "app/platform/x11/X11FrontmostApplication.h"

#include "tests/platform/TestWindow.h"
#include "tests/platform/XClients.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

// Desktop entries are installed for the duration of a test into the session's XDG data folder (a temporary one,
// see scripts/with-desktop-session.sh), which GIO reads once per process.
class X11FrontmostApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_applications = QFile::decodeName(qgetenv("XDG_DATA_HOME")) + u"/applications"_s;
        ASSERT_TRUE(qEnvironmentVariableIsSet("XDG_DATA_HOME") && QDir().mkpath(m_applications));
    }
    void TearDown() override {
        for (const QString& path : m_installed)
            QFile::remove(path);
    }

    // GIO counts an entry as installed only when its Exec program is found: the entries run `true`.
    void installEntry(const QString& desktopId, const QByteArray& contents) {
        QFile file(m_applications + u'/' + desktopId + u".desktop"_s);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        m_installed.append(file.fileName());
    }

    std::optional<RunningApplication> frontmostOnceActive(const TestWindow& window) {
        EXPECT_TRUE(window.activate());
        std::optional<RunningApplication> found;
        waitUntil([&] {
            found = m_frontmost.frontmost();
            return found && found->window == window.id();
        });
        return found;
    }

    X11FrontmostApplication m_frontmost;
    QString m_applications;
    QStringList m_installed;
};

} // namespace

TEST_F(X11FrontmostApplicationTest, NamesTheActiveWindowsApplication) {
    installEntry(u"org.example.Sketch"_s, "[Desktop Entry]\nType=Application\nName=Sketch Pad\nExec=true\n");
    installEntry(u"org.example.Paint"_s, "[Desktop Entry]\nType=Application\nName=Paint Shop\nExec=true\n"
                                         "[Desktop Action new]\nName=Other\n");
    installEntry(u"scribble"_s, "[Desktop Entry]\nType=Application\nName=Scribble Notes\nExec=true\n");
    // As KeePassXC: its windows say "keepassxc", its entry is named otherwise and declares the class.
    installEntry(u"org.example.Vault"_s, "[Desktop Entry]\nType=Application\nName=Vault\nName[de]=Tresor\n"
                                         "Exec=true\nStartupWMClass=vault-window\n");
    const auto ownPid = static_cast<quint32>(::getpid());
    const QString ownProcessName = QCoreApplication::applicationName().left(15);

    struct Case {
        const char* label;
        TestWindow::Properties properties;
        std::optional<QString> identifier;
        std::optional<QString> name;
    };
    const QList<Case> cases{
        {"GTK application id with an entry",
         {"sketch", "Sketch", "org.example.Sketch", {}, ownPid},
         u"org.example.Sketch"_s,
         u"Sketch Pad"_s},
        {"KDE desktop file as a path",
         {"paint", "Paint", {}, "/usr/share/applications/org.example.Paint.desktop", {}},
         u"org.example.Paint"_s,
         u"Paint Shop"_s},
        {"WM_CLASS naming an entry", {"scribble", "Scribble", {}, {}, {}}, u"scribble"_s, u"Scribble Notes"_s},
        {"WM_CLASS declared by an entry's StartupWMClass",
         {"vault-window", "Vault-window", {}, {}, {}},
         u"org.example.Vault"_s,
         u"Vault"_s},
        {"WM_CLASS without an entry", {"xterm-like", "XTermLike", {}, {}, {}}, u"xterm-like"_s, u"XTermLike"_s},
        {"GTK id without an entry",
         {"tool", "Tool", "org.example.Unknown", {}, {}},
         u"org.example.Unknown"_s,
         u"Tool"_s},
        {"only a process id", {{}, {}, {}, {}, ownPid}, std::nullopt, ownProcessName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const TestWindow window(c.properties);
        const std::optional<RunningApplication> application = frontmostOnceActive(window);
        ASSERT_TRUE(application.has_value());
        EXPECT_EQ(application->window, window.id());
        EXPECT_EQ(application->bundleIdentifier, c.identifier);
        EXPECT_EQ(application->localizedName, c.name);
        EXPECT_EQ(application->processIdentifier,
                  c.properties.pid ? std::optional<qint64>(*c.properties.pid) : std::nullopt);
    }

    // Names are in the user's language.
    const std::optional<QByteArray> language =
        qEnvironmentVariableIsSet("LANGUAGE") ? std::optional(qgetenv("LANGUAGE")) : std::nullopt;
    qputenv("LANGUAGE", "de");
    const TestWindow vault({"vault-window", "Vault-window", {}, {}, {}});
    const std::optional<RunningApplication> german = frontmostOnceActive(vault);
    if (language)
        qputenv("LANGUAGE", *language);
    else
        qunsetenv("LANGUAGE");
    ASSERT_TRUE(german.has_value());
    EXPECT_EQ(german->localizedName, u"Tresor"_s);
}

TEST_F(X11FrontmostApplicationTest, ReactivatesARememberedWindowUntilItIsGone) {
    TestWindow first({"first", "First", {}, {}, {}});
    const TestWindow second({"second", "Second", {}, {}, {}});
    const std::optional<RunningApplication> remembered = frontmostOnceActive(first);
    ASSERT_TRUE(remembered.has_value());
    ASSERT_TRUE(frontmostOnceActive(second).has_value());

    EXPECT_TRUE(m_frontmost.activate(*remembered));
    EXPECT_TRUE(waitUntil([&] {
        const auto current = m_frontmost.frontmost();
        return current && current->window == first.id();
    }));
    EXPECT_FALSE(m_frontmost.isTerminated(*remembered));

    first.destroy();
    EXPECT_TRUE(m_frontmost.isTerminated(*remembered));
    EXPECT_FALSE(m_frontmost.activate(*remembered));
    EXPECT_FALSE(m_frontmost.isTerminated(*frontmostOnceActive(second)));
}

TEST_F(X11FrontmostApplicationTest, AnActiveWindowPropertyNamingAnUnmappedWindowIsNoApplication) {
    const TestWindow shown({"shown", "Shown", {}, {}, {}});
    ASSERT_TRUE(frontmostOnceActive(shown).has_value());
    // As after the focused window's client quit and another client's hidden window took over its id.
    const TestWindow hidden({"hidden", "Hidden", {}, {}, {}, false});
    hidden.claimActiveWindowProperty();
    EXPECT_FALSE(m_frontmost.frontmost().has_value());

    shown.claimActiveWindowProperty();
    const std::optional<RunningApplication> back = m_frontmost.frontmost();
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->window, shown.id());
}
