#include "core/appearance/AppearancePreference.h"

namespace stowline {

AppearancePreference appearanceFromStoredValue(const std::optional<QString>& stored) {
    if (!stored)
        return AppearancePreference::system;
    return fromRawValue<AppearancePreference>(*stored).value_or(AppearancePreference::system);
}

} // namespace stowline
