#pragma once

#include "app/ui/settings/SettingsContext.h"

#include <QWidget>

class QPushButton;

namespace stowline {

class RecorderButton;

// The global shortcut and the keys that work inside Stowline.
class ShortcutsSettingsPane : public QWidget {
    Q_OBJECT

public:
    ShortcutsSettingsPane(SettingsContext& context, QWidget* parent = nullptr);

    RecorderButton* recorder() const { return m_recorder; }
    QPushButton* resetButton() const { return m_reset; }

private:
    SettingsContext& m_context;
    RecorderButton* m_recorder;
    QPushButton* m_reset;
};

} // namespace stowline
