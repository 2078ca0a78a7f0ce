#include "app/ui/history/ErrorBanner.h"

#include "app/ui/widgets/RoleLabel.h"
#include "app/ui/widgets/SymbolView.h"
#include "app/ui/style/StyleMetrics.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace stowline {

ErrorBanner::ErrorBanner(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("errorBanner"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(PanelMetrics::errorBanner);
    layout->setSpacing(PanelMetrics::errorBannerSpacing);
    layout->addWidget(new SymbolView(Symbol::warning, 18, StyleRole::systemOrange, this), 0, Qt::AlignTop);
    m_message = new RoleLabel(QString(), TextSize::callout, QFont::Medium, StyleRole::label, this);
    m_message->setObjectName(QStringLiteral("errorMessage"));
    m_message->setWordWrap(true);
    layout->addWidget(m_message, 1);
    m_dismiss = new QPushButton(QStringLiteral("Dismiss"), this);
    m_dismiss->setObjectName(QStringLiteral("dismissError"));
    m_dismiss->setFocusPolicy(Qt::TabFocus);
    m_dismiss->setAccessibleName(QStringLiteral("Dismiss"));
    layout->addWidget(m_dismiss, 0, Qt::AlignVCenter);
}

void ErrorBanner::setMessage(const QString& message) {
    m_message->setText(message);
    m_message->setAccessibleName(message);
}

void ErrorBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(12.5, 0.5, -12.5, -0.5), 8, 8);
    QColor fill = StowlineStyle::color(StyleRole::systemOrange);
    fill.setAlphaF(0.14f);
    painter.fillPath(path, fill);
}

} // namespace stowline
