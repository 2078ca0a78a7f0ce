#pragma once

#include "app/ui/history/PanelKeys.h"
#include "core/model/ClipItem.h"

#include <QMenu>

#include <functional>

namespace stowline {

// The actions of one clip as a menu, opened by a right-click on its row or by the Menu key: the panel's own keys,
// each shown with its key, so favouring and deleting a clip are reachable without the painted row buttons, by
// assistive technology as by anyone. Choosing an action hands its key to `act`; the menu deletes itself on close.
class ClipMenu : public QMenu {
    Q_OBJECT

public:
    struct Options {
        bool instantPaste = false;
        bool plainTextByDefault = false;
    };

    ClipMenu(const ClipItem& item, Options options, std::function<void(PanelKey)> act, QWidget* parent = nullptr);
};

} // namespace stowline
