#pragma once

#include <QString>

namespace stowline {

// Why a JSON record did not decode; `field` names the offending key (empty for the document itself).
struct JsonDecodeError {
    enum class Reason { syntax, missingKey, typeMismatch, invalidValue };

    Reason reason = Reason::syntax;
    QString field;

    QString describe() const;
    friend bool operator==(const JsonDecodeError&, const JsonDecodeError&) = default;
};

} // namespace stowline
