#pragma once

#include <QSize>
#include <QWidget>

namespace stowline {

// A window's size when it first shows and the least the user may make it.
struct WindowSize {
    QSize initial;
    QSize minimum;

    void applyTo(QWidget& window) const {
        window.setMinimumSize(minimum);
        window.resize(initial);
    }
};

} // namespace stowline
