#include "app/ui/history/ClipMenu.h"

#include "app/actions/ClipboardActions.h"

namespace stowline {

ClipMenu::ClipMenu(const ClipItem& item, Options options, std::function<void(PanelKey)> act, QWidget* parent)
    : QMenu(parent) {
    setObjectName(QStringLiteral("clipMenu"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAccessibleName(QStringLiteral("Clip actions"));
    const auto add = [&](const QString& text, const QString& key, PanelKey panelKey) {
        // The key is shown beside the text only; the panel's own key handling stays the one place that acts on it.
        QAction* action = addAction(text + u'\t' + key);
        connect(action, &QAction::triggered, this, [act, panelKey] { act(panelKey); });
    };
    const QString use = options.instantPaste ? QStringLiteral("Paste") : QStringLiteral("Copy");
    const QString plain = use + QStringLiteral(" as Plain Text");
    if (!isEditable(item.kind())) {
        add(use, QStringLiteral("Return"), PanelKey::use);
    } else {
        // Return gives what the preference makes the default; the entries name the form, the keys follow it.
        add(options.plainTextByDefault ? plain : use, QStringLiteral("Return"), PanelKey::use);
        add(options.plainTextByDefault ? use + QStringLiteral(" with Formatting") : plain,
            QStringLiteral("Shift+Return"), PanelKey::usePlainText);
        add(QStringLiteral("Edit…"), QStringLiteral("Alt+Return"), PanelKey::edit);
    }
    addSeparator();
    add(item.isFavorite() ? QStringLiteral("Remove from Favorites") : QStringLiteral("Add to Favorites"),
        PanelKeys::favoriteCap(), PanelKey::favorite);
    add(QStringLiteral("Delete"), PanelKeys::deleteCap(), PanelKey::remove);
}

} // namespace stowline
