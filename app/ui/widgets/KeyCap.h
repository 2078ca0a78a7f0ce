#pragma once

#include <QString>
#include <QWidget>

class QPainter;

namespace stowline {

// One key label drawn as a small key cap ("Return", "Alt+Shift+W"), for keyboard hints and shortcut rows.
class KeyCap : public QWidget {
    Q_OBJECT

public:
    explicit KeyCap(const QString& text = {}, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The cap's size and painting, for item delegates that draw key caps without a widget.
    static QSize capSize(const QString& text);
    static void paintCap(QPainter& painter, const QRectF& rect, const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

} // namespace stowline
