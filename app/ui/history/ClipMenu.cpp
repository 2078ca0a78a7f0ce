#include "app/ui/history/ClipMenu.h"

#include "app/actions/ClipboardActions.h"

namespace stowline {

ClipMenu::ClipMenu(const ClipItem& item, bool instantPaste, std::function<void(PanelKey)> act, QWidget* parent)
    : QMenu(parent) {
    setObjectName(QStringLiteral("clipMenu"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAccessibleName(QStringLiteral("Clip actions"));
    const auto add = [&](const QString& text, const QString& key, PanelKey panelKey) {
        // The key is shown beside the text only; the panel's own key handling stays the one place that acts on it.
        QAction* action = addAction(text + u'\t' + key);
        connect(action, &QAction::triggered, this, [act, panelKey] { act(panelKey); });
    };
    add(instantPaste ? QStringLiteral("Paste") : QStringLiteral("Copy"), QStringLiteral("Return"), PanelKey::use);
    if (isEditable(item.kind())) {
        add(instantPaste ? QStringLiteral("Paste as Plain Text") : QStringLiteral("Copy as Plain Text"),
            QStringLiteral("Shift+Return"), PanelKey::usePlainText);
        add(QStringLiteral("Edit…"), QStringLiteral("Alt+Return"), PanelKey::edit);
    }
    addSeparator();
    add(item.isFavorite() ? QStringLiteral("Remove from Favorites") : QStringLiteral("Add to Favorites"),
        PanelKeys::favoriteCap(), PanelKey::favorite);
    add(QStringLiteral("Delete"), PanelKeys::deleteCap(), PanelKey::remove);
}

} // namespace stowline
