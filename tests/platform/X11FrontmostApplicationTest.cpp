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

// Desktop entries live in a temporary XDG data folder for the duration of a test.
class X11FrontmostApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dataHome.isValid());
        m_previousDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
        ASSERT_TRUE(QDir(m_dataHome.path()).mkpath(u"applications"_s));
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_previousDataHome); }

    void installEntry(const QString& desktopId, const QByteArray& contents) {
        QFile file(m_dataHome.filePath(u"applications/"_s + desktopId + u".desktop"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
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
    QTemporaryDir m_dataHome;
    QByteArray m_previousDataHome;
};

} // namespace

TEST_F(X11FrontmostApplicationTest, NamesTheActiveWindowsApplication) {
    installEntry(u"org.example.Sketch"_s, "[Desktop Entry]\nType=Application\nName=Sketch Pad\nExec=sketch\n");
    installEntry(u"org.example.Paint"_s, "[Desktop Entry]\nName=Paint Shop\n[Desktop Action new]\nName=Other\n");
    installEntry(u"scribble"_s, "[Desktop Entry]\nName=Scribble Notes\n");
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
