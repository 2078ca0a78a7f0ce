#include "app/ui/permission/DesktopReadinessSection.h"

#include "app/ui/style/PlatformWording.h"
#include "app/ui/style/StowlineStyle.h"
#include "core/support/AppIdentity.h"
#include "app/ui/style/Symbols.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace stowline {

namespace {

constexpr int symbolSize = 16;

QLabel* wrapped(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

DesktopReadinessSection::DesktopReadinessSection(const QList<DesktopReadiness::Row>& rows, Callbacks callbacks,
                                                 QWidget* parent)
    : QWidget(parent), m_callbacks(std::move(callbacks)) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(1, 1);
    int line = 0;
    auto* title = new QLabel(QStringLiteral("On this desktop"), this);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    grid->addWidget(title, line++, 0, 1, 2);
    grid->setRowMinimumHeight(line++, 4);
    for (const DesktopReadiness::Row& row : rows) {
        auto* mark = new QLabel(this);
        mark->setPixmap(Symbols::statusMark(row.working, symbolSize, devicePixelRatioF()));
        mark->setAccessibleName(row.working ? QStringLiteral("Works") : QStringLiteral("Missing"));
        grid->addWidget(mark, line, 0, Qt::AlignTop);
        auto* name = new QLabel(PlatformWording::featureName(row.feature), this);
        QFont bold = name->font();
        bold.setBold(true);
        name->setFont(bold);
        grid->addWidget(name, line++, 1);
        if (row.working)
            continue;
        auto* step = wrapped(PlatformWording::stepText(row.step), this);
        m_steps.append(step);
        grid->addWidget(step, line++, 1);
        const std::optional<QString> command = DesktopReadiness::command(row.step, AppIdentity::executableName());
        QPushButton* button = nullptr;
        if (command && m_callbacks.copyText) {
            auto* commandLine = new QLabel(*command, this);
            commandLine->setTextFormat(Qt::PlainText);
            commandLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
            commandLine->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
            grid->addWidget(commandLine, line++, 1);
            button = new QPushButton(QStringLiteral("Copy Line"), this);
            connect(button, &QPushButton::clicked, this, [this, text = *command] {
                if (!m_callbacks.copyText(text))
                    QApplication::beep();
            });
        } else if (row.step == DesktopReadiness::Step::gnomeCustomShortcut && m_callbacks.createShortcut) {
            button = new QPushButton(QStringLiteral("Add Shortcut\u2026"), this);
            connect(button, &QPushButton::clicked, this, [this] { m_callbacks.createShortcut(); });
        }
        if (button) {
            button->setAutoDefault(false);
            button->setAccessibleName(button->text());
            m_buttons.append(button);
            grid->addWidget(button, line++, 1, Qt::AlignLeft);
        }
        grid->setRowMinimumHeight(line++, 6);
    }
    applyColours();
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, &DesktopReadinessSection::applyColours);
}

void DesktopReadinessSection::applyColours() {
    for (QLabel* step : m_steps) {
        QPalette quiet = step->palette();
        quiet.setColor(QPalette::WindowText, StowlineStyle::color(StyleRole::secondaryText));
        step->setPalette(quiet);
    }
}

} // namespace stowline
