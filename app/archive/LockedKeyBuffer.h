#pragma once

#include <QByteArrayView>

#include <array>
#include <cstddef>

namespace stowline {

// The archive keys for the life of the process, in one page of memory that is locked (never written to swap)
// and left out of core dumps. Keys are copied in from the stores' temporary buffers, which the callers wipe; a
// slot is wiped when its key is released and every slot when the buffer goes.
class LockedKeyBuffer {
public:
    static constexpr qsizetype keyBytes = 32;
    static constexpr int slotCount = 2;

    LockedKeyBuffer();
    ~LockedKeyBuffer();
    LockedKeyBuffer(const LockedKeyBuffer&) = delete;
    LockedKeyBuffer& operator=(const LockedKeyBuffer&) = delete;

    // Copies `key` into `slot` and returns the copy, which stays valid until the slot is released. A key of
    // another length is not kept: the empty view returned then is refused by the cipher. `replaced` tells
    // whether the slot held a different key before.
    QByteArrayView store(int slot, QByteArrayView key, bool* replaced = nullptr);
    void release(int slot);

    // Whether the page could be locked in memory (a tight memory-lock limit can refuse it; the keys still work).
    bool isLocked() const { return m_locked; }
    // Whether the page is excluded from core dumps.
    bool isExcludedFromDumps() const { return m_excludedFromDumps; }

private:
    char* slotBytes(int slot) const { return m_page + std::size_t(slot) * std::size_t(keyBytes); }

    char* m_page = nullptr;
    std::size_t m_pageBytes = 0;
    bool m_mapped = false;
    bool m_locked = false;
    bool m_excludedFromDumps = false;
    std::array<bool, slotCount> m_filled{};
};

} // namespace stowline
