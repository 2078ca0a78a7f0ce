#pragma once

#include "core/model/ClipItem.h"
#include "core/model/ClipListUpgrade.h"
#include "core/model/CredentialClassification.h"

#include <QList>
#include <QStringView>

#include <optional>

namespace stowline::CredentialDetector {

inline constexpr qint64 currentVersion = 1;
// Longer texts (in user-perceived characters, after trimming) are never credentials.
inline constexpr qsizetype maximumScannedCharacters = 4096;

// Any thread. A concealed entry is a credential even without text.
bool isCredential(std::optional<QStringView> text, bool wasConcealed);
CredentialClassification classify(std::optional<QStringView> text, bool wasConcealed);
// A stored clip, from its plain text (or its preview when that is missing or not UTF-8); never concealed.
CredentialClassification classify(const ClipItem& item);
// Classifies a clip without a classification of the current version; returns whether it did.
bool upgradeClip(ClipItem& item);
// The same for every clip.
ClipListUpgrade upgrade(QList<ClipItem> items);

// The individual rules, on an already trimmed text.
bool isJWT(QStringView text);
bool isHighEntropyStandaloneToken(QStringView text);

} // namespace stowline::CredentialDetector
