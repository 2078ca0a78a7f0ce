#pragma once

#include "app/instance/InstanceProtocol.h"
#include "core/support/Result.h"

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <functional>

namespace stowline {

// Why a request could not reach the running instance or got no usable answer.
enum class InstanceClientError {
    notRunning,     // nobody listens on the socket
    timedOut,       // the instance did not answer in time
    malformedReply, // the answer was not a reply of this protocol
    failed,         // the connection broke
};

// One sentence for the user.
QString describe(InstanceClientError error);

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

    // A connection that sends no full request within this time is dropped.
    static constexpr int requestTimeoutMilliseconds = 5'000;

    // $XDG_RUNTIME_DIR/org.stowline.Stowline.socket; without a runtime folder, one in the temporary folder named
    // with the user id, so sessions of different users never meet.
    static QString defaultSocketPath();

    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    const QString& socketPath() const { return m_socketPath; }

    // Starts listening unless another instance answers on the socket. A socket file left behind by an instance
    // that crashed is removed. Starts that race are serialised with a lock file beside the socket.
    Claim claim();
    bool isListening() const { return m_server.isListening(); }

    void setHandler(Handler handler) { m_handler = std::move(handler); }

    // The client side: one request, waiting at most `timeoutMilliseconds` for the whole exchange.
    static Result<InstanceReply, InstanceClientError> send(const QString& socketPath, const InstanceRequest& request,
                                                           int timeoutMilliseconds);

private:
    void accept();
    bool listen();

    QString m_socketPath;
    QLocalServer m_server;
    Handler m_handler;
};

} // namespace stowline
