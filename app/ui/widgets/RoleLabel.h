#pragma once

#include "app/ui/style/StowlineStyle.h"

#include <QLabel>

namespace stowline {

// A label in one of the style's fonts and colour roles that takes the role's colour again when the appearance
// switches; it may wrap.
class RoleLabel : public QLabel {
    Q_OBJECT

public:
    RoleLabel(const QString& text, qreal size, QFont::Weight weight, StyleRole role, QWidget* parent = nullptr);

    void setRole(StyleRole role);

private:
    void recolor();

    StyleRole m_role;
};

} // namespace stowline
