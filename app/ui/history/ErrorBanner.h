#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace stowline {

// The store's last error with a button that clears it; shown only while there is one.
class ErrorBanner : public QWidget {
    Q_OBJECT

public:
    explicit ErrorBanner(QWidget* parent = nullptr);
    void setMessage(const QString& message);
    QPushButton* dismissButton() const { return m_dismiss; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_message;
    QPushButton* m_dismiss;
};

} // namespace stowline
