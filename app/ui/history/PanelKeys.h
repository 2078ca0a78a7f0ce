#pragma once

#include "app/actions/ClipboardActions.h"

#include <QString>

#include <optional>

class QKeyEvent;

namespace stowline {

// What a key pressed in the panel asks for. Return uses the selected clip (Shift: as plain text), Alt+Return edits
// it, Escape dismisses; Up, Down, Page Up and Page Down move the selection, as do Home and End while the search is
// empty (Ctrl+Home and Ctrl+End always); Ctrl+D makes the selected clip a favourite or no longer one, Ctrl+Delete
// deletes it; the Menu key and Shift+F10 open the selected clip's menu. Anything else, and these keys with other
// modifiers, is typing for the search field.
enum class PanelKey {
    use,
    usePlainText,
    edit,
    dismiss,
    up,
    down,
    pageUp,
    pageDown,
    first,
    last,
    favorite,
    remove,
    menu
};

namespace PanelKeys {

std::optional<PanelKey> of(const QKeyEvent& event, bool searchIsEmpty);

// Ctrl+1 … Ctrl+9 use the 1st … 9th visible clip as Return does, with Shift as Shift+Return.
struct QuickUse {
    int index = 0; // 0 for Ctrl+1
    bool plainText = false;
};
// The digit row is read by its position when the layout gives the digits only with Shift (AZERTY) or Shift
// turns them into punctuation.
std::optional<QuickUse> quickUse(const QKeyEvent& event);
QString quickUseCap();

// The key caps the footer shows for the two clip actions.
QString favoriteCap();
QString deleteCap();

} // namespace PanelKeys

} // namespace stowline
