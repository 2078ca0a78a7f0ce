#pragma once

#include "app/commands/ClipReport.h"
#include "core/history/HistoryEngine.h"
#include "core/support/Result.h"

#include <QString>
#include <QUuid>

#include <optional>

namespace stowline {

// How `copy`, `favorite` and `delete` name a clip: its id as `list` prints it (or any longer part of it, up to
// the whole id), its number in the list, or a whole line of `list` (as a picker such as fzf hands it back).
class ClipReference {
public:
    // Nothing when the text names no clip in any of these forms.
    static std::optional<ClipReference> parse(const QString& text);

    // The clip in `history`, or the reason for standard error when there is none or more than one.
    Result<ListedClip, QString> resolve(const HistoryEngine& history) const;

    const QString& text() const { return m_text; }

private:
    // Lower-case hex digits of an id's start, or a decimal number.
    QString m_text;
    bool m_isNumber = false;
};

} // namespace stowline
