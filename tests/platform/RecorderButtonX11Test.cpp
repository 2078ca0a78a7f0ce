#include "app/ui/settings/RecorderButton.h"

#include "app/platform/x11/X11HotKeyService.h"
#include "app/platform/x11/XTestKeystrokePoster.h"
#include "app/shortcut/GlobalHotKey.h"
#include "tests/platform/XClients.h"

#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

// The server hands a grabbed combination to the grabbing client whichever window has the focus, so the recorder
// only ever sees the live shortcut while the grab is given up.
TEST(RecorderButtonOnX11, TheLiveShortcutReachesTheRecorderAndWorksAgainAfterwards) {
    const HotKeyConfiguration controlAltL{37, HotKeyConfiguration::controlKey | HotKeyConfiguration::optionKey,
                                          u"Ctrl+Alt+L"_s};
    X11HotKeyService service;
    XTestKeystrokePoster accessibility;
    int actions = 0;
    GlobalHotKey hotKey(service, accessibility, [&] { ++actions; });
    ASSERT_TRUE(hotKey.registerShortcut(controlAltL));

    QWidget window;
    auto* recorder = new RecorderButton(&window);
    (new QVBoxLayout(&window))->addWidget(recorder);
    QList<HotKeyConfiguration> recorded;
    recorder->onRecord = [&](const HotKeyConfiguration& shortcut) { recorded.append(shortcut); };
    QObject::connect(recorder, &RecorderButton::recordingChanged, &hotKey, [&](bool recording) {
        if (recording)
            hotKey.suspendDelivery();
        else
            hotKey.resumeDelivery();
    });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return window.isActiveWindow(); }));

    recorder->click();
    typeKeys(u"ctrl+alt+l"_s);
    ASSERT_TRUE(waitUntil([&] { return !recorded.isEmpty(); }));
    EXPECT_EQ(recorded, QList<HotKeyConfiguration>({controlAltL}));
    EXPECT_EQ(actions, 0);

    typeKeys(u"ctrl+alt+l"_s);
    EXPECT_TRUE(waitUntil([&] { return actions == 1; }));
}
