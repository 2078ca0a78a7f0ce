#pragma once

#include <QWidget>

class QLabel;

namespace stowline {

class HistoryPersistence;
class HistoryStore;

// How much the history holds: clips and archive size, captured payloads and images, in decimal byte counts.
class StorageSummary : public QWidget {
    Q_OBJECT

public:
    StorageSummary(HistoryStore& store, HistoryPersistence& persistence, QWidget* parent = nullptr);

    QString clipsText() const;
    QString archiveText() const;
    QString payloadsText() const;
    QString imagesText() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void refreshArchiveSize();

    HistoryStore& m_store;
    HistoryPersistence& m_persistence;
    QLabel* m_clips;
    QLabel* m_archive;
    QLabel* m_payloads;
    QLabel* m_images;
    bool m_stale = true;
};

} // namespace stowline
