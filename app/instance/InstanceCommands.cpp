#include "app/instance/InstanceCommands.h"

#include "app/StowlineApplication.h"
#include "app/actions/ClipboardActions.h"
#include "app/capture/ClipboardMonitor.h"
#include "app/archive/ArchiveFiles.h"
#include "app/cli/ArchiveCommands.h"
#include "app/history/HistoryViewModel.h"
#include "app/history/HistoryWindowManager.h"
#include "app/preferences/AppPreferences.h"
#include "app/shortcut/ShortcutCoordinator.h"
#include "app/store/ClipboardStore.h"
#include "core/archive/StowlineArchive.h"

#include <QCoreApplication>
#include <QFile>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

constexpr int failed = 1;

InstanceReply notUnderstood() {
    return {2, u"The running Stowline did not understand the request."_s};
}

InstanceReply failure(const ArchiveCommandError& error) {
    return {failed, error.message()};
}

} // namespace

void InstanceCommands::handle(const InstanceRequest& request, const SingleInstance::Responder& respond) {
    switch (request.command) {
    case InstanceCommand::show:
        // A later start reopens the application, which makes it active.
        m_application.showPanel();
        m_application.applicationDidBecomeActive();
        respond({0, {}});
        return;
    case InstanceCommand::toggle:
        m_application.togglePanel();
        respond({0, {}});
        return;
    case InstanceCommand::status:
        respond({0, statusReport()});
        return;
    case InstanceCommand::quit:
        quit(respond);
        return;
    case InstanceCommand::exportHistory:
        respond(exportHistory(request.arguments));
        return;
    case InstanceCommand::importHistory:
        respond(importHistory(request.arguments));
        return;
    case InstanceCommand::list:
        respond({0, ArchiveCommands::listing(m_application.store().items())});
        return;
    case InstanceCommand::copy:
        respond(copyClip(request.arguments));
        return;
    }
    respond(notUnderstood());
}

InstanceReply InstanceCommands::exportHistory(const QStringList& arguments) {
    if (arguments.size() != 1)
        return notUnderstood();
    const QString& path = arguments.first();
    ClipboardStore& store = m_application.store();
    if (!store.isHistoryOpen())
        return failure({ArchiveCommandError::Kind::archiveUnreachable, ClipboardStore::historyNotOpenMessage(), {}});
    // Only into the owner-only file the asker created: the instance never creates files on request.
    QFile output(path);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly))
        return failure({ArchiveCommandError::Kind::outputFailed, output.errorString(), path});
    const QByteArray json = ArchiveCommands::exportJson(store.items());
    if (output.write(json) != json.size() || !output.flush())
        return failure({ArchiveCommandError::Kind::outputFailed, output.errorString(), path});
    return {0, QString::number(store.items().size())};
}

InstanceReply InstanceCommands::importHistory(const QStringList& arguments) {
    if (arguments.size() != 1)
        return notUnderstood();
    const QString& path = arguments.first();
    ClipboardStore& store = m_application.store();
    // Clips merged into a history that is not open yet would be merged a second time once it opens.
    if (!store.isHistoryOpen())
        return failure({ArchiveCommandError::Kind::archiveUnreachable, ClipboardStore::historyNotOpenMessage(), {}});
    const auto bytes = ArchiveFiles::readAll(path);
    if (!bytes)
        return failure({ArchiveCommandError::Kind::inputUnreadable, bytes.error().reason, path});
    auto archive = StowlineArchive::decode(*bytes);
    if (!archive)
        return failure({ArchiveCommandError::Kind::invalidInput, archive.error().describe(), path});
    const qint64 limit = m_application.preferences().historyLimit();
    const ImportSummary summary = ArchiveCommands::merge(store.engine(), std::move(archive->items), limit);
    store.publishAndSave(true);
    // Answered once the merged history is on disk, as an import without a running instance would be.
    store.flush();
    m_application.queueRecognition(store.items());
    return {0, ArchiveCommands::describe(summary, limit)};
}

InstanceReply InstanceCommands::copyClip(const QStringList& arguments) {
    bool ok = false;
    const qsizetype number = arguments.value(0).toLongLong(&ok);
    const bool paste = arguments.size() == 2 && arguments[1] == InstanceProtocol::pasteArgument;
    if (!ok || arguments.isEmpty() || arguments.size() > 2 || (arguments.size() == 2 && !paste))
        return notUnderstood();
    const QList<ClipItem>& items = m_application.store().items();
    if (number < 1 || number > items.size())
        return {failed, u"There is no clip %1; the history holds %2."_s.arg(number).arg(items.size())};
    const ClipItem item = items[number - 1];
    if (!m_application.actions().restore(item, false))
        return {failed, u"Clip %1 holds nothing that can be put on the clipboard."_s.arg(number)};
    m_application.store().use(item.id());
    if (paste && !m_application.actions().postPasteKeystroke())
        return {failed, u"Clip %1 is on the clipboard, but the paste keystroke could not be sent."_s.arg(number)};
    return {0, {}};
}

void InstanceCommands::quit(const SingleInstance::Responder& respond) {
    // Written before the answer, so the asker knows the history is on disk once it has it.
    m_application.stopAndSave();
    respond({0, u"Stowline has saved its history and quit.\n"_s});
    m_application.requestQuit();
}

QString InstanceCommands::statusReport() const {
    const std::optional<HotKeyConfiguration>& shortcut = m_application.shortcuts().activeShortcut();
    const ClipboardStore& store = m_application.store();
    QString report;
    report += u"pid="_s + QString::number(QCoreApplication::applicationPid()) + u'\n';
    report += u"panelRequests="_s + QString::number(m_application.panelRequestCount()) + u'\n';
    HistoryWindowManager& history = m_application.history();
    report += u"panel="_s +
              (history.isVisible() ? QString::number(history.viewModel().visibleItems().size()) : u"hidden"_s) + u'\n';
    report += u"shortcut="_s + (shortcut ? shortcut->displayText : QString()) + u'\n';
    report += u"clips="_s + QString::number(store.items().size()) + u'\n';
    report += u"lastError="_s + store.lastError().value_or(QString()) + u'\n';
    return report;
}

} // namespace stowline
