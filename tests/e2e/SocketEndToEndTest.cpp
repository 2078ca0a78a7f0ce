#include "tests/e2e/StowlineProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <vector>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

// A connection that sends nothing; -1 when nobody listens.
int idleConnection(const QString& path) {
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(),
                size_t(std::min<qsizetype>(name.size(), sizeof address.sun_path - 1)));
    if (descriptor >= 0 && ::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return descriptor;
    if (descriptor >= 0)
        ::close(descriptor);
    return -1;
}

// The descriptor limit of processes started from here, as desktop sessions set it; restored after.
class DescriptorLimit {
public:
    explicit DescriptorLimit(rlim_t soft) {
        ::getrlimit(RLIMIT_NOFILE, &m_previous);
        const rlimit lowered{std::min(soft, m_previous.rlim_max), m_previous.rlim_max};
        ::setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &m_previous); }
    rlim_t hard() const { return m_previous.rlim_max; }

private:
    rlimit m_previous{};
};

// A second user of this machine, made for the test.
std::optional<passwd> otherUser() {
    const QString name = u"stowline-squatter"_s;
    QProcess::execute(u"useradd"_s, {u"--system"_s, u"--no-create-home"_s, u"--shell"_s, u"/usr/sbin/nologin"_s, name});
    const passwd* entry = ::getpwnam(name.toLocal8Bit().constData());
    return entry ? std::optional(*entry) : std::nullopt;
}

QStringList asUser(const passwd& user, const QStringList& command) {
    return QStringList{u"--reuid=%1"_s.arg(user.pw_uid), u"--regid=%1"_s.arg(user.pw_gid), u"--clear-groups"_s} +
           command;
}

// Listens on `path` as `user` and writes whatever it is sent into `log`, as a program squatting Stowline's socket
// would.
class Impostor {
public:
    Impostor(const passwd& user, const QString& path, const QString& log) {
        m_process.start(u"setpriv"_s, asUser(user, {u"/usr/bin/python3"_s, u"-c"_s,
                                                    u"import socket, sys\n"
                                                    u"s = socket.socket(socket.AF_UNIX)\n"
                                                    u"s.bind(sys.argv[1])\n"
                                                    u"s.listen(8)\n"
                                                    u"log = open(sys.argv[2], 'ab', buffering=0)\n"
                                                    u"while True:\n"
                                                    u"    c, _ = s.accept()\n"
                                                    u"    c.settimeout(2)\n"
                                                    u"    try:\n"
                                                    u"        log.write(c.recv(65536))\n"
                                                    u"        c.sendall(b'0 \\n')\n"
                                                    u"    except OSError:\n"
                                                    u"        pass\n"
                                                    u"    c.close()\n"_s,
                                                    path, log}));
    }
    ~Impostor() {
        m_process.kill();
        m_process.waitForFinished(2000);
    }

private:
    QProcess m_process;
};

} // namespace

TEST(SocketEndToEnd, AFloodOfIdleConnectionsLeavesTheInstanceAnswering) {
    std::optional<StowlineProcess> stowline;
    StowlineHome home;
    {
        const DescriptorLimit desktopLimit(1024);
        if (desktopLimit.hard() < 1300)
            GTEST_SKIP() << "this session allows only " << desktopLimit.hard() << " descriptors, too few for the flood";
        stowline.emplace(home);
        ASSERT_TRUE(stowline->startInBackground());
    }
    const QString pid = stowline->statusValue(u"pid"_s);

    // More idle connections than the instance has descriptors.
    std::vector<int> flood;
    for (int i = 0; i < 1100; ++i) {
        const int descriptor = idleConnection(home.socketPath());
        if (descriptor < 0)
            break;
        flood.push_back(descriptor);
    }
    EXPECT_EQ(flood.size(), 1100u);
    const auto status = stowline->status();
    for (const int descriptor : flood)
        ::close(descriptor);
    ASSERT_TRUE(status) << "the instance stopped answering after the flood";
    EXPECT_EQ(status->value(u"pid"_s), pid);
    EXPECT_TRUE(QFileInfo::exists(home.socketPath()));
    // A later start finds it and does not become a second instance.
    const Finished second = stowline->run({u"--background"_s});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.output.contains(u"already running"));
}

TEST(SocketEndToEnd, AnotherUsersSocketFolderOrSocketIsNeverTalkedTo) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make the second user (useradd) this test squats with";
    const std::optional<passwd> squatter = otherUser();
    ASSERT_TRUE(squatter) << "useradd could not make a second user";

    // A shared temporary folder as /tmp is: anyone may create names in it.
    QTemporaryDir shared;
    ASSERT_TRUE(shared.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
    const QString log = shared.filePath(u"heard"_s);
    QFile(log).open(QIODevice::WriteOnly);
    ASSERT_EQ(::chown(QFile::encodeName(log).constData(), squatter->pw_uid, squatter->pw_gid), 0);
    const auto heard = [&log] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    struct Case {
        const char* name;
        // Without a runtime folder the socket falls back to the shared folder, which the squatter took first.
        bool withoutRuntimeFolder;
        const char16_t* refusal;
    };
    const Case cases[] = {
        {"squatted fallback folder", true, u"belongs to another user"},
        {"another user's socket in the runtime folder", false, u"belongs to another user"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StowlineHome home;
        QProcessEnvironment environment = home.environment();
        environment.insert(u"TMPDIR"_s, shared.path());
        QString socketPath = home.socketPath();
        if (c.withoutRuntimeFolder) {
            environment.remove(u"XDG_RUNTIME_DIR"_s);
            const QString folder = shared.filePath(u"org.stowline.Stowline-%1"_s.arg(::geteuid()));
            ASSERT_EQ(QProcess::execute(u"setpriv"_s, asUser(*squatter, {u"mkdir"_s, u"-m"_s, u"0700"_s, folder})), 0);
            socketPath = folder + u"/org.stowline.Stowline.socket"_s;
        }
        // The squatter listens in the shared folder; the socket is then moved to where Stowline looks.
        const QString bound = shared.filePath(u"impostor.socket"_s);
        Impostor impostor(*squatter, bound, log);
        ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(bound); }));
        ASSERT_EQ(::rename(QFile::encodeName(bound).constData(), QFile::encodeName(socketPath).constData()), 0);

        for (const QStringList& arguments :
             {QStringList{u"list"_s}, QStringList{u"search"_s, u"bank"_s, u"pin"_s, u"4711"_s},
              QStringList{u"--background"_s}}) {
            SCOPED_TRACE(arguments.join(u' ').toStdString());
            QProcess process;
            process.setProcessEnvironment(environment);
            process.start(stowlineExecutable(), arguments);
            ASSERT_TRUE(process.waitForStarted(5000));
            ASSERT_TRUE(waitUntil([&] { return process.state() == QProcess::NotRunning; }, 20000));
            const QString errors = QString::fromUtf8(process.readAllStandardError());
            EXPECT_EQ(process.exitCode(), 1);
            EXPECT_TRUE(errors.contains(QString::fromUtf16(c.refusal))) << errors.toStdString();
            EXPECT_FALSE(QString::fromUtf8(process.readAllStandardOutput()).contains(u"already running"));
        }
        EXPECT_TRUE(heard().isEmpty()) << "the squatter heard: " << heard().toStdString();
        QFile::remove(socketPath);
    }
}
