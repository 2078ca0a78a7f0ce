#pragma once

#include "app/platform/KeystrokePoster.h"
#include "core/model/ClipItem.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace stowline {

// What putting an entry back writes: all of its representations, or only its plain text.
enum class RestoreForm { allRepresentations, plainTextOnly };

class ClipboardMonitor;
class Pasteboard;

// The only writer of the system clipboard: puts entries and texts back, marks those writes as the
// application's own so they never become new entries, and posts the paste keystroke. GUI thread only.
class ClipboardActions : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool accessibilityGranted READ accessibilityGranted NOTIFY accessibilityGrantedChanged)

public:
    ClipboardActions(Pasteboard& pasteboard, KeystrokePoster& keystrokes, QObject* parent = nullptr);

    // Held weakly: the start-up wiring sets it right after creating the monitor.
    void setMonitor(ClipboardMonitor* monitor);

    bool accessibilityGranted() const { return m_accessibilityGranted; }
    // Asks again; observers hear only of a change.
    bool refreshAccessibility();

    // Nothing is written, and what the clipboard held stays, when the entry has nothing that can be written.
    [[nodiscard]] bool restore(const ClipItem& item, RestoreForm form);
    // Refuses an empty text.
    [[nodiscard]] bool copyRecognizedText(const QString& text);
    // Writes an empty text too.
    [[nodiscard]] bool copyEditedText(const QString& text);

    // The platform's paste keystroke into the target's window, only while it is the active one; false when it
    // could not be posted.
    bool postPasteKeystroke(PasteTarget target);

Q_SIGNALS:
    void accessibilityGrantedChanged(bool granted);

private:
    bool writeText(const QString& text);
    void markOwnWrite();

    Pasteboard& m_pasteboard;
    KeystrokePoster& m_keystrokes;
    QPointer<ClipboardMonitor> m_monitor;
    bool m_accessibilityGranted;
};

} // namespace stowline
