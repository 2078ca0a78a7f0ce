#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QUuid>

#include <vector>

namespace stowline {

// Compact JSON written straight into one growing buffer, so large histories are encoded without a DOM and
// without copying payloads more than once.
class JsonWriter {
public:
    explicit JsonWriter(qsizetype reserveBytes = 0);

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(QByteArrayView name);

    void value(QStringView text);
    // A string already in UTF-8.
    void utf8(QByteArrayView text);
    void value(qint64 number);
    void value(double number);
    void value(bool flag);
    void base64(const QByteArray& bytes);
    void uuid(const QUuid& id);
    // Appends an already encoded JSON value as the next element.
    void raw(QByteArrayView json);

    const QByteArray& buffer() const { return m_out; }
    QByteArray take() { return std::move(m_out); }
    QByteArray& mutableBuffer() { return m_out; }

private:
    void separate();

    QByteArray m_out;
    std::vector<bool> m_needsComma;
    bool m_afterKey = false;
};

} // namespace stowline
