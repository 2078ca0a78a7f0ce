#include "app/instance/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <future>

#include <sys/stat.h>
#include <unistd.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

// The other side runs on its own thread, as it would in its own process, while this thread's event loop serves the
// instance.
template <typename T>
T served(std::future<T> future) {
    while (future.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
        QCoreApplication::processEvents();
    return future.get();
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    Result<InstanceReply, InstanceClientError> ask(const InstanceRequest& request, int timeoutMs = 5000) {
        return served(std::async(std::launch::async, [path = socketPath(), request, timeoutMs] {
            return InstanceClient::send(path, request, timeoutMs);
        }));
    }

    QString socketPath() const { return dir.filePath(u"instance.socket"_s); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(SingleInstanceTest, TheFirstClaimListensAndAnswersRequests) {
    SingleInstance first(socketPath());
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    QList<InstanceRequest> received;
    first.setHandler([&](const InstanceRequest& request, const SingleInstance::Responder& respond) {
        received << request;
        respond({request.command == InstanceCommand::quit ? 0 : 4, request.arguments.join(u',')});
    });

    const auto reply = ask({InstanceCommand::toggle, {u"x"_s, u"y"_s}});
    ASSERT_TRUE(reply.ok());
    EXPECT_EQ(reply->status, 4);
    EXPECT_EQ(reply->output, u"x,y"_s);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.first().command, InstanceCommand::toggle);

    // A second claim while it runs finds it.
    SingleInstance second(socketPath());
    EXPECT_EQ(served(std::async(std::launch::async, [&] { return second.claim(); })),
              SingleInstance::Claim::alreadyRunning);
    EXPECT_FALSE(second.isListening());
}

TEST_F(SingleInstanceTest, TheReplyMayComeAfterTheHandlerReturned) {
    SingleInstance instance(socketPath());
    ASSERT_EQ(instance.claim(), SingleInstance::Claim::primary);
    instance.setHandler([&](const InstanceRequest&, const SingleInstance::Responder& respond) {
        QTimer::singleShot(50, &instance, [respond] { respond({0, u"done"_s}); });
    });
    const auto reply = ask({InstanceCommand::quit, {}});
    ASSERT_TRUE(reply.ok());
    EXPECT_EQ(reply->output, u"done"_s);
}

TEST_F(SingleInstanceTest, NobodyListeningIsNotRunningAndAStaleSocketIsReplaced) {
    EXPECT_EQ(InstanceClient::send(socketPath(), {InstanceCommand::status, {}}, 1000).error(),
              InstanceClientError::notRunning);

    // A socket file whose listener is gone, as an instance that crashed leaves it.
    {
        QLocalServer crashed;
        ASSERT_TRUE(crashed.listen(socketPath()));
        QFile::rename(socketPath(), socketPath() + u".kept"_s);
        crashed.close();
        QFile::rename(socketPath() + u".kept"_s, socketPath());
    }
    ASSERT_TRUE(QFileInfo::exists(socketPath()));
    EXPECT_EQ(InstanceClient::send(socketPath(), {InstanceCommand::status, {}}, 1000).error(),
              InstanceClientError::notRunning);

    SingleInstance instance(socketPath());
    ASSERT_EQ(instance.claim(), SingleInstance::Claim::primary);
    instance.setHandler([](const InstanceRequest&, const SingleInstance::Responder& respond) { respond({0, {}}); });
    EXPECT_TRUE(ask({InstanceCommand::status, {}}).ok());
}

TEST_F(SingleInstanceTest, AClaimNeverRemovesTheSocketOfALiveButSlowInstance) {
    // Accepts connections but never answers.
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(socketPath()));
    SingleInstance instance(socketPath());
    EXPECT_EQ(served(std::async(std::launch::async, [&] { return instance.claim(); })),
              SingleInstance::Claim::alreadyRunning);
    EXPECT_TRUE(QFileInfo::exists(socketPath()));
    EXPECT_EQ(ask({InstanceCommand::status, {}}, 300).error(), InstanceClientError::timedOut);
}

TEST_F(SingleInstanceTest, GarbageGetsAnErrorReplyAndASilentClientIsDropped) {
    SingleInstance instance(socketPath());
    ASSERT_EQ(instance.claim(), SingleInstance::Claim::primary);
    int handled = 0;
    instance.setHandler([&](const InstanceRequest&, const SingleInstance::Responder& respond) {
        ++handled;
        respond({0, {}});
    });

    const QByteArray answer = served(std::async(std::launch::async, [path = socketPath()] {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (!socket.waitForConnected(2000))
            return QByteArray();
        socket.write("{\"version\":1,\"command\":\"format-disk\",\"arguments\":[]}\n");
        socket.waitForBytesWritten(2000);
        QByteArray received;
        while (!received.contains('\n') && socket.waitForReadyRead(2000))
            received += socket.readAll();
        return received;
    }));
    const std::optional<InstanceReply> reply = InstanceReply::decode(answer);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 2);
    EXPECT_EQ(handled, 0);

    // The instance stays responsive while a client that never sends a line holds its connection.
    QLocalSocket idle;
    idle.connectToServer(socketPath());
    ASSERT_TRUE(idle.waitForConnected(2000));
    EXPECT_TRUE(ask({InstanceCommand::show, {}}).ok());
    EXPECT_EQ(handled, 1);
}

TEST_F(SingleInstanceTest, TheDefaultSocketLivesOnlyInAPrivateFolder) {
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedTemp = qgetenv("TMPDIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    EXPECT_EQ(*InstanceClient::defaultSocketPath(), dir.filePath(u"org.stowline.Stowline.socket"_s));

    // A runtime folder others may enter is not used; the fallback in the temporary folder is made private.
    const QString temp = dir.filePath(u"tmp"_s);
    ASSERT_TRUE(QDir().mkpath(temp));
    qputenv("TMPDIR", QFile::encodeName(temp));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString fallbackFolder = temp + u"/org.stowline.Stowline-"_s + QString::number(::geteuid());
    EXPECT_EQ(*InstanceClient::defaultSocketPath(), fallbackFolder + u"/org.stowline.Stowline.socket"_s);
    EXPECT_TRUE(InstanceClient::isPrivateFolder(fallbackFolder));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0700), 0);

    // A fallback that was widened is narrowed again; one that is a link is refused.
    qputenv("XDG_RUNTIME_DIR", QByteArray());
    ASSERT_EQ(::chmod(QFile::encodeName(fallbackFolder).constData(), 0755), 0);
    EXPECT_TRUE(InstanceClient::defaultSocketPath().ok());
    EXPECT_TRUE(InstanceClient::isPrivateFolder(fallbackFolder));
    ASSERT_TRUE(QDir(fallbackFolder).removeRecursively());
    ASSERT_TRUE(QFile::link(dir.path(), fallbackFolder));
    const auto linked = InstanceClient::defaultSocketPath();
    ASSERT_FALSE(linked.ok());
    EXPECT_TRUE(linked.error().contains(u"is a symbolic link"));

    if (savedTemp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTemp);
    if (saved.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", saved);
}
