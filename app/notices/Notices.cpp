#include "app/notices/Notices.h"

#include "app/ui/style/PlatformWording.h"

#include <QtGlobal>

namespace stowline {

namespace {

struct NoticeRow {
    Notice notice;
    UserMessage::Kind kind;
    const char16_t* text;
};

using Kind = UserMessage::Kind;

constexpr NoticeRow texts[] = {
    {Notice::unreadableArchive, Kind::archiveStartedFresh,
     u"Stowline protected an unreadable archive and started a fresh history."},
    {Notice::saveFailed, Kind::saveFailed, u"History could not be saved securely."},
    {Notice::historyNotOpen, Kind::historyClosed,
     u"Your history is not unlocked yet: its key could not be read. New clips are kept and will be added to it once "
     u"it opens."},
    {Notice::archiveNotMoved, Kind::historyClosed,
     u"Stowline cannot read its archive and could not move it aside, so nothing will be saved over it. New clips are "
     u"kept in memory until it can be moved."},
    {Notice::keyFileInvalid, Kind::historyClosed,
     u"Your history cannot be opened: its key file (Local Protection/archive.key) does not hold a valid key. Nothing "
     u"will be saved over the archive; put back the key file from a backup to open it. New clips are kept in memory "
     u"meanwhile."},
    {Notice::keyringKeyInvalid, Kind::historyClosed,
     u"Your history cannot be opened: the archive key in the system keyring is not a valid key. Nothing will be saved "
     u"over the archive. New clips are kept in memory meanwhile."},
    {Notice::keyringFailed, Kind::historyClosed,
     u"Your history cannot be opened: the system keyring reported an error. Check that the keyring works; new clips "
     u"are kept and will be added to the history once it opens."},
    {Notice::fileUnreadable, Kind::historyClosed,
     u"Your history cannot be opened: %1 cannot be read. Check that you own the file and may read it (for example, "
     u"fix its permissions); new clips are kept and will be added to the history once it opens."},
    // Names the desktop's permission, so the wording table words it.
    {Notice::shortcutNeedsAccessibility, Kind::shortcutNeedsAccessibility, nullptr},
    {Notice::shortcutInUse, Kind::shortcutUnavailable,
     u"%1 is already used by another application. The previous working shortcut remains active; record another in "
     u"Settings."},
    {Notice::defaultShortcutReplaced, Kind::shortcutUnavailable,
     u"%1 is already used by another application, so Stowline is using %2."},
    {Notice::nothingRegistered, Kind::shortcutUnavailable,
     u"Stowline could not register %1 or either built-in shortcut. Choose another shortcut in Settings."},
    {Notice::noBuiltInShortcut, Kind::shortcutUnavailable,
     u"Stowline could not register either built-in shortcut. Choose another shortcut in Settings."},
    {Notice::launchAtLoginFailed, Kind::launchAtLoginFailed,
     u"Stowline could not update Open at Login. You can retry in Settings."},
    {Notice::filesOpenToOthers, Kind::filePermissions, u"Your history's files were open to other users. %1"},
    // Typed into another window, the clip could land in a chat or a terminal the user never meant it for.
    {Notice::pasteRefused, Kind::pasteRefused,
     u"Stowline did not paste because %1 was no longer the active window. The clip is on the clipboard."},
    {Notice::pasteTargetUnknown, Kind::pasteRefused,
     u"Stowline did not paste because it could not tell which window was in front before the panel opened. The clip "
     u"is on the clipboard."},
    {Notice::journalDamaged, Kind::journalDamaged,
     u"Stowline could not read %1 to your history saved since %2; the history opened without them. The damaged file "
     u"was kept as %3."},
    {Notice::journalDamagedInPlace, Kind::journalDamaged,
     u"Stowline could not read %1 to your history saved since %2; the history opened without them. The damaged file "
     u"is still at %3 and nothing will be saved over it until it can be moved."},
};

} // namespace

UserMessage Notices::message(Notice notice, const QStringList& arguments) {
    for (const NoticeRow& row : texts) {
        if (row.notice != notice)
            continue;
        QString text =
            row.text ? QString::fromUtf16(row.text) : PlatformWording::text(Wording::shortcutNeedsPermission);
        // All at once, so a placeholder inside an argument (a file name with "%2") stays as it is.
        if (arguments.size() == 1)
            text = text.arg(arguments[0]);
        else if (arguments.size() == 2)
            text = text.arg(arguments[0], arguments[1]);
        else if (arguments.size() == 3)
            text = text.arg(arguments[0], arguments[1], arguments[2]);
        return {row.kind, text};
    }
    Q_UNREACHABLE();
}

void Notices::show(std::optional<UserMessage> message) {
    if (m_current == message)
        return;
    m_current = std::move(message);
    Q_EMIT changed();
}

void Notices::withdraw(UserMessage::Kind kind) {
    if (m_current && m_current->kind == kind)
        show(std::nullopt);
}

} // namespace stowline
