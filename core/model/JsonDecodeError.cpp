#include "core/model/JsonDecodeError.h"

namespace stowline {

QString JsonDecodeError::describe() const {
    switch (reason) {
    case Reason::syntax:
        return field.isEmpty() ? QStringLiteral("the data is not valid JSON")
                               : QStringLiteral("\"%1\" is not valid JSON").arg(field);
    case Reason::missingKey:
        return QStringLiteral("the key \"%1\" is missing").arg(field);
    case Reason::typeMismatch:
        return field.isEmpty() ? QStringLiteral("the data is not a JSON object")
                               : QStringLiteral("the key \"%1\" has the wrong type").arg(field);
    case Reason::invalidValue:
        return QStringLiteral("the key \"%1\" has an invalid value").arg(field);
    }
    return {};
}

} // namespace stowline
