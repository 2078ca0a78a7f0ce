#pragma once

#include <QMargins>
#include <QtGlobal>

// The sizes the windows are laid out in, in logical pixels (the unit of the window sizes): type sizes by role and
// each window's margins and gaps, so a window names what it lays out instead of repeating a number, and a change
// of look is made here.
namespace stowline {

namespace TextSize {
inline constexpr qreal paneHint = 8.5;
inline constexpr qreal badge = 9;    // the editor's format badge, the recognised-text heading
inline constexpr qreal caption = 10; // key caps, the editor's notes
inline constexpr qreal metadata = 10.5;
inline constexpr qreal footnote = 11;  // notes, recognised text, the find bar, section headings
inline constexpr qreal keyHint = 11.5; // the panel's footer and capture status
inline constexpr qreal callout = 12;   // messages, compact segments
inline constexpr qreal editorText = 12.5;
inline constexpr qreal body = 13;
inline constexpr qreal emptyTitle = 17;
inline constexpr qreal title = 18; // the search field, a settings pane's heading
inline constexpr qreal largeTitle = 20;
} // namespace TextSize

namespace PanelMetrics {
inline constexpr QMargins header{16, 14, 12, 8};
inline constexpr int headerSpacing = 10;
inline constexpr QMargins filterBar{16, 2, 16, 8};
inline constexpr int filterBarSpacing = 6;
inline constexpr int statusGap = 10;
// The rows keep clear of the panel's edges; a shown scroll bar takes the right margin's place.
inline constexpr QMargins list{12, 2, 12, 0};
inline constexpr int listRightBesideScrollBar = 6;
inline constexpr QMargins emptyState{40, 0, 40, 40};
inline constexpr int emptyStateSpacing = 10;
inline constexpr QMargins errorBanner{24, 8, 20, 8};
inline constexpr int errorBannerSpacing = 10;
inline constexpr QMargins footer{16, 8, 16, 8};
inline constexpr int hintGap = 10;
inline constexpr int hintSpacing = 5;
} // namespace PanelMetrics

namespace EditorMetrics {
inline constexpr QMargins window{22, 24, 22, 18};
inline constexpr int titleSpacing = 3;
inline constexpr int headerGap = 12;
inline constexpr int textGap = 16;
inline constexpr int footerGap = 14;
inline constexpr int footerSpacing = 10;
inline constexpr QMargins findBar{8, 5, 8, 5};
inline constexpr int findBarSpacing = 6;
} // namespace EditorMetrics

namespace SettingsMetrics {
// Tight enough that the longest pane fits the window's first size without scrolling.
inline constexpr QMargins pane{9, 4, 9, 2};
inline constexpr int paneSpacing = 12;
inline constexpr QMargins paneInset{12, 0, 12, 8};
inline constexpr QMargins view{0, 12, 0, 4};
inline constexpr int viewSpacing = 8;
inline constexpr QMargins selectorRow{24, 0, 16, 0};
inline constexpr QMargins message{24, 0, 24, 0};
inline constexpr int headingSpacing = 6;
inline constexpr QMargins sectionBox{14, 10, 14, 10};
inline constexpr int sectionRowSpacing = 8;
inline constexpr QMargins introduction{0, 0, 0, 4};
inline constexpr int introductionSpacing = 12;
inline constexpr int introductionTextSpacing = 2;
inline constexpr int introductionSymbolSize = 30;
inline constexpr int exclusionsEditorHeight = 100;
inline constexpr int summarySpacing = 6;
} // namespace SettingsMetrics

} // namespace stowline
