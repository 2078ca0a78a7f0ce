#pragma once

#include "app/preferences/PreferenceDefaults.h"
#include "app/ui/history/ClipRowGeometry.h"
#include "core/highlight/TextSyntaxHighlighter.h"
#include "core/history/HistoryEngine.h"

#include <QCache>
#include <QHash>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QUuid>

#include <functional>
#include <optional>

namespace stowline {

// Paints one clip of the history list, read through the model's clip role: its icon, colour swatch or thumbnail,
// the title, the coloured preview, the metadata line, the favourite and delete buttons and, for images, the
// recognised-text pane, whose text is a RecognizedTextView the view opens over visible image rows. The buttons
// show, and take clicks, on the selected row and on the row the pointer was last seen over. Row heights come
// from laying the texts out, cached per clip; thumbnails are decoded only for rows that are painted, through a
// bounded cache.
class ClipRow : public QStyledItemDelegate {
    Q_OBJECT

public:
    struct Callbacks {
        std::function<void(const QUuid&)> onSelect;
        std::function<void(const QUuid&)> onFavorite;
        std::function<void(const QUuid&)> onDelete;
        std::function<void(const QString&)> onCopyRecognizedText;
    };

    static constexpr int thumbnailCacheSize = 96;
    static constexpr qsizetype maxRememberedPanePlaces = 256;

    ClipRow(Callbacks callbacks, QObject* parent = nullptr);

    void setSettings(const ClipRowSettings& settings);
    const ClipRowSettings& settings() const { return m_geometry.settings(); }
    // The width rows are laid out for.
    void setWidth(int width);
    // The clip the pointer was last seen over; its row shows the buttons.
    void setHoveredClip(std::optional<QUuid> id) { m_hovered = id; }
    const std::optional<QUuid>& hoveredClip() const { return m_hovered; }
    // Whether the first nine rows show the number that Ctrl+1 … Ctrl+9 use them by.
    void setRowNumbersShown(bool shown) { m_rowNumbersShown = shown; }
    bool rowNumbersShown() const { return m_rowNumbersShown; }

    static SharedClipItem clipOf(const QModelIndex& index);
    // Where the parts of the row at `rowRect` lie.
    ClipRowGeometry::Parts parts(const QRect& rowRect, const ClipItem& item) const {
        return m_geometry.parts(rowRect, item);
    }
    // Whether the row has a recognised-text view over its pane.
    static bool hasRecognizedTextView(const ClipItem& item);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

private:
    const HighlightedText& highlighted(const ClipItem& item) const;
    QPixmap thumbnail(const ClipItem& item) const;
    bool showsButtons(const QStyleOptionViewItem& option, const ClipItem& item) const;
    void paintIcon(QPainter& painter, const ClipItem& item, const QRectF& rect) const;
    void paintPane(QPainter& painter, const ClipItem& item, const ClipRowGeometry::Parts& parts,
                   bool textShownByView) const;

    Callbacks m_callbacks;
    ClipRowGeometry m_geometry;
    std::optional<QUuid> m_hovered;
    bool m_rowNumbersShown = false;
    mutable QCache<QString, QPixmap> m_thumbnails{thumbnailCacheSize};
    mutable QCache<QString, HighlightedText> m_highlights{400};
    // Where each recognised text was scrolled to, so a pane scrolled out of the list and back opens there.
    struct PanePlace {
        size_t textHash = 0;
        int line = 0;
    };
    mutable QHash<QUuid, PanePlace> m_panePlaces;
};

} // namespace stowline
