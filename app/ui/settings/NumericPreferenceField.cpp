#include "app/ui/settings/NumericPreferenceField.h"

#include "app/ui/settings/SettingsSection.h"
#include "app/ui/style/StowlineStyle.h"
#include "core/policy/NumericPreferencePolicy.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include <cmath>

using namespace Qt::StringLiterals;

namespace stowline {

// The text box; draws the red outline of invalid text over its own frame.
class NumericPreferenceField::Box : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

    std::function<void()> focusLost;

    void setOutlined(bool outlined) {
        if (m_outlined == outlined)
            return;
        m_outlined = outlined;
        update();
    }

protected:
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        if (focusLost)
            focusLost();
    }

    void paintEvent(QPaintEvent* event) override {
        QLineEdit::paintEvent(event);
        if (!m_outlined)
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(StowlineStyle::color(StyleRole::systemRed), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }

private:
    bool m_outlined = false;
};

NumericPreferenceField::NumericPreferenceField(Rules rules, const QString& unit, const QString& accessibleName,
                                               QWidget* parent)
    : QWidget(parent), m_rules(std::move(rules)), m_box(new Box(this)), m_unit(new QLabel(unit, this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_box);
    layout->addWidget(m_unit);
    layout->addStretch();

    m_box->setFixedWidth(boxWidth);
    m_box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_box->setAccessibleName(accessibleName);
    m_box->setToolTip(m_rules.validHelp);
    m_box->setAccessibleDescription(m_rules.validHelp);
    paintTextIn(m_unit, StyleRole::secondaryText);
    m_box->setText(m_rules.formattedValue());
    m_box->focusLost = [this] { commit(); };

    connect(m_box, &QLineEdit::textChanged, this, &NumericPreferenceField::draftChanged);
    connect(m_box, &QLineEdit::returnPressed, this, [this] {
        commit();
        m_box->clearFocus();
    });
}

NumericPreferenceField::~NumericPreferenceField() {
    // Focus leaves the box while the window tears it down; the rules are gone by then.
    m_box->focusLost = nullptr;
}

QLineEdit* NumericPreferenceField::box() const {
    return m_box;
}

void NumericPreferenceField::valueChanged() {
    if (m_rules.isValid(m_box->text()) && m_rules.equalsValue(m_box->text()))
        return;
    m_box->setText(m_rules.formattedValue());
}

void NumericPreferenceField::draftChanged() {
    const QString draft = m_box->text();
    if (m_rules.isValid(draft)) {
        setInvalid(false);
        if (m_rules.storesWhileTyping && !m_rules.equalsValue(draft))
            m_rules.store(draft);
        return;
    }
    setInvalid(!draft.isEmpty());
}

void NumericPreferenceField::commit() {
    const QString draft = m_box->text();
    if (m_rules.isValid(draft)) {
        setInvalid(false);
        if (!m_rules.equalsValue(draft))
            m_rules.store(draft);
        m_box->setText(m_rules.canonical(draft));
        return;
    }
    setInvalid(true);
    // Back to the last accepted number; the restored text is validated again as it is set.
    m_box->setText(m_rules.formattedValue());
}

void NumericPreferenceField::setInvalid(bool invalid) {
    m_invalid = invalid;
    m_box->setOutlined(invalid);
    const QString& help = invalid ? m_rules.invalidHelp : m_rules.validHelp;
    m_box->setToolTip(help);
    m_box->setAccessibleDescription(help);
}

namespace {

template <typename T>
NumericPreferenceField::Rules rulesFor(std::function<std::optional<T>(QStringView)> parse,
                                       std::function<QString(T)> format, std::function<T()> value,
                                       std::function<void(T)> setValue) {
    NumericPreferenceField::Rules rules;
    rules.isValid = [parse](QStringView draft) { return parse(draft).has_value(); };
    rules.equalsValue = [parse, value](QStringView draft) { return parse(draft) == value(); };
    rules.store = [parse, setValue](QStringView draft) {
        if (const std::optional<T> parsed = parse(draft))
            setValue(*parsed);
    };
    rules.formattedValue = [format, value] { return format(value()); };
    rules.canonical = [parse, format](QStringView draft) { return format(parse(draft).value_or(T{})); };
    return rules;
}

} // namespace

ExactPositiveIntegerField::ExactPositiveIntegerField(std::function<qint64()> value,
                                                     std::function<void(qint64)> setValue, const QString& unit,
                                                     const QString& accessibleName, QWidget* parent, Stores stores)
    : NumericPreferenceField(
          [&] {
              Rules rules = rulesFor<qint64>(
                  &NumericPreferencePolicy::positiveInteger, [](qint64 n) { return QString::number(n); },
                  std::move(value), std::move(setValue));
              rules.validHelp = u"Enter any positive whole number."_s;
              rules.invalidHelp = u"Enter a positive whole number."_s;
              rules.storesWhileTyping = stores == Stores::whileTyping;
              return rules;
          }(),
          unit, accessibleName, parent) {}

ExactFontSizeField::ExactFontSizeField(std::function<double()> value, std::function<void(double)> setValue,
                                       QWidget* parent)
    : NumericPreferenceField(
          [&] {
              Rules rules = rulesFor<double>(&NumericPreferencePolicy::fontPoints, &NumericPreferencePolicy::formatted,
                                             std::move(value), std::move(setValue));
              rules.validHelp = u"Enter an exact font size from 6 to 72 points."_s;
              rules.invalidHelp = u"Enter a font size from 6 to 72 points."_s;
              return rules;
          }(),
          u"pt"_s, u"Text preview font size in points"_s, parent) {}

} // namespace stowline
