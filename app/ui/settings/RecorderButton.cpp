#include "app/ui/settings/RecorderButton.h"

#include "app/platform/KeyCodeTable.h"
#include "app/ui/style/StowlineStyle.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {
constexpr quint16 escapeKeyCode = 53;
}

RecorderButton::RecorderButton(QWidget* parent) : QPushButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setText(m_shortcut.displayText);
    connect(this, &QPushButton::clicked, this, &RecorderButton::beginRecording);
}

RecorderButton::~RecorderButton() {
    // A window closed mid-recording must not leave the global shortcut released.
    if (m_isRecording)
        Q_EMIT recordingChanged(false);
}

QString RecorderButton::recordingTitle() {
    return u"Type shortcut\u2026"_s;
}

QString RecorderButton::notAShortcutTitle() {
    return u"Add modifier + key"_s;
}

void RecorderButton::setShortcut(const HotKeyConfiguration& shortcut) {
    if (m_isRecording)
        return;
    m_shortcut = shortcut;
    setText(m_shortcut.displayText);
}

void RecorderButton::beginRecording() {
    if (m_isRecording)
        return;
    m_isRecording = true;
    setText(recordingTitle());
    update();
    setFocus(Qt::OtherFocusReason);
    Q_EMIT recordingChanged(true);
}

bool RecorderButton::event(QEvent* event) {
    if (m_isRecording) {
        // While recording every key belongs to the recorder: no window shortcut, no focus move with Tab.
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            record(static_cast<const QKeyEvent&>(*event));
            return true;
        }
    }
    return QPushButton::event(event);
}

void RecorderButton::focusOutEvent(QFocusEvent* event) {
    if (m_isRecording)
        finish(std::nullopt);
    QPushButton::focusOutEvent(event);
}

void RecorderButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (!m_isRecording)
        return;
    // Listening looks different from showing: the button is ringed in the accent colour.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(StowlineStyle::color(StyleRole::accent), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
}

void RecorderButton::record(const QKeyEvent& event) {
    const std::optional<quint16> keyCode = KeyCodeTable::keyCodeForQtKey(event.key(), event.modifiers());
    if (keyCode == escapeKeyCode) {
        finish(std::nullopt);
        return;
    }
    std::optional<HotKeyConfiguration> shortcut;
    if (keyCode) {
        shortcut = HotKeyConfiguration::make(*keyCode, KeyCodeTable::eventFlagsForQtModifiers(event.modifiers()),
                                             KeyCodeTable::keyText(*keyCode));
    }
    if (shortcut) {
        finish(shortcut);
        return;
    }
    QApplication::beep();
    setText(notAShortcutTitle());
}

void RecorderButton::finish(const std::optional<HotKeyConfiguration>& recorded) {
    m_isRecording = false;
    update();
    Q_EMIT recordingChanged(false);
    if (recorded) {
        m_shortcut = *recorded;
        setText(m_shortcut.displayText);
        if (onRecord)
            onRecord(*recorded);
    }
    setText(m_shortcut.displayText);
    clearFocus();
}

} // namespace stowline
