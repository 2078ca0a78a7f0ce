#include "app/ui/history/KeyHintFooter.h"

#include "app/ui/history/PanelKeys.h"
#include "app/ui/style/StowlineStyle.h"
#include "app/ui/widgets/KeyCap.h"
#include "app/ui/widgets/RoleLabel.h"
#include "app/ui/style/StyleMetrics.h"

#include <QHBoxLayout>
#include <QPainter>

namespace stowline {

namespace {} // namespace

KeyHintFooter::KeyHintFooter(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("keyHints"));
    // Its width is the panel's: hints that do not fit give way instead of widening the panel.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(PanelMetrics::footer);
    layout->setSpacing(0);
    m_navigate = addHint(layout, QStringLiteral("↑↓"), QStringLiteral("Navigate"));
    m_use = addHint(layout, QStringLiteral("Return"), QStringLiteral("Copy"));
    m_plain = addHint(layout, QStringLiteral("Shift+Return"), QStringLiteral("Plain text"));
    m_edit = addHint(layout, QStringLiteral("Alt+Return"), QStringLiteral("Edit"));
    m_quick = addHint(layout, PanelKeys::quickUseCap(), QStringLiteral("Copy by number"));
    m_favorite = addHint(layout, PanelKeys::favoriteCap(), QStringLiteral("Favorite"));
    m_delete = addHint(layout, PanelKeys::deleteCap(), QStringLiteral("Delete"));
    m_open = addHint(layout, QString(), QStringLiteral("Open"));
    layout->addStretch(1);
    m_count = new RoleLabel(QString(), TextSize::keyHint, QFont::Medium, StyleRole::secondaryText, this);
    m_count->setObjectName(QStringLiteral("clipCount"));
    layout->addWidget(m_count);
}

KeyHintFooter::Hint KeyHintFooter::addHint(QHBoxLayout* layout, const QString& cap, const QString& text) {
    // Cap and label in one box, so a hidden hint leaves no gap.
    auto* box = new QWidget(this);
    auto* boxLayout = new QHBoxLayout(box);
    boxLayout->setContentsMargins(0, 0, PanelMetrics::hintGap, 0);
    boxLayout->setSpacing(PanelMetrics::hintSpacing);
    Hint hint{box, new KeyCap(cap, box),
              new RoleLabel(text, TextSize::keyHint, QFont::Medium, StyleRole::secondaryText, box)};
    boxLayout->addWidget(hint.cap);
    boxLayout->addWidget(hint.label);
    layout->addWidget(box);
    return hint;
}

void KeyHintFooter::update(const State& state) {
    m_state = state;
    const QString use = state.instantPaste ? QStringLiteral("Paste") : QStringLiteral("Copy");
    m_use.label->setText(state.plainTextByDefault && state.editable ? QStringLiteral("Plain text") : use);
    m_plain.label->setText(state.plainTextByDefault ? QStringLiteral("With formatting") : QStringLiteral("Plain text"));
    m_quick.label->setText(state.instantPaste ? QStringLiteral("Paste by number") : QStringLiteral("Copy by number"));
    m_navigate.box->setVisible(state.keysActive);
    m_use.box->setVisible(state.keysActive);
    m_plain.box->setVisible(state.keysActive && state.editable);
    m_edit.box->setVisible(state.keysActive && state.editable);
    m_open.cap->setText(state.shortcut);
    m_open.box->setVisible(!state.shortcut.isEmpty());
    m_count->setText(countText(state.clipCount));
    fit();
}

void KeyHintFooter::fit() {
    // Shown only while there is room for them beside the others.
    for (const Hint& hint : {m_quick, m_favorite, m_delete})
        hint.box->setVisible(m_state.hasSelection);
    const auto needed = [this] {
        const QMargins margins = layout()->contentsMargins();
        int total = margins.left() + margins.right() + m_count->sizeHint().width();
        for (const Hint& hint : {m_navigate, m_use, m_plain, m_edit, m_quick, m_favorite, m_delete, m_open}) {
            if (!hint.box->isHidden())
                total += hint.box->sizeHint().width();
        }
        return total;
    };
    for (const Hint& hint : {m_quick, m_delete, m_favorite}) {
        if (needed() > width())
            hint.box->setVisible(false);
    }
    setAccessibleDescription(texts().join(QStringLiteral(", ")));
}

void KeyHintFooter::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fit();
}

QString KeyHintFooter::countText(qsizetype count) {
    return QString::number(count) + (count == 1 ? QStringLiteral(" clip") : QStringLiteral(" clips"));
}

QStringList KeyHintFooter::texts() const {
    QStringList texts;
    for (const Hint& hint : {m_navigate, m_use, m_plain, m_edit, m_quick, m_favorite, m_delete, m_open}) {
        if (!hint.box->isHidden())
            texts.append(hint.cap->text() + u' ' + hint.label->text());
    }
    texts.append(m_count->text());
    return texts;
}

void KeyHintFooter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), StowlineStyle::color(StyleRole::footerFill));
    painter.setPen(StowlineStyle::color(StyleRole::separator));
    painter.drawLine(rect().topLeft(), rect().topRight());
}

} // namespace stowline
