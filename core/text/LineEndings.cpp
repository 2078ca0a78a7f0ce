#include "core/text/LineEndings.h"

#include <QList>

#include <algorithm>

namespace stowline::LineEndings {

namespace {

QString firstLineEnding(const QString& text) {
    const qsizetype at = text.indexOf(u'\r');
    const qsizetype feed = text.indexOf(u'\n');
    if (at < 0 || (feed >= 0 && feed < at))
        return QStringLiteral("\n");
    return at + 1 < text.size() && text.at(at + 1) == u'\n' ? QStringLiteral("\r\n") : QStringLiteral("\r");
}

} // namespace

QString normalized(const QString& text) {
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(u'\r', u'\n');
    return result;
}

QString restored(const QString& original, const QString& edited) {
    // Where each character of the normalized original starts in the original, plus its end.
    QList<qsizetype> starts;
    starts.reserve(original.size() + 1);
    for (qsizetype i = 0; i < original.size(); ++i) {
        starts.append(i);
        if (original.at(i) == u'\r' && i + 1 < original.size() && original.at(i + 1) == u'\n')
            ++i;
    }
    starts.append(original.size());
    const qsizetype length = starts.size() - 1;
    const QString plain = normalized(original);

    qsizetype prefix = 0;
    const qsizetype shortest = std::min(length, edited.size());
    while (prefix < shortest && plain.at(prefix) == edited.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shortest - prefix && plain.at(length - 1 - suffix) == edited.at(edited.size() - 1 - suffix))
        ++suffix;

    QString middle = edited.mid(prefix, edited.size() - prefix - suffix);
    const QString ending = firstLineEnding(original);
    if (ending != u"\n")
        middle.replace(u'\n', ending);
    return original.left(starts[prefix]) + middle + original.mid(starts[length - suffix]);
}

} // namespace stowline::LineEndings
