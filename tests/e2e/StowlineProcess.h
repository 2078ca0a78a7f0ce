#pragma once

#include "tests/support/Wait.h"

#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

namespace stowline::test {

// The executable under test: the one built beside the tests, or the copy in $STOWLINE_TEST_BIN when the session
// copied the executables where its user can reach them.
QString stowlineExecutable();

// A user's home for the real executable: its own data, configuration and runtime folders (so its socket is its
// own), inside the desktop session the tests run in.
class StowlineHome {
public:
    StowlineHome();

    bool isValid() const { return m_dir.isValid(); }
    QString dataHome() const { return m_dir.filePath(QStringLiteral("data")); }
    QString configHome() const { return m_dir.filePath(QStringLiteral("config")); }
    QString runtimeDir() const { return m_dir.filePath(QStringLiteral("runtime")); }
    QString socketPath() const;
    QString archivePath() const;
    QString keyPath() const;
    QString preferencesPath() const;
    QProcessEnvironment environment() const;

private:
    QTemporaryDir m_dir;
};

struct Finished {
    int exitCode = -1;
    QString output;
    QString errors;
};

// The executable, started in a home: short-lived commands run to their end, one long-lived instance may run in
// the background of the test.
class StowlineProcess {
public:
    explicit StowlineProcess(const StowlineHome& home) : m_home(home) {}
    ~StowlineProcess();

    // Runs `stowline ARGUMENTS` to its end with `input` on its standard input (killed after the timeout, reported
    // as exit code -1).
    Finished run(const QStringList& arguments, int timeoutMs = 20000, const QByteArray& input = {}) const;

    // The folder the instance started by `startInBackground` runs in (by default the test's own).
    void setWorkingDirectory(const QString& folder) { m_workingDirectory = folder; }
    // Starts `stowline --background` and waits until it answers `status`.
    bool startInBackground();
    QProcess& instance() { return *m_instance; }
    bool waitForInstanceToEnd(int timeoutMs = 15000);

    // The running instance's `status` report as key=value pairs; nothing when it does not answer.
    std::optional<QMap<QString, QString>> status() const;
    // One value of that report; empty when the instance does not answer.
    QString statusValue(const QString& key) const;
    // Kind and title of each clip `stowline list` gives, tab-separated, in its order.
    QStringList listedKindsAndTitles() const;

private:
    const StowlineHome& m_home;
    QString m_workingDirectory;
    std::unique_ptr<QProcess> m_instance;
};

} // namespace stowline::test
