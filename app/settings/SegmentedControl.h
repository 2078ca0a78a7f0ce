#pragma once

#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;

namespace stowline {

// A row of joined buttons of which exactly one is chosen.
class SegmentedControl : public QWidget {
    Q_OBJECT

public:
    SegmentedControl(const QStringList& segments, const QString& accessibleName, QWidget* parent = nullptr);

    int currentIndex() const;
    // Moves the choice without announcing it.
    void setCurrentIndex(int index);
    QAbstractButton* segment(int index) const;

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
