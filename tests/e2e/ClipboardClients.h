#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace stowline::test {

// Other applications on the test's display, each a process of its own that lives as long as the object.
class ClipboardClients {
public:
    ClipboardClients();
    ~ClipboardClients();

    // Another application copies `data` under one target (xclip); true once the clipboard serves it.
    bool copyWithXclip(const QString& target, const QByteArray& data);
    // An application with the WM_CLASS instance `resourceName` and an active window copies every target in one
    // offer; true once it owns the clipboard.
    bool copyFromWindow(const QString& resourceName, const QList<QPair<QString, QByteArray>>& targets);
    // A GTK 3 application copies as GTK programs do: text (UTF-8) through gtk_clipboard_set_text, an image file's
    // bytes through gtk_clipboard_set_image, or files as GTK file managers offer them; true once it owns the
    // clipboard.
    bool copyTextWithGtk(const QString& text);
    bool copyImageWithGtk(const QByteArray& encoded);
    bool copyFilesWithGtk(const QStringList& paths);
    // What the clipboard serves under the target now.
    static QByteArray paste(const QString& target);

    // A focused window with a line edit; true once it has the focus.
    bool openPasteTarget();
    // Waits until the paste target holds exactly `text`.
    bool pasteTargetShows(const QString& text);
    qint64 pasteTargetProcessId() const { return m_pasteTarget ? m_pasteTarget->processId() : 0; }

private:
    QString writeFile(const QByteArray& data);
    QProcess& startQuietly(const QString& program, const QStringList& arguments, const QString& resourceName = {});
    bool waitForLine(QProcess& process, const QByteArray& line);
    bool copyWithGtk(const QString& role, const QStringList& arguments);

    QTemporaryDir m_files;
    int m_fileCount = 0;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    QProcess* m_pasteTarget = nullptr;
    QByteArray m_pasteTargetOutput;
};

} // namespace stowline::test
