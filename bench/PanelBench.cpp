// The history panel over 100,000 clips: from the show request to the first frame with rows, and from the search
// debounce firing to the new rows painted, each against a bare list view of 100,000 fixed-height rows shown the
// same way; the memory the shown panel adds; and whether holding Down scrolls without dropping frames.
#include "app/actions/ClipboardActions.h"
#include "app/capture/ClipboardMonitor.h"
#include "app/notices/Notices.h"
#include "app/platform/fake/FakeFloatingWindows.h"
#include "app/platform/fake/FakeFrontmostApplication.h"
#include "app/platform/fake/FakeKeystrokePoster.h"
#include "app/platform/fake/FakePasteboard.h"
#include "app/preferences/AppPreferences.h"
#include "app/store/HistoryStore.h"
#include "app/ui/history/HistoryView.h"
#include "app/ui/history/HistoryViewModel.h"
#include "app/ui/history/HistoryWindowManager.h"
#include "app/ui/widgets/FloatingWindow.h"
#include "bench/BenchRegistry.h"
#include "bench/SyntheticHistory.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;
using namespace stowline;

namespace {

constexpr int kRepeats = 7;

double residentMegabytes() {
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * 4096.0 / 1e6;
}

QByteArray thumbnailJpeg(int salt) {
    QImage image(256, 160, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(salt * 37 % 360, 120, 220));
    QPainter painter(&image);
    painter.fillRect(20, 20, 120, 60, QColor::fromHsv(salt * 71 % 360, 200, 120));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 78);
    return bytes;
}

// Texts, code, links, colours and images with thumbnails and recognised text.
QList<ClipItem> mixedHistory(int count) {
    QList<ClipItem> items = bench::syntheticHistory(count, 3);
    QList<QByteArray> thumbnails;
    for (int i = 0; i < 16; ++i)
        thumbnails.append(thumbnailJpeg(i));
    for (int i = 0; i < items.size(); ++i) {
        const ClipItem& base = items[i];
        const auto remade = [&](ClipKind kind, const QString& title, const QString& preview) {
            ClipCore core = base.core();
            core.kind = kind;
            core.title = title;
            core.preview = preview;
            core.thumbnailData = std::nullopt;
            return ClipItem(std::move(core));
        };
        switch (i % 10) {
        case 1:
            items[i] = remade(ClipKind::text, base.title(),
                              u"def handler(event):\n    return {'id': %1, 'ok': True}\n# "_s.arg(i) + base.preview());
            items[i].setTextFormat(TextContentFormat::python);
            break;
        case 3:
            items[i] = remade(ClipKind::link, u"https://example.org/%1"_s.arg(i), u"https://example.org/%1"_s.arg(i));
            break;
        case 5:
            items[i] = remade(ClipKind::color, u"#%1"_s.arg(i % 0xFFFFFF, 6, 16, QChar(u'0')),
                              u"#%1"_s.arg(i % 0xFFFFFF, 6, 16, QChar(u'0')));
            break;
        case 7: {
            ClipItem image({.id = base.id(),
                            .createdAt = base.createdAt(),
                            .lastUsedAt = base.lastUsedAt(),
                            .kind = ClipKind::image,
                            .title = u"Image"_s,
                            .preview = u"Image from Viewer"_s,
                            .sourceAppName = u"Viewer"_s,
                            .contentHash = base.contentHash(),
                            .byteCount = 40000,
                            .representations = {ClipRepresentation{0, TypeIdentifier::png, QByteArray(16, 'x')}},
                            .thumbnailData = thumbnails[i % thumbnails.size()]});
            image.setImagePixelWidth(1280);
            image.setImagePixelHeight(800);
            image.setRecognizedText(base.title() + u"\nTotal 42.00"_s);
            image.setTextRecognitionVersion(1);
            items[i] = image;
            break;
        }
        default:
            break;
        }
    }
    return items;
}

// Keeps the event loop running until `done`, returning the seconds it took.
double secondsUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return double(timer.nsecsElapsed()) / 1e9;
}

// Notes when a watched widget paints.
class PaintWatch : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            lastPaint.start();
            gaps.append(sincePrevious.isValid() ? double(sincePrevious.restart()) : 0.0);
            if (!sincePrevious.isValid())
                sincePrevious.start();
        }
        return false;
    }
    int paints = 0;
    QElapsedTimer lastPaint;
    QElapsedTimer sincePrevious;
    QList<double> gaps;
};

class FixedRows : public QAbstractListModel {
public:
    explicit FixedRows(int count, int salt = 0) : m_count(count), m_salt(salt) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_count; }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole ? QVariant(u"Row %1"_s.arg(index.row() + m_salt)) : QVariant();
    }
    void reset(int salt) {
        beginResetModel();
        m_salt = salt;
        endResetModel();
    }

private:
    int m_count;
    int m_salt;
};

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

int run(const QStringList& arguments) {
    const int clips = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    QTextStream out(stdout);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        out << "The panel run needs a display (DISPLAY or QT_QPA_PLATFORM=offscreen).\n";
        return 2;
    }
    QTemporaryDir dir;
    AppPreferences preferences(std::make_unique<PreferenceStore>(dir.filePath(u"Stowline.conf"_s)));
    preferences.setInactivityCloseEnabled(false);
    HistoryStore store;
    store.merge(mixedHistory(clips), 0);
    FakePasteboard pasteboard;
    FakeKeystrokePoster keystrokes;
    ClipboardActions actions(pasteboard, keystrokes);
    FakeFrontmostApplication frontmost;
    FakeFloatingWindows floating;

    // The debounce's timer tells when it fires, before the view model hears of it.
    QElapsedTimer sinceDebounce;
    int debounces = 0;
    const TimerFactory timers = [&] {
        auto timer = std::make_unique<SystemOneShotTimer>();
        QObject::connect(timer.get(), &OneShotTimer::timeout, timer.get(), [&] {
            sinceDebounce.start();
            ++debounces;
        });
        return std::unique_ptr<OneShotTimer>(std::move(timer));
    };
    Notices notices;
    HistoryWindowManager manager(store, notices, preferences, actions, frontmost, floating, timers);
    HistoryViewModel& model = manager.viewModel();
    // As after start-up: the first list is there and the texts are folded.
    secondsUntil([&] { return model.visibleItems().size() == clips; });
    model.waitForSearchQueue();

    const double before = residentMegabytes();
    PaintWatch watch;
    QList<double> shows;
    double firstShow = 0;
    double shownMegabytes = 0;
    for (int i = 0; i < kRepeats; ++i) {
        watch.paints = 0;
        QElapsedTimer timer;
        timer.start();
        manager.show(HistoryWindowManager::PanelState::reset);
        // The view of this showing; the previous one is on its way out.
        auto* list = manager.window()->content()->findChild<QListView*>(u"clipList"_s);
        list->viewport()->installEventFilter(&watch);
        secondsUntil([&] { return watch.paints > 0 && list->model()->rowCount() > 0; });
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (i == 0) {
            firstShow = seconds;
            shownMegabytes = residentMegabytes() - before;
        }
        shows.append(seconds);
        if (i + 1 < kRepeats)
            manager.dismiss();
        // The reset of the next showing waits for its debounce; let it settle as a user's pause would.
        secondsUntil([&] { return model.visibleItems().size() == clips; });
    }

    // Search: two words, timed from the debounce firing to the new rows painted.
    auto* list = manager.window()->content()->findChild<QListView*>(u"clipList"_s);
    list->viewport()->installEventFilter(&watch);
    const QStringList queries{u"invoice meeting"_s, u"report memo"_s, u"draft café"_s, u"résumé invoice"_s,
                              u"meeting report"_s,  u"memo draft"_s,  u"café résumé"_s};
    QList<double> searches;
    qsizetype matched = 0;
    for (const QString& query : queries) {
        int changes = 0;
        const QMetaObject::Connection counting =
            QObject::connect(&model, &HistoryViewModel::visibleItemsChanged, &model, [&] { ++changes; });
        const int fired = debounces;
        model.setQuery(query);
        secondsUntil([&] { return debounces > fired; });
        watch.paints = 0;
        // A search without matches shows the empty state instead of painting the list.
        secondsUntil([&] { return changes > 0 && (watch.paints > 0 || model.visibleItems().isEmpty()); });
        searches.append(double(sinceDebounce.nsecsElapsed()) / 1e9);
        matched += model.visibleItems().size();
        QObject::disconnect(counting);
    }

    // Holding Down: a key every 33 ms (a typical repeat rate) for two seconds, with the scroll animating.
    model.setQuery(QString());
    secondsUntil([&] { return model.visibleItems().size() == clips; });
    auto* field = manager.window()->content()->findChild<QLineEdit*>(u"searchField"_s);
    watch.gaps.clear();
    watch.sincePrevious.invalidate();
    double slowestKey = 0;
    for (int i = 0; i < 60; ++i) {
        QElapsedTimer key;
        key.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(field, &press);
        slowestKey = std::max(slowestKey, double(key.nsecsElapsed()) / 1e6);
        QElapsedTimer frame;
        frame.start();
        while (frame.elapsed() < 33)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    }
    const double longestGap = watch.gaps.size() > 1 ? *std::max_element(watch.gaps.begin() + 1, watch.gaps.end()) : 0;
    const int dropped = int(std::count_if(watch.gaps.begin() + std::min<qsizetype>(1, watch.gaps.size()),
                                          watch.gaps.end(), [](double gap) { return gap > 25.0; }));
    manager.dismiss();

    // The baseline: a bare list of as many fixed-height rows, shown and refilled the same way.
    QList<double> bareShows;
    QList<double> bareResets;
    for (int i = 0; i < kRepeats; ++i) {
        FixedRows rows(clips);
        QListView bare;
        bare.setUniformItemSizes(true);
        bare.resize(720, 560);
        PaintWatch bareWatch;
        bare.viewport()->installEventFilter(&bareWatch);
        QElapsedTimer timer;
        timer.start();
        bare.setModel(&rows);
        bare.show();
        secondsUntil([&] { return bareWatch.paints > 0; });
        bareShows.append(double(timer.nsecsElapsed()) / 1e9);
        bareWatch.paints = 0;
        timer.restart();
        rows.reset(i + 1);
        secondsUntil([&] { return bareWatch.paints > 0; });
        bareResets.append(double(timer.nsecsElapsed()) / 1e9);
    }

    const double show = median(shows);
    const double search = median(searches);
    const double bareShow = median(bareShows);
    const double bareReset = median(bareResets);
    out << "clips=" << clips << " search_matches_per_query=" << matched / queries.size() << '\n';
    out << "first_show_ms=" << firstShow * 1000 << " show_to_rows_painted_ms=" << show * 1000
        << " (goal < 100) bare_list_show_ms=" << bareShow * 1000 << '\n';
    out << "debounce_to_rows_painted_ms=" << search * 1000 << " (goal < 50) bare_list_refill_ms=" << bareReset * 1000
        << '\n';
    out << "shown_panel_adds_mb=" << shownMegabytes << " (goal < 50)\n";
    out << "holding_down: slowest_key_ms=" << slowestKey << " longest_frame_gap_ms=" << longestGap
        << " dropped_frames=" << dropped << (dropped == 0 ? " (smooth)" : " (not smooth)") << '\n';
    out << "search_ratio=" << search / bareReset << '\n';
    out << "ratio=" << show / bareShow << '\n';
    return 0;
}

const bench::Registration registration(u"panel"_s, run);

} // namespace
