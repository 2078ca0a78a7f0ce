#include "app/actions/ClipboardActions.h"

#include "app/capture/ClipboardMonitor.h"
#include "app/platform/KeystrokePoster.h"
#include "app/platform/Pasteboard.h"
#include "core/text/Utf8.h"

#include <algorithm>

namespace stowline {

ClipboardActions::ClipboardActions(Pasteboard& pasteboard, KeystrokePoster& keystrokes, QObject* parent)
    : QObject(parent)
    , m_pasteboard(pasteboard)
    , m_keystrokes(keystrokes)
    , m_accessibilityGranted(keystrokes.isAvailable()) {}

void ClipboardActions::setMonitor(ClipboardMonitor* monitor) {
    m_monitor = monitor;
}

bool ClipboardActions::refreshAccessibility() {
    const bool granted = m_keystrokes.isAvailable();
    if (granted != m_accessibilityGranted) {
        m_accessibilityGranted = granted;
        Q_EMIT accessibilityGrantedChanged(granted);
    }
    return m_accessibilityGranted;
}

bool ClipboardActions::restore(const ClipItem& item, RestoreForm form) {
    // The entry is checked before the clipboard is touched, and the write replaces the clipboard's entry in
    // one step, so a restore that fails leaves the user's clipboard as it was.
    if (form == RestoreForm::plainTextOnly) {
        const auto& representations = item.representations();
        const auto plain =
            std::find_if(representations.cbegin(), representations.cend(),
                         [](const ClipRepresentation& r) { return r.typeIdentifier == TypeIdentifier::plainText; });
        if (plain == representations.cend())
            return false;
        const std::optional<QString> text = Utf8::decode(plain->data);
        return text && writeText(*text);
    }
    // One pasteboard item per item index, in ascending order; within an item the stored order stays.
    ClipRepresentations ordered = item.representations();
    std::stable_sort(ordered.begin(), ordered.end(), [](const ClipRepresentation& a, const ClipRepresentation& b) {
        return a.itemIndex < b.itemIndex;
    });
    if (ordered.isEmpty() || !m_pasteboard.write(ordered))
        return false;
    markOwnWrite();
    return true;
}

bool ClipboardActions::copyRecognizedText(const QString& text) {
    return !text.isEmpty() && writeText(text);
}

bool ClipboardActions::copyEditedText(const QString& text) {
    return writeText(text);
}

bool ClipboardActions::postPasteKeystroke(PasteTarget target) {
    return m_keystrokes.postPasteKeystroke(std::move(target));
}

bool ClipboardActions::writeText(const QString& text) {
    if (!m_pasteboard.write({ClipRepresentation{0, TypeIdentifier::plainText, text.toUtf8()}}))
        return false;
    markOwnWrite();
    return true;
}

void ClipboardActions::markOwnWrite() {
    if (m_monitor)
        m_monitor->markOwnWrite();
}

} // namespace stowline
