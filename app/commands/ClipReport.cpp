#include "app/commands/ClipReport.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSet>

namespace stowline::ClipReport {

namespace {

constexpr qsizetype shortestIdLength = 8;

QString hexDigits(const QUuid& id) {
    return id.toString(QUuid::Id128);
}

// Every entry stays one line for scripts, whatever its title holds.
QString oneLine(QString text) {
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return text;
}

QJsonValue optional(const std::optional<QString>& value) {
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonValue optional(const std::optional<qint64>& value) {
    return value ? QJsonValue(*value) : QJsonValue();
}

QString isoTime(Timestamp time) {
    return time.toDateTime().toString(Qt::ISODateWithMs);
}

QJsonObject jsonOf(const ListedClip& clip, bool showSecrets) {
    const ClipItem& item = clip.item;
    const bool concealed = item.isCredential() && !showSecrets;
    QJsonObject object;
    object.insert(QStringLiteral("id"), item.id().toString(QUuid::WithoutBraces));
    object.insert(QStringLiteral("number"), clip.number);
    object.insert(QStringLiteral("kind"), rawValue(item.kind()));
    object.insert(QStringLiteral("title"), title(item, showSecrets));
    object.insert(QStringLiteral("preview"), concealed ? QJsonValue() : QJsonValue(item.preview()));
    object.insert(QStringLiteral("textFormat"),
                  item.textFormat() ? QJsonValue(rawValue(*item.textFormat())) : QJsonValue());
    object.insert(QStringLiteral("sourceAppName"), optional(item.sourceAppName()));
    object.insert(QStringLiteral("sourceBundleIdentifier"), optional(item.sourceBundleIdentifier()));
    object.insert(QStringLiteral("isFavorite"), item.isFavorite());
    object.insert(QStringLiteral("isCredential"), item.isCredential());
    object.insert(QStringLiteral("createdAt"), isoTime(item.createdAt()));
    object.insert(QStringLiteral("lastUsedAt"), isoTime(item.lastUsedAt()));
    object.insert(QStringLiteral("byteCount"), item.byteCount());
    object.insert(QStringLiteral("capturedFileSizeBytes"), optional(item.capturedFileSizeBytes()));
    object.insert(QStringLiteral("imagePixelWidth"), optional(item.imagePixelWidth()));
    object.insert(QStringLiteral("imagePixelHeight"), optional(item.imagePixelHeight()));
    return object;
}

} // namespace

QList<ListedClip> select(const HistoryEngine& history, const ClipQuery& query) {
    const qsizetype limit = query.limit > 0 ? query.limit : history.size();
    QList<ListedClip> selected;
    if (query.words.isEmpty() && query.filter == HistoryFilter::all) {
        for (qsizetype i = 0; i < history.size() && selected.size() < limit; ++i)
            selected.append({i + 1, history.at(i)});
        return selected;
    }
    QHash<QUuid, qsizetype> numbers;
    numbers.reserve(history.size());
    for (qsizetype i = history.size() - 1; i >= 0; --i)
        numbers.insert(history.at(i).id(), i + 1);
    const QList<ClipItem> found = history.filtered(query.words.join(u' '), query.filter);
    for (qsizetype i = 0; i < found.size() && selected.size() < limit; ++i)
        selected.append({numbers.value(found[i].id()), found[i]});
    return selected;
}

qsizetype idLength(const HistoryEngine& history) {
    qsizetype length = shortestIdLength;
    QSet<QString> seen;
    for (;;) {
        seen.clear();
        bool unique = true;
        for (qsizetype i = 0; i < history.size() && unique; ++i) {
            const QString prefix = hexDigits(history.at(i).id()).left(length);
            unique = !seen.contains(prefix);
            seen.insert(prefix);
        }
        // Equal ids (which the history never holds) would otherwise never tell apart.
        if (unique || length >= 32)
            return length;
        ++length;
    }
}

QString shortId(const QUuid& id, qsizetype length) {
    return hexDigits(id).left(length);
}

QString title(const ClipItem& item, bool showSecrets) {
    if (!item.isCredential() || showSecrets)
        return item.title();
    if (item.sourceAppName() && !item.sourceAppName()->isEmpty())
        return QStringLiteral("Credential from %1").arg(*item.sourceAppName());
    return QStringLiteral("Credential");
}

QString render(const QList<ListedClip>& clips, const ClipQuery& query, qsizetype idLength) {
    QString output;
    for (const ListedClip& clip : clips) {
        if (query.json) {
            output += QString::fromUtf8(QJsonDocument(jsonOf(clip, query.showSecrets)).toJson(QJsonDocument::Compact));
        } else {
            output += QString::number(clip.number) + u'\t' + shortId(clip.item.id(), idLength) + u'\t' +
                      rawValue(clip.item.kind()) + u'\t' + oneLine(title(clip.item, query.showSecrets));
        }
        output += u'\n';
    }
    return output;
}

} // namespace stowline::ClipReport
