#pragma once

#include "app/notices/UserMessage.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace stowline {

// Every message Stowline shows in its windows; the texts are one table in Notices.cpp.
enum class Notice {
    unreadableArchive,
    saveFailed,
    historyNotOpen,
    archiveNotMoved,
    keyFileInvalid,
    keyringKeyInvalid,
    keyringFailed,
    fileUnreadable,             // %1: the file
    shortcutNeedsAccessibility, // %1: the chosen shortcut, %2: the one that stays live
    shortcutInUse,              // %1: the chosen shortcut
    defaultShortcutReplaced,    // %1: the default shortcut, %2: the one used instead
    nothingRegistered,          // %1: the chosen shortcut
    noBuiltInShortcut,
    launchAtLoginFailed,
    filesOpenToOthers, // %1: each file with its permissions and whether Stowline made it private
    pasteRefused,      // %1: the application the paste was meant for
    pasteTargetUnknown,
    journalDamaged,        // %1: how many changes, %2: since when, %3: where the journal was kept
    journalDamagedInPlace, // as above; %3: where the journal still lies
};

// The one message the history view and the settings show. The store, the shortcut handling and the start-at-login
// step post to it; the user dismisses it. Used on the GUI thread only.
class Notices : public QObject {
    Q_OBJECT

public:
    // The message of `notice`, with `arguments` in its placeholders.
    static UserMessage message(Notice notice, const QStringList& arguments = {});

    using QObject::QObject;

    const std::optional<UserMessage>& current() const { return m_current; }
    void post(Notice notice, const QStringList& arguments = {}) { show(message(notice, arguments)); }
    void show(std::optional<UserMessage> message);
    // Clears the message only when it is of `kind`; any other message stays.
    void withdraw(UserMessage::Kind kind);

Q_SIGNALS:
    void changed();

private:
    std::optional<UserMessage> m_current;
};

} // namespace stowline
