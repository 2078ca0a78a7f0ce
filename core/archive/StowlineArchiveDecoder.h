#pragma once

#include "core/archive/StowlineArchive.h"
#include "core/archive/StowlineCipherError.h"
#include "core/support/Result.h"

#include <QByteArrayView>

#include <memory>

namespace stowline {

// Decodes an archive's JSON text as it arrives, piece by piece. Complete entries go in batches to worker
// threads while later pieces are still being read and decrypted, so a large history is decoded on every core
// and its plaintext is never held whole. Same rules and errors as reading the text at once: keys in any order,
// unknown keys ignored, the last "items" counts, each entry decoded as a whole and a failing one named by its
// index.
class StowlineArchiveDecoder {
public:
    StowlineArchiveDecoder();
    // Stops the workers; what they decoded is dropped.
    ~StowlineArchiveDecoder();
    StowlineArchiveDecoder(const StowlineArchiveDecoder&) = delete;
    StowlineArchiveDecoder& operator=(const StowlineArchiveDecoder&) = delete;

    // Room for the next `bytes` of the text: write them there, then `commit` them.
    char* space(qsizetype bytes);
    void commit(qsizetype bytes);
    void feed(QByteArrayView text);
    // Whether the text already cannot be a valid archive, so what follows need not be decoded.
    bool failed() const;
    // Ends the text and waits for the entries still being decoded.
    Result<StowlineArchive, StowlineCipherError> finish();

    // Windows, batches and `StowlineArchive::decode`'s feeds of this many bytes (0 restores the defaults), so
    // tests cross every boundary.
    static void setPieceBytesForTesting(qsizetype bytes);
    static qsizetype pieceBytes();

private:
    struct State;
    std::unique_ptr<State> d;
};

} // namespace stowline
