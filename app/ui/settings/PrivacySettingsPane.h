#pragma once

#include "app/ui/settings/SettingsContext.h"
#include "core/archive/ArchiveProtectionMode.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace stowline {

// Archive protection, capture exclusions and the permission review.
class PrivacySettingsPane : public QWidget {
    Q_OBJECT

public:
    PrivacySettingsPane(SettingsContext& context, QWidget* parent = nullptr);

    QCheckBox* keyringToggle() const { return m_keyring; }
    QLabel* protectionNote() const { return m_protectionNote; }
    QWidget* progress() const { return m_progress; }
    QCheckBox* exclusionsToggle() const { return m_exclusions; }
    QPlainTextEdit* exclusionsEditor() const { return m_editor; }
    QPushButton* reviewPermissionsButton() const { return m_review; }

Q_SIGNALS:
    // The user turned the keyring switch on: nothing happens before they confirm.
    void keyringRequested();
    // The user turned it off: the key goes back to the local file at once.
    void protectionChangeRequested(stowline::ArchiveProtectionMode mode);

private:
    void followProtection();
    void followExclusions();

    SettingsContext& m_context;
    QCheckBox* m_keyring;
    QLabel* m_protectionNote;
    QWidget* m_progress;
    QCheckBox* m_exclusions;
    QLabel* m_exclusionsNote;
    QPlainTextEdit* m_editor;
    QPushButton* m_review;
};

} // namespace stowline
