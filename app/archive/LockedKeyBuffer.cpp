#include "app/archive/LockedKeyBuffer.h"

#include "core/support/SecureMemory.h"

#include <QDebug>

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace stowline {

LockedKeyBuffer::LockedKeyBuffer() {
    const long page = ::sysconf(_SC_PAGESIZE);
    m_pageBytes = std::size_t(page > 0 ? page : 4096);
    static_assert(slotCount * keyBytes <= 4096);
    // A page of its own, so locking and the dump exclusion cover the keys and nothing else.
    void* mapped = ::mmap(nullptr, m_pageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped != MAP_FAILED) {
        m_page = static_cast<char*>(mapped);
        m_mapped = true;
        m_locked = ::mlock(m_page, m_pageBytes) == 0;
        m_excludedFromDumps = ::madvise(m_page, m_pageBytes, MADV_DONTDUMP) == 0;
        // Not handed on to a child made by fork.
        (void)::madvise(m_page, m_pageBytes, MADV_DONTFORK);
    } else {
        m_pageBytes = std::size_t(slotCount * keyBytes);
        m_page = new char[m_pageBytes]();
    }
    if (!m_locked)
        qWarning().noquote() << "Stowline: could not lock the archive key in memory; it may reach swap";
}

LockedKeyBuffer::~LockedKeyBuffer() {
    SecureMemory::wipe(m_page, m_pageBytes);
    if (!m_mapped) {
        delete[] m_page;
        return;
    }
    if (m_locked)
        ::munlock(m_page, m_pageBytes);
    ::munmap(m_page, m_pageBytes);
}

QByteArrayView LockedKeyBuffer::store(int slot, QByteArrayView key, bool* replaced) {
    char* bytes = slotBytes(slot);
    const bool same = m_filled[std::size_t(slot)] && key.size() == keyBytes &&
                      std::memcmp(bytes, key.data(), std::size_t(keyBytes)) == 0;
    if (replaced)
        *replaced = m_filled[std::size_t(slot)] && !same;
    if (key.size() != keyBytes) {
        release(slot);
        return {};
    }
    if (!same)
        std::memcpy(bytes, key.data(), std::size_t(keyBytes));
    m_filled[std::size_t(slot)] = true;
    return QByteArrayView(bytes, keyBytes);
}

void LockedKeyBuffer::release(int slot) {
    SecureMemory::wipe(slotBytes(slot), std::size_t(keyBytes));
    m_filled[std::size_t(slot)] = false;
}

} // namespace stowline
