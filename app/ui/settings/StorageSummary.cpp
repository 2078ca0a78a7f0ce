#include "app/ui/settings/StorageSummary.h"

#include "app/store/HistoryPersistence.h"
#include "app/store/HistoryStore.h"
#include "app/ui/settings/SettingsSection.h"
#include "core/metadata/ByteCountFormatter.h"
#include "core/metadata/ClipboardStatistics.h"
#include "app/ui/style/StyleMetrics.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace stowline {

StorageSummary::StorageSummary(HistoryStore& store, HistoryPersistence& persistence, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_persistence(persistence)
    , m_clips(new QLabel(this))
    , m_archive(new QLabel(this))
    , m_payloads(new QLabel(this))
    , m_images(new QLabel(this)) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(12);
    auto* clipsRow = new QHBoxLayout;
    clipsRow->setSpacing(SettingsMetrics::summarySpacing);
    clipsRow->addWidget(new SettingsSymbolView(Symbol::clipCount, 16, StyleRole::secondaryText, this));
    clipsRow->addWidget(m_clips);
    clipsRow->addStretch();
    QFont bold = m_clips->font();
    bold.setBold(true);
    m_clips->setFont(bold);
    layout->addLayout(clipsRow, 0, 0);
    layout->addWidget(m_archive, 0, 1, Qt::AlignRight);
    layout->addWidget(m_payloads, 1, 0);
    layout->addWidget(m_images, 1, 1, Qt::AlignRight);
    for (QLabel* label : {m_clips, m_archive, m_payloads, m_images})
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // Counting a long history is not free: only a summary on screen follows every change.
    connect(&m_store, &HistoryStore::itemsChanged, this, [this] {
        m_stale = true;
        if (isVisible())
            refresh();
    });
    connect(&m_persistence, &HistoryPersistence::archiveDiskBytesChanged, this, &StorageSummary::refreshArchiveSize);
    refresh();
}

QString StorageSummary::clipsText() const {
    return m_clips->text();
}
QString StorageSummary::archiveText() const {
    return m_archive->text();
}
QString StorageSummary::payloadsText() const {
    return m_payloads->text();
}
QString StorageSummary::imagesText() const {
    return m_images->text();
}

void StorageSummary::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_stale)
        refresh();
}

void StorageSummary::refresh() {
    m_stale = false;
    const ClipboardStatistics statistics(m_store.items());
    m_clips->setText(QString::number(statistics.totalItems) + (statistics.totalItems == 1 ? u" clip"_s : u" clips"_s));
    m_payloads->setText(u"Captured payloads "_s + ByteCountFormatter::string(statistics.capturedContentBytes));
    m_images->setText(u"Images "_s + QString::number(statistics.imageCount) + u" \u2022 "_s +
                      ByteCountFormatter::string(statistics.imageContentBytes));
    refreshArchiveSize();
}

void StorageSummary::refreshArchiveSize() {
    m_archive->setText(u"Encrypted archive "_s + ByteCountFormatter::string(m_persistence.archiveDiskBytes()));
}

} // namespace stowline
