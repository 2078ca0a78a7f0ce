#include "tests/e2e/StowlineProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

namespace stowline::test {

// A session that copied the executables where its user can reach them names that folder.
QString stowlineExecutable() {
    const QString copied = qEnvironmentVariable("STOWLINE_TEST_BIN");
    return copied.isEmpty() ? QStringLiteral(STOWLINE_EXECUTABLE) : copied + QStringLiteral("/stowline");
}

StowlineHome::StowlineHome() {
    for (const QString& folder : {dataHome(), configHome(), runtimeDir()})
        QDir().mkpath(folder);
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString StowlineHome::socketPath() const {
    return QDir(runtimeDir()).filePath(QStringLiteral("org.stowline.Stowline.socket"));
}

QString StowlineHome::archivePath() const {
    return QDir(dataHome()).filePath(QStringLiteral("org.stowline.Stowline/history-local.stwl"));
}

QString StowlineHome::keyPath() const {
    return QDir(dataHome()).filePath(QStringLiteral("org.stowline.Stowline/Local Protection/archive.key"));
}

QString StowlineHome::preferencesPath() const {
    return QDir(configHome()).filePath(QStringLiteral("org.stowline.Stowline/Stowline.conf"));
}

QProcessEnvironment StowlineHome::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
    // A Wayland session keeps the platform it chose; its socket is named from the session's runtime folder.
    const QString waylandDisplay = environment.value(QStringLiteral("WAYLAND_DISPLAY"));
    if (waylandDisplay.isEmpty())
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    else if (!waylandDisplay.startsWith(u'/'))
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"),
                           qEnvironmentVariable("XDG_RUNTIME_DIR") + u'/' + waylandDisplay);
    return environment;
}

StowlineProcess::~StowlineProcess() {
    if (m_instance && m_instance->state() != QProcess::NotRunning) {
        m_instance->kill();
        m_instance->waitForFinished(5000);
    }
}

Finished StowlineProcess::run(const QStringList& arguments, int timeoutMs, const QByteArray& input) const {
    QProcess process;
    process.setProcessEnvironment(m_home.environment());
    process.start(stowlineExecutable(), arguments);
    if (!process.waitForStarted(5000))
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!waitUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return {-1, QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

bool StowlineProcess::startInBackground() {
    m_instance = std::make_unique<QProcess>();
    m_instance->setProcessEnvironment(m_home.environment());
    if (!m_workingDirectory.isEmpty())
        m_instance->setWorkingDirectory(m_workingDirectory);
    // Its diagnostics go to the test's own error output, where a failure can be read.
    m_instance->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_instance->start(stowlineExecutable(), {QStringLiteral("--background")});
    if (!m_instance->waitForStarted(5000))
        return false;
    return waitUntil([&] { return m_instance->state() != QProcess::Running || status().has_value(); }) &&
           m_instance->state() == QProcess::Running;
}

bool StowlineProcess::waitForInstanceToEnd(int timeoutMs) {
    return m_instance && waitUntil([&] { return m_instance->state() == QProcess::NotRunning; }, timeoutMs);
}

std::optional<QMap<QString, QString>> StowlineProcess::status() const {
    const Finished finished = run({QStringLiteral("status")});
    if (finished.exitCode != 0)
        return std::nullopt;
    QMap<QString, QString> values;
    for (const QString& line : finished.output.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0)
            values.insert(line.left(equals), line.mid(equals + 1));
    }
    return values;
}

QString StowlineProcess::statusValue(const QString& key) const {
    return status().value_or(QMap<QString, QString>()).value(key);
}

QStringList StowlineProcess::listedKindsAndTitles() const {
    QStringList listed;
    for (const QString& line : run({QStringLiteral("list")}).output.split(u'\n', Qt::SkipEmptyParts))
        listed.append(line.section(u'\t', 2));
    return listed;
}

} // namespace stowline::test
