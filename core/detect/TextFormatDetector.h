#pragma once

#include "core/model/TextContentFormat.h"

#include <QList>
#include <QStringView>

namespace stowline::TextFormatDetector {

inline constexpr qint64 currentVersion = 1;
// Only this many user-perceived characters at the start of a text are examined.
inline constexpr qsizetype classificationCharacterLimit = 4096;

// Any thread; never fails.
TextContentFormat detect(QStringView text);

// The individual rules, on the trimmed sample and its lines.
bool isJSON(QStringView sample);
bool looksLikeTruncatedJSON(QStringView sample, bool originalWasLonger);
// Splits at every line feed, carriage return, vertical tab, form feed, U+0085, U+2028 and U+2029.
QList<QStringView> lines(QStringView sample);
int markdownScore(const QList<QStringView>& lines, QStringView sample);
int sqlScore(QStringView sample);
int swiftScore(QStringView sample);
int pythonScore(const QList<QStringView>& lines, QStringView sample);
int javascriptScore(QStringView sample);
int shellScore(const QList<QStringView>& lines, QStringView sample);
int yamlScore(const QList<QStringView>& lines, QStringView sample);
int genericCodeScore(QStringView sample);

} // namespace stowline::TextFormatDetector
