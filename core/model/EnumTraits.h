#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace stowline {

// Each enumeration with stored raw values specialises this with a table of its cases in declaration order.
template <typename E>
struct EnumTraits;

template <typename E>
constexpr const auto& allCases() {
    return EnumTraits<E>::cases;
}

template <typename E>
QString rawValueOf(E value) {
    return QStringView(EnumTraits<E>::rawValues[static_cast<size_t>(value)]).toString();
}

template <typename E>
QString labelOf(E value) {
    return QStringView(EnumTraits<E>::labels[static_cast<size_t>(value)]).toString();
}

// Exact and case-sensitive, as the stored forms are.
template <typename E>
std::optional<E> fromRawValue(QStringView raw) {
    for (E value : EnumTraits<E>::cases) {
        if (raw == EnumTraits<E>::rawValues[static_cast<size_t>(value)])
            return value;
    }
    return std::nullopt;
}

} // namespace stowline
