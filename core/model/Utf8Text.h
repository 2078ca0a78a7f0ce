#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace stowline {

// A text kept as UTF-8: display texts are read a few at a time, and in UTF-8 most of them take half the room of
// UTF-16 and can share the bytes of a plain-text payload.
class Utf8Text {
public:
    Utf8Text() = default;
    // Implicit, so a QString can be given wherever a text is expected.
    Utf8Text(const QString& text) : m_utf8(text.toUtf8()) {}
    // `utf8` must be valid UTF-8.
    static Utf8Text fromUtf8(QByteArray utf8) {
        Utf8Text text;
        text.m_utf8 = std::move(utf8);
        return text;
    }

    QString toString() const { return QString::fromUtf8(m_utf8); }
    const QByteArray& utf8() const { return m_utf8; }
    bool isEmpty() const { return m_utf8.isEmpty(); }

    friend bool operator==(const Utf8Text&, const Utf8Text&) = default;

private:
    QByteArray m_utf8;
};

} // namespace stowline
