#pragma once

#include "app/commands/InstanceClient.h"
#include "app/commands/InstanceProtocol.h"

#include <QList>
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

namespace stowline {

// One running instance per user session, found through a local socket named after the application identifier.
// The first start listens; later starts connect, send one request and print the reply. The listening side never
// blocks its thread: requests are read and answered through the event loop.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // Answers a request once; may be called later (after work on another thread) or never, if the asker went away.
    using Responder = std::function<void(const InstanceReply&)>;
    using Handler = std::function<void(const InstanceRequest&, const Responder&)>;

    enum class Claim { primary, alreadyRunning, failed };

    // A connection that sends no full request within this time is dropped, as is one whose answer is not taken
    // within it.
    static constexpr int requestTimeoutMilliseconds = 5'000;
    // At most this many connections are open at once; a new one pushes out the oldest that has not sent its
    // request yet, so idle connections can neither use up the descriptors nor lock out a real request.
    static constexpr int maxConnections = 32;
    // How often the server checks that it still listens (it stops when accepting fails), to listen again.
    static constexpr int listenCheckMilliseconds = 1'000;

    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    const QString& socketPath() const { return m_socketPath; }

    // Starts listening unless another instance answers on the socket. A socket file left behind by an instance
    // that crashed is removed. Starts that race are serialised with a lock file beside the socket.
    Claim claim();
    bool isListening() const { return m_server.isListening(); }

    void setHandler(Handler handler) { m_handler = std::move(handler); }

private:
    struct Connection {
        QPointer<QLocalSocket> socket;
        bool reading = true;
    };

    void accept();
    void serve(QLocalSocket* socket);
    bool listen();
    // Listens again after the server stopped, unless another instance answers there by now.
    void keepListening();

    QString m_socketPath;
    QLocalServer m_server;
    Handler m_handler;
    QList<Connection> m_connections;
    QTimer m_listenCheck;
};

} // namespace stowline
