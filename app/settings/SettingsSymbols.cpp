#include "app/settings/SettingsSymbols.h"

#include <QApplication>
#include <QStyle>

#include <array>

namespace stowline::SettingsSymbols {

namespace {

struct Symbol {
    const char16_t* name;
    const char16_t* themeIcon;
    QStyle::StandardPixmap fallback;
};

constexpr std::array<Symbol, 5> symbols{{
    {u"gearshape", u"preferences-system", QStyle::SP_ComputerIcon},
    {u"clock.arrow.circlepath", u"document-open-recent", QStyle::SP_BrowserReload},
    {u"hand.raised", u"security-high", QStyle::SP_VistaShield},
    {u"keyboard", u"input-keyboard", QStyle::SP_DesktopIcon},
    {u"list.bullet.rectangle", u"view-list-details", QStyle::SP_FileDialogListView},
}};

} // namespace

QIcon icon(const QString& symbol) {
    for (const Symbol& s : symbols) {
        if (symbol == QStringView(s.name))
            return QIcon::fromTheme(QString::fromUtf16(s.themeIcon), QApplication::style()->standardIcon(s.fallback));
    }
    return {};
}

} // namespace stowline::SettingsSymbols
