#pragma once

#include "app/ui/style/StowlineStyle.h"

#include <QString>
#include <QWidget>

namespace stowline {

// One line of text in a palette colour, so it follows the appearance; optionally cut at the tail with an
// ellipsis when it does not fit.
class StyledLabel : public QWidget {
    Q_OBJECT

public:
    enum class Overflow { grow, elideTail };

    StyledLabel(const QString& text, const QFont& font, StyleRole role, Overflow overflow = Overflow::grow,
                QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    void setAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    StyleRole m_role;
    Overflow m_overflow;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

} // namespace stowline
