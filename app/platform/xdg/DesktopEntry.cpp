#include "app/platform/xdg/DesktopEntry.h"

#include <QFile>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

QString unescaped(const QString& value) {
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case u's':
            result += u' ';
            break;
        case u'n':
            result += u'\n';
            break;
        case u't':
            result += u'\t';
            break;
        case u'r':
            result += u'\r';
            break;
        default:
            result += next;
        }
    }
    return result;
}

} // namespace

std::optional<DesktopEntry> DesktopEntry::find(const QString& desktopId) {
    if (desktopId.isEmpty() || desktopId.contains(u'/'))
        return std::nullopt;
    QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId + u".desktop"_s);
    // A desktop file id names files in subfolders with '-' for '/' ("kde-konsole" for kde/konsole.desktop).
    if (path.isEmpty() && desktopId.contains(u'-')) {
        QString nested = desktopId;
        path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation,
                                      nested.replace(nested.indexOf(u'-'), 1, u'/') + u".desktop"_s);
    }
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.read(1 << 20));
}

DesktopEntry DesktopEntry::parse(QByteArrayView contents) {
    DesktopEntry entry;
    bool inMainGroup = false;
    for (const QByteArray& rawLine : contents.toByteArray().split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inMainGroup = line == u"[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inMainGroup || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!entry.m_values.contains(key))
            entry.m_values.insert(key, unescaped(line.mid(equals + 1).trimmed()));
    }
    return entry;
}

std::optional<QString> DesktopEntry::value(const QString& key) const {
    const auto found = m_values.constFind(key);
    if (found == m_values.cend() || found->isEmpty())
        return std::nullopt;
    return *found;
}

std::optional<QString> DesktopEntry::name(const QLocale& locale) const {
    const QString localeName = locale.name();
    const QStringList keys{u"Name["_s + localeName + u']', u"Name["_s + localeName.section(u'_', 0, 0) + u']'};
    for (const QString& key : keys) {
        if (auto localized = value(key))
            return localized;
    }
    return value(u"Name"_s);
}

} // namespace stowline
