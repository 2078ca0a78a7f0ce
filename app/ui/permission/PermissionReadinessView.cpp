#include "app/ui/permission/PermissionReadinessView.h"

#include "app/ui/style/PlatformWording.h"
#include "app/ui/style/StowlineStyle.h"
#include "app/ui/style/Symbols.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace stowline {

namespace {

constexpr int symbolSize = 22;

QLabel* wrappedLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

PermissionReadinessView::PermissionReadinessView(const PermissionReadinessRequirements& requirements,
                                                 Callbacks callbacks, QWidget* desktopSection, QWidget* parent)
    : QWidget(parent), m_requirements(requirements), m_callbacks(std::move(callbacks)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 20);
    layout->setSpacing(12);

    auto* heading = wrappedLabel(QStringLiteral("Finish setting up Stowline"), this);
    QFont headingFont = heading->font();
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.45);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    heading->setAccessibleName(heading->text());
    layout->addWidget(heading);
    // Opened for review with nothing to ask, the window says so in the row below instead.
    const bool needed = !m_requirements.accessibilityPurposes().isEmpty();
    if (needed)
        layout->addWidget(wrappedLabel(PlatformWording::text(Wording::permissionNeeded), this));

    // The one permission, with its state and every reason the current settings give for it.
    auto* row = new QFrame(this);
    row->setObjectName(QStringLiteral("permissionRow"));
    m_row = row;
    row->setAccessibleName(PlatformWording::text(Wording::permissionName));
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(14, 12, 14, 12);
    rowLayout->setSpacing(12);
    m_statusSymbol = new QLabel(row);
    m_statusSymbol->setFixedSize(symbolSize, symbolSize);
    rowLayout->addWidget(m_statusSymbol, 0, Qt::AlignTop);
    auto* rowText = new QVBoxLayout;
    rowText->setSpacing(4);
    auto* title = new QLabel(PlatformWording::text(Wording::permissionName), row);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    rowText->addWidget(title);
    for (const AccessibilityPurpose purpose : m_requirements.accessibilityPurposes())
        rowText->addWidget(wrappedLabel(reasonLine(purpose), row));
    if (m_requirements.accessibilityPurposes().isEmpty())
        rowText->addWidget(wrappedLabel(PlatformWording::text(Wording::permissionNotNeeded), row));
    rowLayout->addLayout(rowText, 1);
    layout->addWidget(row);

    auto* onlyForThese = wrappedLabel(
        QStringLiteral("Stowline uses this access only for the features above. Clipboard capture, local encryption, "
                       "menu-bar access, and ordinary multi-modifier shortcuts do not need it."),
        this);
    layout->addWidget(onlyForThese);
    onlyForThese->setVisible(needed);
    m_completeInSettings = wrappedLabel(PlatformWording::text(Wording::permissionCompleteInSettings), this);
    layout->addWidget(m_completeInSettings);
    m_notes = {onlyForThese, m_completeInSettings};
    if (desktopSection) {
        desktopSection->setParent(this);
        layout->addSpacing(4);
        layout->addWidget(desktopSection);
    }
    layout->addStretch(1);

    const bool forShortcut =
        m_requirements.accessibilityPurposes().contains(AccessibilityPurpose::singleModifierShortcut);
    m_declineButton =
        new QPushButton(forShortcut ? QStringLiteral("Use Previous Shortcut") : QStringLiteral("Not Now"), this);
    m_declineButton->setAutoDefault(false);
    // Opened only for review, nothing waits for an answer: the primary button closes the window.
    m_declineButton->setVisible(!m_callbacks.reviewOnly);
    m_primaryButton = new QPushButton(this);
    m_primaryButton->setDefault(true);
    connect(m_declineButton, &QPushButton::clicked, this, [this] {
        if (m_callbacks.notNow)
            m_callbacks.notNow();
    });
    connect(m_primaryButton, &QPushButton::clicked, this, &PermissionReadinessView::primaryPressed);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_declineButton);
    buttons->addWidget(m_primaryButton);
    layout->addLayout(buttons);

    for (QPushButton* button : {m_declineButton, m_primaryButton})
        button->setMinimumSize(button->sizeHint().width() + 16, 30);
    applyColours();
    // Colours follow the appearance in effect while the window is open.
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, &PermissionReadinessView::applyColours);

    m_timer.setInterval(checkIntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PermissionReadinessView::checkAccess);
    refresh();
}

void PermissionReadinessView::applyColours() {
    // The row lifts off the window's surface; the primary button carries the accent.
    m_row->setStyleSheet(QStringLiteral("#permissionRow { background: %1; border: 1px solid %2; border-radius: 8px; }")
                             .arg(StowlineStyle::color(StyleRole::elevated).name(QColor::HexArgb),
                                  StowlineStyle::color(StyleRole::border).name(QColor::HexArgb)));
    QPalette primary = palette();
    primary.setColor(QPalette::Button, StowlineStyle::color(StyleRole::accent));
    primary.setColor(QPalette::ButtonText, Qt::white);
    m_primaryButton->setPalette(primary);
    for (QLabel* note : m_notes) {
        QPalette quiet = note->palette();
        quiet.setColor(QPalette::WindowText, StowlineStyle::color(StyleRole::secondaryText));
        note->setPalette(quiet);
    }
}

void PermissionReadinessView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shownBefore) {
        m_shownBefore = true;
        setGranted(m_callbacks.isAccessibilityGranted && m_callbacks.isAccessibilityGranted());
    }
    m_timer.start();
}

void PermissionReadinessView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timer.stop();
}

void PermissionReadinessView::checkAccess() {
    const bool nowGranted = m_callbacks.isAccessibilityGranted && m_callbacks.isAccessibilityGranted();
    if (nowGranted && !m_granted) {
        // Access arrived while the window was open: it closes by itself.
        setGranted(true);
        if (m_callbacks.permissionGranted)
            m_callbacks.permissionGranted();
        return;
    }
    setGranted(nowGranted);
}

void PermissionReadinessView::primaryPressed() {
    if (m_granted) {
        if (m_callbacks.permissionGranted)
            m_callbacks.permissionGranted();
        return;
    }
    m_requestSent = true;
    refresh();
    if (m_callbacks.requestAccessibility)
        m_callbacks.requestAccessibility();
}

void PermissionReadinessView::setGranted(bool granted) {
    m_granted = granted;
    refresh();
}

void PermissionReadinessView::refresh() {
    m_statusSymbol->setPixmap(Symbols::statusMark(m_granted, symbolSize, devicePixelRatioF()));
    m_statusSymbol->setAccessibleName(m_granted ? QStringLiteral("Granted") : QStringLiteral("Not granted"));
    m_completeInSettings->setVisible(m_requestSent && !m_granted);
    m_primaryButton->setText(m_granted ? QStringLiteral("Continue")
                                       : PlatformWording::text(Wording::permissionRequestButton));
    m_primaryButton->setAccessibleName(m_primaryButton->text());
    m_declineButton->setAccessibleName(m_declineButton->text());
}

} // namespace stowline
