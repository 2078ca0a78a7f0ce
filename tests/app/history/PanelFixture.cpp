#include "tests/app/history/PanelFixture.h"

#include "app/ui/history/ClipRow.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QListView>
#include <QTest>

using namespace Qt::StringLiterals;

namespace stowline::test {

PanelFixture::PanelFixture() : preferences(std::make_unique<PreferenceStore>(dir.filePath(u"Stowline.conf"_s))) {
    callbacks.onUse = [this](const ClipItem& item, RestoreForm form) {
        used.append({item.title(), form == RestoreForm::plainTextOnly});
    };
    callbacks.onEdit = [this](const ClipItem& item) { edited.append(item.title()); };
    callbacks.onCopyRecognizedText = [this](const QString& text) { copied.append(text); };
    callbacks.onDismiss = [this] { ++dismissed; };
    callbacks.onSettings = [this] { ++settings; };
}

PanelFixture::~PanelFixture() = default;

QUuid PanelFixture::add(ClipItem item) {
    item.setLastUsedAt(Timestamp{m_nextTime++});
    return store.capture(item, 0);
}

void PanelFixture::settle() {
    view();
    timers.fire(HistoryViewModel::debounceMilliseconds);
    model.waitForSearchQueue();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

HistoryView& PanelFixture::view() {
    if (!m_view) {
        m_view = std::make_unique<HistoryView>(store, notices, preferences, model, callbacks);
        m_view->resize(720, 560);
        m_view->show();
        QCoreApplication::processEvents();
    }
    return *m_view;
}

QListView& PanelFixture::list() {
    return *child<QListView>(u"clipList"_s);
}

void PanelFixture::key(int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(child<QLineEdit>(u"searchField"_s), Qt::Key(key), modifiers);
}

QString PanelFixture::titleAt(int row) {
    const SharedClipItem item = ClipRow::clipOf(list().model()->index(row, 0));
    return item ? item->title() : QString();
}

QString PanelFixture::topTitle() {
    const SharedClipItem item = ClipRow::clipOf(list().indexAt(QPoint(list().viewport()->width() / 2, 0)));
    return item ? item->title() : QString();
}

QString PanelFixture::selectedTitle() const {
    const SharedClipItem item = model.selectedItem();
    return item ? item->title() : QString();
}

} // namespace stowline::test
