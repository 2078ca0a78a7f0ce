#include "app/ui/settings/RecorderButton.h"

#include "app/ui/settings/SettingsView.h"
#include "app/ui/settings/ShortcutsSettingsPane.h"
#include "tests/app/Screenshots.h"
#include "tests/app/settings/SettingsFixture.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

const HotKeyConfiguration kAltShiftK{40, 0xA00, u"Alt+Shift+K"_s};
const HotKeyConfiguration kControlAltK{40, 0x1800, u"Ctrl+Alt+K"_s};

class RecorderButtonTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        preferences->setSelectedSettingsTabID(u"shortcuts"_s);
        settings->show();
        recorder = view().shortcutsPane()->recorder();
        settings->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(settings->window()));
    }

    bool grabbed(const HotKeyConfiguration& shortcut) const {
        return hotKeys.isRegistered(*GlobalHotKey::hotKeyFor(shortcut));
    }

    RecorderButton* recorder = nullptr;
};

} // namespace

TEST_F(RecorderButtonTest, RecordsAShortcutWithTheGrabReleasedMeanwhile) {
    const HotKeyConfiguration initial = HotKeyConfiguration::defaultShortcut();
    ASSERT_TRUE(grabbed(initial));
    QTest::mouseClick(recorder, Qt::LeftButton);
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_EQ(recorder->text(), u"Type shortcut\u2026"_s);
    EXPECT_FALSE(grabbed(initial)); // pressing it now reaches the recorder
    test::saveScreenshot(*settings->window(), u"settings-recorder-recording"_s);

    // Neither a key without modifier nor a modifier alone is a shortcut; recording goes on.
    for (auto [key, modifiers] : {std::pair{Qt::Key_K, Qt::KeyboardModifiers()}, {Qt::Key_Shift, Qt::ShiftModifier}}) {
        QTest::keyClick(recorder, key, modifiers);
        EXPECT_TRUE(recorder->isRecording());
        EXPECT_EQ(recorder->text(), u"Add modifier + key"_s);
    }
    recorder->setShortcut(kControlAltK); // the binding moves meanwhile: the title the user reads stays
    EXPECT_EQ(recorder->text(), u"Add modifier + key"_s);
    EXPECT_EQ(recorder->shortcut(), initial);

    QTest::keyClick(recorder, Qt::Key_K, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(preferences->shortcut(), kAltShiftK);
    EXPECT_EQ(recorder->text(), u"Alt+Shift+K"_s);
    EXPECT_TRUE(grabbed(kAltShiftK));
    EXPECT_FALSE(grabbed(initial));
    EXPECT_FALSE(hotKey->isSuspended());
}

TEST_F(RecorderButtonTest, EscapeWithAnyModifiersAndFocusLossCancel) {
    const HotKeyConfiguration initial = preferences->shortcut();
    const std::function<void()> cancels[] = {
        [&] { QTest::keyClick(recorder, Qt::Key_Escape); },
        [&] { QTest::keyClick(recorder, Qt::Key_Escape, Qt::MetaModifier); },
        [&] { QTest::keyClick(recorder, Qt::Key_Escape, Qt::ControlModifier | Qt::ShiftModifier); },
        [&] { view().shortcutsPane()->resetButton()->setFocus(); },
    };
    for (const auto& cancel : cancels) {
        recorder->click();
        ASSERT_TRUE(recorder->isRecording());
        cancel();
        EXPECT_FALSE(recorder->isRecording());
        EXPECT_EQ(recorder->text(), initial.displayText);
        EXPECT_EQ(preferences->shortcut(), initial);
        EXPECT_TRUE(grabbed(initial));
    }
}

TEST_F(RecorderButtonTest, KeysThatTypeNothingAreRecordedByName) {
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, QString> presses[] = {
        {Qt::Key_F5, Qt::ControlModifier, u"Ctrl+F5"_s},
        {Qt::Key_Home, Qt::AltModifier | Qt::MetaModifier, u"Alt+Super+Home"_s},
        {Qt::Key_Exclam, Qt::ShiftModifier | Qt::ControlModifier, u"Ctrl+Shift+1"_s},
    };
    for (const auto& [key, modifiers, text] : presses) {
        recorder->click();
        QTest::keyClick(recorder, key, modifiers);
        EXPECT_EQ(preferences->shortcut().displayText, text);
        EXPECT_EQ(recorder->text(), text);
    }
}

TEST_F(RecorderButtonTest, ATakenShortcutKeepsTheWorkingOneAndSaysWhy) {
    hotKeys.setTaken({*GlobalHotKey::hotKeyFor(kControlAltK)});
    const HotKeyConfiguration initial = preferences->shortcut();
    recorder->click();
    QTest::keyClick(recorder, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(notices.current(), Notices::message(Notice::shortcutInUse, {kControlAltK.displayText}));
    EXPECT_EQ(preferences->shortcut(), initial);
    EXPECT_EQ(recorder->text(), initial.displayText);
    EXPECT_TRUE(grabbed(initial));
    EXPECT_EQ(view().storeMessage()->text(), Notices::message(Notice::shortcutInUse, {kControlAltK.displayText}).text);
    EXPECT_TRUE(view().storeMessage()->isVisible());

    view().shortcutsPane()->resetButton()->click();
    EXPECT_EQ(preferences->shortcut(), HotKeyConfiguration::defaultShortcut());
}
