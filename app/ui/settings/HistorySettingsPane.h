#pragma once

#include "app/ui/settings/SettingsContext.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QPushButton;

namespace stowline {

class ExactFontSizeField;
class ExactPositiveIntegerField;
class StorageSummary;

// The history's limits, its presentation and its storage.
class HistorySettingsPane : public QWidget {
    Q_OBJECT

public:
    HistorySettingsPane(SettingsContext& context, QWidget* parent = nullptr);

    QCheckBox* keepForeverToggle() const { return m_keepForever; }
    QCheckBox* unlimitedItemsToggle() const { return m_unlimitedItems; }
    QCheckBox* allLinesToggle() const { return m_allLines; }
    ExactPositiveIntegerField* daysField() const { return m_days; }
    ExactPositiveIntegerField* itemsField() const { return m_items; }
    ExactPositiveIntegerField* linesField() const { return m_lines; }
    ExactFontSizeField* fontSizeField() const { return m_fontSize; }
    StorageSummary* storageSummary() const { return m_summary; }
    QPushButton* clearNonFavoritesButton() const { return m_clearNonFavorites; }
    QPushButton* clearAllButton() const { return m_clearAll; }

    // The question a lowered limit asks before it removes clips, while it is open.
    QMessageBox* limitAlert() const { return m_pendingLimitAlert; }

Q_SIGNALS:
    void clearAllRequested();

private:
    void confirmHistoryLimit(qint64 limit);

    SettingsContext& m_context;
    QCheckBox* m_keepForever;
    QCheckBox* m_unlimitedItems;
    QCheckBox* m_allLines;
    ExactPositiveIntegerField* m_days;
    ExactPositiveIntegerField* m_items;
    ExactPositiveIntegerField* m_lines;
    ExactFontSizeField* m_fontSize;
    StorageSummary* m_summary;
    QPushButton* m_clearNonFavorites;
    QPushButton* m_clearAll;
    QPointer<QMessageBox> m_pendingLimitAlert;
};

} // namespace stowline
