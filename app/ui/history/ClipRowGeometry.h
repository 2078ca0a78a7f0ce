#pragma once

#include "app/preferences/PreferenceDefaults.h"
#include "core/model/ClipItem.h"

#include <QFont>
#include <QHash>
#include <QRectF>

namespace stowline {

// What of the preferences the rows are drawn with.
struct ClipRowSettings {
    int previewLineCount = int(PreferenceDefaults::previewLineCount); // 0: no limit
    double previewFontSize = PreferenceDefaults::previewFontSize;
    bool showApplicationIdentifiers = PreferenceDefaults::showApplicationIdentifiers;
};

// The fonts of a history row and where its parts lie. Heights come from laying the real texts out in the real
// fonts (so wide scripts, capitals and emoji wrap where they do when painted), once per clip and width.
class ClipRowGeometry {
public:
    static constexpr int rowSpacing = 7;
    // Lines of recognised text the pane shows at once; more scroll.
    static constexpr int recognizedTextLines = 4;

    // Where the parts of a row lie, in the list's coordinates.
    struct Parts {
        QRectF card;
        QRectF icon;
        QRectF title;
        QRectF preview;
        int previewLines = 0;
        QRectF metadata;
        QRectF favorite;
        QRectF remove;
        QRectF pane;     // the recognised-text pane of an image row
        QRectF paneText; // where its text lies and takes clicks
    };

    struct Fonts {
        QFont title, metadata, paneHeading, paneText, paneHint, previewProportional, previewMonospaced;
        qreal titleLine = 0, metadataLine = 0, paneHeadingLine = 0, paneTextLine = 0, paneHintLine = 0;
    };

    ClipRowGeometry();

    void setSettings(const ClipRowSettings& settings);
    const ClipRowSettings& settings() const { return m_settings; }
    void setWidth(int width);
    int width() const { return m_width; }
    // Fonts follow the appearance's font and the settings; measured heights are forgotten.
    void refresh();

    const Fonts& fonts() const { return m_fonts; }
    Parts parts(const QRectF& rowRect, const ClipItem& item) const;
    int height(const ClipItem& item) const;

    static bool isMonospaced(const ClipItem& item);
    // The preview as it is painted: at most the highlighter's preview limit.
    static QString previewText(const ClipItem& item);

private:
    struct Measured {
        int previewLines = 0;
        qreal previewHeight = 0;
        qreal paneTextHeight = 0;
    };
    Measured measure(const ClipItem& item, qreal contentWidth, qreal paneTextWidth) const;

    ClipRowSettings m_settings;
    Fonts m_fonts;
    int m_width = 680;
    mutable QHash<size_t, Measured> m_measured;
};

} // namespace stowline
