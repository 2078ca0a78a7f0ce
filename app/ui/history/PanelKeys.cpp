#include "app/ui/history/PanelKeys.h"

#include <QKeyEvent>

namespace stowline::PanelKeys {

std::optional<PanelKey> of(const QKeyEvent& event, bool searchIsEmpty) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const bool plain = !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const bool ctrlOnly = modifiers == Qt::ControlModifier;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (modifiers == Qt::AltModifier)
            return PanelKey::edit;
        if (!plain)
            return std::nullopt;
        return modifiers.testFlag(Qt::ShiftModifier) ? PanelKey::usePlainText : PanelKey::use;
    case Qt::Key_Escape:
        return plain ? std::optional(PanelKey::dismiss) : std::nullopt;
    case Qt::Key_Up:
        return plain ? std::optional(PanelKey::up) : std::nullopt;
    case Qt::Key_Down:
        return plain ? std::optional(PanelKey::down) : std::nullopt;
    case Qt::Key_PageUp:
        return plain ? std::optional(PanelKey::pageUp) : std::nullopt;
    case Qt::Key_PageDown:
        return plain ? std::optional(PanelKey::pageDown) : std::nullopt;
    case Qt::Key_Home:
        // With text in the field, Home and End move its cursor.
        return ctrlOnly || (modifiers == Qt::NoModifier && searchIsEmpty) ? std::optional(PanelKey::first)
                                                                          : std::nullopt;
    case Qt::Key_End:
        return ctrlOnly || (modifiers == Qt::NoModifier && searchIsEmpty) ? std::optional(PanelKey::last)
                                                                          : std::nullopt;
    case Qt::Key_D:
        return ctrlOnly ? std::optional(PanelKey::favorite) : std::nullopt;
    case Qt::Key_Delete:
        return ctrlOnly ? std::optional(PanelKey::remove) : std::nullopt;
    case Qt::Key_Menu:
        return modifiers == Qt::NoModifier ? std::optional(PanelKey::menu) : std::nullopt;
    case Qt::Key_F10:
        return modifiers == Qt::ShiftModifier ? std::optional(PanelKey::menu) : std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<QuickUse> quickUse(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::ControlModifier && modifiers != (Qt::ControlModifier | Qt::ShiftModifier))
        return std::nullopt;
    int index = -1;
    if (event.key() >= Qt::Key_1 && event.key() <= Qt::Key_9)
        index = event.key() - Qt::Key_1;
    // X11 and Wayland key codes of the digit row's 1 … 9 (evdev codes 2 … 10, plus 8).
    else if (event.nativeScanCode() >= 10 && event.nativeScanCode() <= 18)
        index = int(event.nativeScanCode()) - 10;
    if (index < 0)
        return std::nullopt;
    return QuickUse{index, modifiers.testFlag(Qt::ShiftModifier)};
}

QString quickUseCap() {
    return QStringLiteral("Ctrl+1–9");
}

QString favoriteCap() {
    return QStringLiteral("Ctrl+D");
}

QString deleteCap() {
    return QStringLiteral("Ctrl+Del");
}

} // namespace stowline::PanelKeys
