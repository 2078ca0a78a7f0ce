#pragma once

#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;

namespace stowline {

// A text box for one numeric preference, followed by its unit. Valid text updates the preference as it is typed;
// invalid text gets a red outline and the invalid help text and never reaches the preference. Return and loss of
// focus commit: the value is taken, or the text goes back to the last accepted one.
class NumericPreferenceField : public QWidget {
    Q_OBJECT

public:
    // How a field reads its text and its preference, in text form so one widget serves every value type.
    struct Rules {
        // The draft is valid; when `equalsValue` it already matches the preference.
        std::function<bool(QStringView draft)> isValid;
        std::function<bool(QStringView draft)> equalsValue;
        // Stores a valid draft into the preference.
        std::function<void(QStringView draft)> store;
        // The preference as text, and a valid draft in its canonical form.
        std::function<QString()> formattedValue;
        std::function<QString(QStringView draft)> canonical;
        QString validHelp;
        QString invalidHelp;
        // False: typing only validates, and the value is stored when the field commits.
        bool storesWhileTyping = true;
    };

    static constexpr int boxWidth = 76;

    NumericPreferenceField(Rules rules, const QString& unit, const QString& accessibleName, QWidget* parent = nullptr);
    ~NumericPreferenceField() override;

    // The bound preference changed elsewhere: the text follows unless it already says the same number.
    void valueChanged();

    QLineEdit* box() const;
    bool isInvalid() const { return m_invalid; }

private:
    class Box;

    void draftChanged();
    void commit();
    void setInvalid(bool invalid);

    Rules m_rules;
    Box* m_box;
    QLabel* m_unit;
    bool m_invalid = false;
};

// Whole numbers above zero (history limit, retention days, preview lines, inactivity minutes).
class ExactPositiveIntegerField : public NumericPreferenceField {
    Q_OBJECT

public:
    // `onCommit` for a value whose every step has consequences (a lower history limit removes clips): "3" on the
    // way to "30" must not be stored.
    enum class Stores { whileTyping, onCommit };

    ExactPositiveIntegerField(std::function<qint64()> value, std::function<void(qint64)> setValue, const QString& unit,
                              const QString& accessibleName, QWidget* parent = nullptr,
                              Stores stores = Stores::whileTyping);
};

// The preview font size in points, 6 to 72.
class ExactFontSizeField : public NumericPreferenceField {
    Q_OBJECT

public:
    ExactFontSizeField(std::function<double()> value, std::function<void(double)> setValue, QWidget* parent = nullptr);
};

} // namespace stowline
