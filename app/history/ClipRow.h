#pragma once

#include "app/history/RowTextLayout.h"
#include "app/preferences/PreferenceDefaults.h"
#include "core/highlight/TextSyntaxHighlighter.h"
#include "core/model/ClipItem.h"
#include "core/search/SmartSearch.h"

#include <QCache>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QUuid>

#include <functional>
#include <optional>

namespace stowline {

class HistoryListModel;

// What of the preferences the rows are drawn with.
struct ClipRowSettings {
    int previewLineCount = int(PreferenceDefaults::previewLineCount); // 0: no limit
    double previewFontSize = PreferenceDefaults::previewFontSize;
    bool showApplicationIdentifiers = PreferenceDefaults::showApplicationIdentifiers;
};

// Paints one clip of the history list: its icon, colour swatch or thumbnail, the title, the coloured preview,
// the metadata line, the favourite and delete buttons and, for images, the recognised-text pane, whose clicks
// copy a line, a word or all of the text. Row heights come from the settings and the texts' lengths, never
// from laying the rows out. Thumbnails are decoded only for rows that are painted, through a bounded cache.
class ClipRow : public QStyledItemDelegate {
    Q_OBJECT

public:
    struct Callbacks {
        std::function<void(const QUuid&)> onSelect;
        std::function<void(const QUuid&)> onFavorite;
        std::function<void(const QUuid&)> onDelete;
        std::function<void(const QString&)> onCopyRecognizedText;
    };

    // Where the parts of a row lie, in the list's coordinates.
    struct Geometry {
        QRectF card;
        QRectF icon;
        QRectF title;
        QRectF preview;
        int previewLines = 0;
        QRectF metadata;
        QRectF favorite;
        QRectF remove;
        QRectF pane;       // the recognised-text pane of an image row
        QRectF paneText;   // where its text lies and takes clicks
        int paneLines = 0; // lines of recognised text shown
    };

    static constexpr int rowSpacing = 7;
    static constexpr int recognizedTextLines = 4;
    static constexpr int flashMilliseconds = 400;
    static constexpr int thumbnailCacheSize = 96;

    ClipRow(const HistoryListModel& model, Callbacks callbacks, QObject* parent = nullptr);

    void setSettings(const ClipRowSettings& settings);
    const ClipRowSettings& settings() const { return m_settings; }
    void setSelectedRow(int row) { m_selectedRow = row; }
    // The width rows are laid out for.
    void setWidth(int width) { m_width = width; }

    Geometry geometry(const QRect& rowRect, const ClipItem& item) const;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // The row's text for assistive technology; the excerpt of recognised text follows the search.
    static QString accessibilityLabel(const ClipItem& item, bool showApplicationIdentifiers, const SmartSearch& search);
    // The parts under the preview joined by " • ", the time of last use last.
    static QString metadataLine(const ClipItem& item, bool showApplicationIdentifiers, Timestamp now);
    // The recognised text of an image row laid out as the pane shows it.
    RowTextLayout recognizedTextLayout(const QString& text, const Geometry& geometry) const;
    // Handles a click on the recognised text at `point` (the list's coordinates): copies and flashes, or beeps.
    void copyRecognizedText(const ClipItem& item, const Geometry& geometry, const QPointF& point, bool shift);

    static QString recognizedTextHelp();
    static QString recognizedTextHint();

Q_SIGNALS:
    // The row of that clip must be painted again (a copy flash began or ended).
    void repaintNeeded(const QUuid& id);

private:
    struct Flash {
        QUuid id;
        qsizetype location = 0;
        qsizetype length = 0;
    };

    // Fonts and their measures, worked out once per settings and appearance rather than once per row.
    struct Metrics {
        QFont title, metadata, paneHeading, paneText, paneHint, previewProportional, previewMonospaced;
        qreal titleLine = 0, metadataLine = 0, paneHeadingLine = 0, paneTextLine = 0, paneHintLine = 0;
        qreal proportionalLine = 0, monospacedLine = 0;
        qreal proportionalCharacter = 0, monospacedCharacter = 0, paneCharacter = 0;
    };

    void updateMetrics();
    const HighlightedText& highlighted(const ClipItem& item) const;
    bool isMonospaced(const ClipItem& item) const;
    QPixmap thumbnail(const ClipItem& item) const;
    void paintIcon(QPainter& painter, const ClipItem& item, const QRectF& rect) const;
    void paintPane(QPainter& painter, const ClipItem& item, const Geometry& geometry) const;

    const HistoryListModel& m_model;
    Callbacks m_callbacks;
    ClipRowSettings m_settings;
    Metrics m_metrics;
    int m_selectedRow = -1;
    int m_width = 680;
    std::optional<Flash> m_flash;
    QTimer m_flashTimer;
    mutable QCache<QString, QPixmap> m_thumbnails{thumbnailCacheSize};
    mutable QCache<QString, HighlightedText> m_highlights{400};
};

} // namespace stowline
