#include "app/commands/ClipReference.h"

namespace stowline {

namespace {

constexpr qsizetype shortestIdLength = 8;
constexpr qsizetype idHexDigits = 32;

bool isHex(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
}

} // namespace

std::optional<ClipReference> ClipReference::parse(const QString& text) {
    QString operand = text.trimmed();
    // A line of `list`: number, id, kind and title.
    if (operand.contains(u'\t'))
        operand = operand.section(u'\t', 1, 1).trimmed();
    operand = operand.toLower();

    ClipReference reference;
    QString digits = operand;
    if (digits.startsWith(u'{') && digits.endsWith(u'}'))
        digits = digits.mid(1, digits.size() - 2);
    digits.remove(u'-');
    if (digits.size() >= shortestIdLength && digits.size() <= idHexDigits &&
        std::all_of(digits.begin(), digits.end(), isHex) &&
        (digits.size() == operand.size() || digits.size() == idHexDigits)) {
        reference.m_text = digits;
        return reference;
    }
    bool ok = false;
    const qlonglong number = operand.toLongLong(&ok);
    if (ok && number >= 1 && operand.front().isDigit()) {
        reference.m_text = QString::number(number);
        reference.m_isNumber = true;
        return reference;
    }
    return std::nullopt;
}

Result<ListedClip, QString> ClipReference::resolve(const HistoryEngine& history) const {
    if (m_isNumber) {
        const qsizetype number = m_text.toLongLong();
        if (number > history.size())
            return fail(QStringLiteral("there is no clip %1; the history holds %2").arg(m_text).arg(history.size()));
        return ListedClip{number, history.at(number - 1)};
    }
    std::optional<ListedClip> found;
    for (qsizetype i = 0; i < history.size(); ++i) {
        if (!history.at(i).id().toString(QUuid::Id128).startsWith(m_text))
            continue;
        if (found)
            return fail(QStringLiteral("%1 names more than one clip; give more of its id").arg(m_text));
        found = ListedClip{i + 1, history.at(i)};
    }
    if (!found)
        return fail(QStringLiteral("no clip has the id %1").arg(m_text));
    return *found;
}

} // namespace stowline
