#pragma once

#include <QString>

namespace stowline {

// The one message the windows show (see `Notices`).
// Code decides by `kind` only; `text` is what the user reads, so rewording it never changes behaviour.
struct UserMessage {
    enum class Kind {
        // An unreadable archive was moved aside and a fresh history started.
        archiveStartedFresh,
        saveFailed,
        // Changes in the journal could not be read; the history opened without them and the journal was kept.
        journalDamaged,
        // An archive that exists could not be opened yet; it goes once the history opens.
        historyClosed,
        // A one-modifier shortcut waits for the permission; it goes with the next successful registration.
        shortcutNeedsAccessibility,
        shortcutUnavailable,
        launchAtLoginFailed,
        // The data folder or the key file was open to other users (and was made private when it could be).
        filePermissions,
        // An instant paste was not typed because the application it was meant for was no longer in front.
        pasteRefused,
    };

    Kind kind;
    QString text;

    friend bool operator==(const UserMessage&, const UserMessage&) = default;
};

} // namespace stowline
