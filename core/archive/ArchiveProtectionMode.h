#pragma once

#include "core/model/EnumTraits.h"

namespace stowline {

// Where the archive key lives.
enum class ArchiveProtectionMode { localFile, keychain };

template <>
struct EnumTraits<ArchiveProtectionMode> {
    static constexpr std::array cases{ArchiveProtectionMode::localFile, ArchiveProtectionMode::keychain};
    static constexpr std::array<const char16_t*, 2> rawValues{u"localFile", u"keychain"};
};

inline QString rawValue(ArchiveProtectionMode mode) {
    return rawValueOf(mode);
}

// The stored preference: anything but the keyring's raw value means the local key file.
inline ArchiveProtectionMode protectionModeFromStoredValue(QStringView stored) {
    return fromRawValue<ArchiveProtectionMode>(stored).value_or(ArchiveProtectionMode::localFile);
}

} // namespace stowline
