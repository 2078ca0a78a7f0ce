#pragma once

#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;

namespace stowline {

// A row of joined buttons of which exactly one is chosen. Tab reaches the chosen one; Left and Right choose the
// neighbour, Space and Return choose the one with the focus.
class SegmentedControl : public QWidget {
    Q_OBJECT

public:
    // How the segments are measured: the settings' tabs, or the narrower panel's filter bar.
    enum class Size { regular, compact };

    SegmentedControl(const QStringList& segments, const QString& accessibleName, QWidget* parent = nullptr,
                     Size size = Size::regular);

    int currentIndex() const;
    // Moves the choice without announcing it.
    void setCurrentIndex(int index);
    QAbstractButton* segment(int index) const;
    int count() const;

protected:
    void paintEvent(QPaintEvent* event) override;

Q_SIGNALS:
    // The user chose another segment.
    void activated(int index);

private:
    class Segment;

    QButtonGroup* m_group;
};

} // namespace stowline
