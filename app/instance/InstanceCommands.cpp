#include "app/instance/InstanceCommands.h"

#include "app/actions/ClipboardActions.h"
#include "app/archive/ArchiveFiles.h"
#include "app/commands/ArchiveCommands.h"
#include "app/commands/HistoryCommands.h"
#include "app/notices/Notices.h"
#include "app/preferences/AppPreferences.h"
#include "app/shortcut/ShortcutCoordinator.h"
#include "app/store/HistoryPersistence.h"
#include "app/store/HistoryStore.h"
#include "core/archive/StowlineArchive.h"

#include <QCoreApplication>
#include <QFile>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

constexpr int failed = 1;

bool readsHistory(InstanceCommand command) {
    switch (command) {
    case InstanceCommand::show:
    case InstanceCommand::toggle:
    case InstanceCommand::settings:
    case InstanceCommand::pause:
    case InstanceCommand::resume:
    case InstanceCommand::quit:
        return false;
    case InstanceCommand::status:
    case InstanceCommand::exportHistory:
    case InstanceCommand::importHistory:
    case InstanceCommand::list:
    case InstanceCommand::search:
    case InstanceCommand::copy:
    case InstanceCommand::clear:
    case InstanceCommand::favorite:
    case InstanceCommand::deleteClip:
        break;
    }
    return true;
}

bool bringsWindowForward(InstanceCommand command) {
    return command == InstanceCommand::show || command == InstanceCommand::toggle ||
           command == InstanceCommand::settings;
}

InstanceReply notUnderstood() {
    return {2, u"the running Stowline did not understand the request"_s};
}

InstanceReply failure(const ArchiveCommandError& error) {
    return {failed, error.message()};
}

// Commands that change or export the history wait for one that could not be opened yet: clips imported into it
// now would be merged a second time once it opens.
InstanceReply historyNotOpen() {
    return failure({ArchiveCommandError::Kind::archiveUnreachable, Notices::message(Notice::historyNotOpen).text, {}});
}

// The one file an export or an import names, once the history is open.
Result<QString, InstanceReply> historyFile(const QStringList& arguments, const HistoryPersistence& persistence) {
    if (arguments.size() != 1)
        return fail(notUnderstood());
    if (!persistence.isHistoryOpen())
        return fail(historyNotOpen());
    return arguments.first();
}

// The store's history as the commands see it: a snapshot taken when the command arrives, changed through the
// store so every change is published and saved as the panel's are.
class StoreHistory : public CommandHistory {
public:
    explicit StoreHistory(HistoryStore& store) : m_store(store), m_snapshot(store.publishedHistory()) {}
    const HistoryEngine& history() const override { return *m_snapshot; }
    void toggleFavorite(const QUuid& id) override { m_store.toggleFavorite(id); }
    void deleteItem(const QUuid& id) override { m_store.deleteItem(id); }
    void clear(ClearScope scope) override { m_store.clear(scope); }

private:
    HistoryStore& m_store;
    std::shared_ptr<const HistoryEngine> m_snapshot;
};

} // namespace

void InstanceCommands::handle(const InstanceRequest& request, const SingleInstance::Responder& respond) {
    HistoryPersistence& persistence = m_services.persistence;
    if (persistence.isOpening() && readsHistory(request.command)) {
        // Answered once the stored history has been read (a moment at start-up), not from the empty one.
        QObject::connect(
            &persistence, &HistoryPersistence::openingFinished, &persistence,
            [services = m_services, request, respond] { InstanceCommands(services).handle(request, respond); },
            Qt::SingleShotConnection);
        return;
    }
    if (!request.activationToken.isEmpty() && bringsWindowForward(request.command))
        m_services.application.useActivationToken(request.activationToken);
    switch (request.command) {
    case InstanceCommand::show:
        // A later start reopens the application, which makes it active.
        m_services.application.showPanel();
        m_services.application.applicationDidBecomeActive();
        respond({0, {}});
        return;
    case InstanceCommand::toggle:
        m_services.application.togglePanel();
        respond({0, {}});
        return;
    case InstanceCommand::settings:
        m_services.application.showSettings();
        respond({0, {}});
        return;
    case InstanceCommand::status:
        respond({0, statusReport()});
        return;
    case InstanceCommand::quit:
        quit(request.arguments, respond);
        return;
    case InstanceCommand::exportHistory:
        respond(exportHistory(request.arguments));
        return;
    case InstanceCommand::importHistory:
        respond(importHistory(request.arguments));
        return;
    case InstanceCommand::list:
    case InstanceCommand::search:
        respond(HistoryCommands::list(*m_services.store.publishedHistory(), request.arguments));
        return;
    case InstanceCommand::copy:
        respond(copyClip(request.arguments));
        return;
    case InstanceCommand::pause:
    case InstanceCommand::resume:
        respond(setCapturing(request.command == InstanceCommand::resume, request.arguments));
        return;
    case InstanceCommand::clear:
    case InstanceCommand::favorite:
    case InstanceCommand::deleteClip:
        respond(changeHistory(request));
        return;
    }
    respond(notUnderstood());
}

InstanceReply InstanceCommands::exportHistory(const QStringList& arguments) {
    HistoryStore& store = m_services.store;
    const auto file = historyFile(arguments, m_services.persistence);
    if (!file)
        return file.error();
    const QString& path = *file;
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
    HistoryStore& store = m_services.store;
    const auto file = historyFile(arguments, m_services.persistence);
    if (!file)
        return file.error();
    const QString& path = *file;
    const auto bytes = ArchiveFiles::readAll(path);
    if (!bytes)
        return failure({ArchiveCommandError::Kind::inputUnreadable, bytes.error().reason, path});
    auto archive = StowlineArchive::decode(*bytes);
    if (!archive)
        return failure({ArchiveCommandError::Kind::invalidInput, archive.error().describe(), path});
    const qint64 limit = m_services.preferences.historyLimit();
    const ImportSummary summary = store.merge(std::move(archive->items), limit);
    // Answered once the merged history is on disk, as an import without a running instance would be.
    m_services.persistence.flush();
    m_services.application.queueRecognition();
    return {0, ArchiveCommands::describe(summary, limit)};
}

InstanceReply InstanceCommands::copyClip(const QStringList& arguments) {
    bool paste = false;
    bool plain = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == InstanceProtocol::pasteArgument)
            paste = true;
        else if (arguments[i] == InstanceProtocol::plainArgument)
            plain = true;
        else
            return notUnderstood();
    }
    if (arguments.isEmpty())
        return notUnderstood();
    const auto found = HistoryCommands::find(*m_services.store.publishedHistory(), arguments.first());
    if (!found)
        return found.error();
    if (!m_services.actions.restore(found->item, plain ? RestoreForm::plainTextOnly : RestoreForm::allRepresentations))
        return {failed, u"clip %1 holds nothing that can be put on the clipboard"_s.arg(found->number)};
    m_services.store.use(found->item.id());
    // Into the window in front as the request arrives, and only while it stays there.
    if (paste && !m_services.application.pasteIntoFrontmost())
        return {failed, u"clip %1 is on the clipboard, but the paste keystroke could not be sent"_s.arg(found->number)};
    return {0, {}};
}

InstanceReply InstanceCommands::setCapturing(bool capturing, const QStringList& arguments) {
    if (!arguments.isEmpty())
        return notUnderstood();
    m_services.preferences.setCaptureEnabled(capturing);
    return {0, capturing ? u"Stowline takes in what you copy again.\n"_s
                         : u"Stowline is paused: nothing you copy is kept until you resume.\n"_s};
}

InstanceReply InstanceCommands::changeHistory(const InstanceRequest& request) {
    // Changes wait for the history: made before it opens, they would be lost when it does.
    if (!m_services.persistence.isHistoryOpen())
        return historyNotOpen();
    StoreHistory history(m_services.store);
    const QStringList& arguments = request.arguments;
    switch (request.command) {
    case InstanceCommand::favorite:
        return arguments.size() == 1 ? HistoryCommands::favorite(history, arguments.first()) : notUnderstood();
    case InstanceCommand::deleteClip:
        return arguments.size() == 1 ? HistoryCommands::remove(history, arguments.first()) : notUnderstood();
    case InstanceCommand::clear:
        for (const QString& argument : arguments) {
            if (argument != HistoryCommands::keepFavoritesArgument && argument != HistoryCommands::confirmedArgument)
                return notUnderstood();
        }
        return HistoryCommands::clear(history, arguments.contains(HistoryCommands::keepFavoritesArgument),
                                      arguments.contains(HistoryCommands::confirmedArgument));
    default:
        return notUnderstood();
    }
}

void InstanceCommands::quit(const QStringList& arguments, const SingleInstance::Responder& respond) {
    // Written before the answer, so the asker knows the history is on disk once it has it.
    const std::optional<QString> unsaved = m_services.application.stopAndSave();
    if (unsaved && !arguments.contains(InstanceProtocol::anywayArgument)) {
        m_services.application.resumeAfterRefusedQuit();
        respond({failed, u"%1; Stowline keeps running so nothing is lost yet. Fix that and quit again, or quit "
                         u"with --anyway to lose it"_s.arg(*unsaved)});
        return;
    }
    respond({0, unsaved ? u"Stowline quit without saving: %1.\n"_s.arg(*unsaved)
                        : u"Stowline has saved its history and quit.\n"_s});
    m_services.application.requestQuit();
}

QString InstanceCommands::statusReport() const {
    const std::optional<HotKeyConfiguration>& shortcut = m_services.shortcuts.activeShortcut();
    const std::optional<UserMessage>& notice = m_services.notices.current();
    const ApplicationControl::PanelState panel = m_services.application.panelState();
    QString report;
    report += u"pid="_s + QString::number(QCoreApplication::applicationPid()) + u'\n';
    report += u"panelRequests="_s + QString::number(m_services.application.panelRequestCount()) + u'\n';
    report += u"panel="_s + (panel.visible ? QString::number(panel.listedClips) : u"hidden"_s) + u'\n';
    report += u"panelActive="_s + (panel.active ? u"1"_s : u"0"_s) + u'\n';
    report += u"capture="_s + (m_services.preferences.captureEnabled() ? u"on"_s : u"paused"_s) + u'\n';
    report += u"shortcut="_s + (shortcut ? shortcut->displayText : QString()) + u'\n';
    report += u"clips="_s + QString::number(m_services.store.publishedHistory()->size()) + u'\n';
    report += u"lastError="_s + (notice ? notice->text : QString()) + u'\n';
    report += m_services.sessionReport;
    return report;
}

} // namespace stowline
