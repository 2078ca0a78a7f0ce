#pragma once

#include "app/ui/style/StowlineStyle.h"

#include <QWidget>

namespace stowline {

// An opaque surface in a palette colour that repaints when the appearance switches. Presses it does not take go
// on to its window, which a floating window turns into moving it.
class AppearanceSurfaceView : public QWidget {
    Q_OBJECT

public:
    explicit AppearanceSurfaceView(QWidget* parent = nullptr, StyleRole fill = StyleRole::surface);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    StyleRole m_fill;
};

} // namespace stowline
