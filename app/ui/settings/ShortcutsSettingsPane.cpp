#include "app/ui/settings/ShortcutsSettingsPane.h"

#include "app/preferences/AppPreferences.h"
#include "app/shortcut/GlobalHotKey.h"
#include "app/ui/settings/RecorderButton.h"
#include "app/ui/settings/SettingsSection.h"
#include "app/ui/style/PlatformWording.h"
#include "app/ui/widgets/KeyCap.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace stowline {

ShortcutsSettingsPane::ShortcutsSettingsPane(SettingsContext& context, QWidget* parent)
    : QWidget(parent), m_context(context) {
    AppPreferences& preferences = context.preferences;
    QVBoxLayout* layout = makePaneLayout(this, Symbol::shortcutsPane, u"Shortcuts"_s,
                                         u"Choose the fastest way to bring Stowline forward."_s);

    auto* global = new SettingsSection(u"GLOBAL SHORTCUT"_s, this);
    auto* controls = new QWidget;
    auto* controlsRow = new QHBoxLayout(controls);
    controlsRow->setContentsMargins(0, 0, 0, 0);
    m_recorder = new RecorderButton(controls);
    m_recorder->setAccessibleName(u"Open Stowline shortcut"_s);
    m_recorder->setMinimumWidth(150);
    m_recorder->setShortcut(preferences.shortcut());
    m_reset = new QPushButton(u"Reset"_s, controls);
    m_reset->setAccessibleName(u"Reset shortcut"_s);
    controlsRow->addWidget(m_recorder);
    controlsRow->addWidget(m_reset);
    global->addLabelledRow(u"Open Stowline"_s, controls);
    global->addNote(PlatformWording::text(Wording::shortcutNote));
    layout->addWidget(global);

    m_recorder->onRecord = [&preferences](const HotKeyConfiguration& shortcut) { preferences.setShortcut(shortcut); };
    // The stored value, not the announced one: a refused shortcut is replaced by a nested write while the first
    // announcement is still on its way.
    connect(&preferences, &AppPreferences::shortcutChanged, m_recorder,
            [this, &preferences] { m_recorder->setShortcut(preferences.shortcut()); });
    // Released while recording, or pressing the current shortcut would open the panel instead of being recorded.
    GlobalHotKey& hotKey = context.hotKey;
    connect(m_recorder, &RecorderButton::recordingChanged, &hotKey, [&hotKey](bool recording) {
        if (recording)
            hotKey.suspendDelivery();
        else
            hotKey.resumeDelivery();
    });
    connect(m_reset, &QPushButton::clicked, this,
            [&preferences] { preferences.setShortcut(HotKeyConfiguration::defaultShortcut()); });

    auto* inStowline = new SettingsSection(u"IN STOWLINE"_s, this);
    auto* keys = new QWidget(inStowline);
    auto* grid = new QGridLayout(keys);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setColumnStretch(1, 1);
    const std::pair<QString, QString> rows[] = {
        {u"Return"_s, u"Copy the selected clip"_s},
        {u"Alt+Return"_s, u"Edit text before copying"_s},
        {u"Esc"_s, u"Close the clipboard window"_s},
    };
    int row = 0;
    for (const auto& [key, description] : rows) {
        auto* cap = new KeyCap(key, keys);
        grid->addWidget(cap, row, 0, Qt::AlignLeft);
        auto* label = new QLabel(description, keys);
        label->setAccessibleName(key + u": "_s + description);
        grid->addWidget(label, row, 1);
        ++row;
    }
    inStowline->addRow(keys);
    layout->addWidget(inStowline);
    layout->addStretch();
}

} // namespace stowline
