#include "core/archive/StowlineArchiveDecoder.h"

#include "core/model/ClipJsonReader.h"
#include "core/support/SecureMemory.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace stowline {

namespace {

using Reason = JsonDecodeError::Reason;
namespace od = simdjson::ondemand;

constexpr qsizetype defaultPieceBytes = qsizetype(4) << 20;
// About a thousand text entries: enough to keep a worker busy for a while, small beside a window.
constexpr qsizetype defaultBatchBytes = qsizetype(1) << 20;
constexpr qsizetype padding = simdjson::SIMDJSON_PADDING;

std::atomic<qsizetype> testPieceBytes{0};

qsizetype windowBytes() {
    const qsizetype test = testPieceBytes.load();
    return test > 0 ? test : defaultPieceBytes;
}

qsizetype batchBytes() {
    const qsizetype test = testPieceBytes.load();
    return test > 0 ? test : defaultBatchBytes;
}

StowlineCipherError rootError(Reason reason, const char* key = "") {
    return StowlineCipherError::decodingFailed(JsonDecodeError{reason, QString::fromLatin1(key)}, -1);
}

StowlineCipherError rootError(simdjson::error_code code, const char* key) {
    const bool wrongType = code == simdjson::INCORRECT_TYPE || code == simdjson::NUMBER_OUT_OF_RANGE;
    return rootError(wrongType ? Reason::typeMismatch : Reason::syntax, key);
}

// Finds the extent of values in a JSON text without decoding them; strings are skipped whole, so brackets and
// quotes inside them never count. What lies inside an extent is left for the parser to judge. Notes when it
// reached the end of what has arrived so far, where a value or white space may go on in the next piece.
class StructureScanner {
public:
    StructureScanner(const char* json, qsizetype length, qsizetype position)
        : m_json(json), m_length(length), m_position(position) {}

    qsizetype position() const { return m_position; }
    bool ranOut() const { return m_ranOut; }
    bool atEnd() {
        skipSpace();
        return m_position == m_length;
    }
    void skipSpace() {
        while (m_position < m_length && m_json[m_position] != 0 && std::strchr(" \t\n\r", m_json[m_position]))
            ++m_position;
        m_ranOut |= m_position == m_length;
    }
    // Skips white space and takes `c` when it comes next.
    bool take(char c) {
        if (!peek(c))
            return false;
        ++m_position;
        return true;
    }
    bool peek(char c) {
        skipSpace();
        return m_position < m_length && m_json[m_position] == c;
    }
    enum class Member { next, end, broken };
    // Steps to the next member of an open object or array that `close` ends, each after the first behind a comma;
    // with `next`, `start` is where the member begins.
    Member nextMember(char close, bool first, qsizetype& start) {
        if (take(close))
            return Member::end;
        if (!first && !take(','))
            return Member::broken;
        skipSpace();
        start = m_position;
        return Member::next;
    }
    // Moves past the next value; false when the text ends inside it or no value starts here.
    bool skipValue() {
        skipSpace();
        if (m_position == m_length)
            return false;
        const char first = m_json[m_position];
        if (first == '"')
            return skipString();
        if (first != '{' && first != '[') {
            const qsizetype start = m_position;
            while (m_position < m_length && !std::strchr(",:]} \t\n\r{[\"", m_json[m_position]))
                ++m_position;
            // A number or literal that reaches the end may go on in the next piece.
            m_ranOut |= m_position == m_length;
            return m_position > start;
        }
        qsizetype depth = 0;
        while (m_position < m_length) {
            const char c = m_json[m_position];
            if (c == '"') {
                if (!skipString())
                    return false;
                continue;
            }
            ++m_position;
            if (c == '{' || c == '[')
                ++depth;
            else if ((c == '}' || c == ']') && --depth == 0)
                return true;
        }
        m_ranOut = true;
        return false;
    }

private:
    // At an opening quote: moves past the closing one, the first quote not escaped by an odd run of backslashes.
    bool skipString() {
        for (qsizetype from = m_position + 1;;) {
            const void* found = std::memchr(m_json + from, '"', size_t(m_length - from));
            if (!found) {
                m_ranOut = true;
                return false;
            }
            const qsizetype quote = static_cast<const char*>(found) - m_json;
            qsizetype backslashes = 0;
            while (m_json[quote - 1 - backslashes] == '\\')
                ++backslashes;
            from = quote + 1;
            if (backslashes % 2 == 0) {
                m_position = from;
                return true;
            }
        }
    }

    const char* m_json;
    qsizetype m_length;
    qsizetype m_position;
    bool m_ranOut = false;
};

// One JSON value parsed on its own, from a copy with the parser's padding.
template <typename Read>
auto parseAlone(const char* json, qsizetype length, Read read) {
    od::parser parser;
    const simdjson::padded_string text(json, size_t(length));
    od::document document;
    auto error = parser.iterate(text).get(document);
    return read(document, error);
}

// A window's bytes, shared by the batches cut from it; freed when the last of them is decoded.
// Holds decrypted text, which is wiped before the memory goes back.
struct Buffer {
    explicit Buffer(qsizetype size) : bytes(new char[size_t(size)]), capacity(size) {}
    ~Buffer() { SecureMemory::wipe(bytes.get(), size_t(capacity)); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    std::unique_ptr<char[]> bytes;
    qsizetype capacity;
};

// An entry's bytes in its window, its index within its "items", and which "items" that is.
struct Extent {
    qsizetype begin;
    qsizetype end;
    qint64 index;
    int generation;
};

// Entries of one "items" from one window.
struct Batch {
    std::shared_ptr<const Buffer> buffer;
    std::vector<Extent> entries;
    int generation = 0;
    size_t sequence = 0;
};

struct Decoded {
    QList<ClipItem> items;
    std::optional<StowlineCipherError> error;
    int generation = 0;
};

Decoded decodeBatch(od::parser& parser, const Batch& batch) {
    Decoded decoded;
    decoded.generation = batch.generation;
    decoded.items.reserve(qsizetype(batch.entries.size()));
    const char* bytes = batch.buffer->bytes.get();
    for (size_t i = 0; i < batch.entries.size(); ++i) {
        const Extent& entry = batch.entries[i];
        const qint64 index = entry.index;
        od::document document;
        od::value element;
        // What follows the entry in the window serves as the parser's padding.
        if (parser
                .iterate(bytes + entry.begin, size_t(entry.end - entry.begin),
                         size_t(batch.buffer->capacity - entry.begin))
                .get(document) ||
            document.get_value().get(element)) {
            decoded.error = StowlineCipherError::decodingFailed(JsonDecodeError{Reason::syntax, {}}, index);
            break;
        }
        auto item = ClipJson::read(element);
        if (!item) {
            decoded.error = StowlineCipherError::decodingFailed(item.error(), index);
            break;
        }
        decoded.items.append(std::move(item).value());
    }
    return decoded;
}

} // namespace

struct StowlineArchiveDecoder::State {
    enum class Stage { beforeRoot, members, items, afterRoot, notObject };

    ~State() {
        SecureMemory::wipe(discard.get(), size_t(discardSize));
        {
            const std::lock_guard lock(mutex);
            closing = true;
            firstFailed = 0;
            queue.clear();
        }
        changed.notify_all();
        for (std::thread& worker : workers)
            worker.join();
    }

    // The text that has arrived and is not consumed yet lies in `window` from `checkpoint` to `used`; past
    // `used` there is room for more and the parser's padding.
    std::shared_ptr<Buffer> window;
    qsizetype used = 0;
    qsizetype checkpoint = 0;
    Stage stage = Stage::beforeRoot;
    bool firstMember = true;
    bool firstEntry = true;
    StowlineArchive archive;
    bool hasVersion = false;
    bool hasItems = false;
    int generation = 0;
    qint64 entriesInGeneration = 0;
    std::optional<StowlineCipherError> error;
    // Bytes written after a failure, which nothing reads.
    std::unique_ptr<char[]> discard;
    qsizetype discardSize = 0;

    std::vector<Extent> pending;
    size_t batchesMade = 0;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Batch> queue;
    std::vector<Decoded> results;
    std::vector<std::thread> workers;
    bool noWorkers = false;
    od::parser callerParser;
    bool closing = false;
    // The earliest batch that failed: later ones need no decoding.
    std::atomic<size_t> firstFailed{std::numeric_limits<size_t>::max()};

    void fail(StowlineCipherError failure) {
        if (!error)
            error = std::move(failure);
    }

    // Takes the next batch and decodes it; false when there is none. With `wait`, waits for one until closing.
    bool decodeNext(od::parser& parser, bool wait) {
        Batch batch;
        {
            std::unique_lock lock(mutex);
            if (wait)
                changed.wait(lock, [this] { return closing || !queue.empty(); });
            if (queue.empty())
                return false;
            batch = std::move(queue.front());
            queue.pop_front();
        }
        changed.notify_all();
        Decoded decoded;
        decoded.generation = batch.generation;
        if (batch.sequence <= firstFailed.load())
            decoded = decodeBatch(parser, batch);
        batch.buffer.reset();
        if (decoded.error) {
            size_t earliest = firstFailed.load();
            while (batch.sequence < earliest && !firstFailed.compare_exchange_weak(earliest, batch.sequence)) {
            }
        }
        const std::lock_guard lock(mutex);
        results[batch.sequence] = std::move(decoded);
        return true;
    }

    void work() {
        od::parser parser;
        while (decodeNext(parser, true)) {
        }
    }

    void push(Batch batch) {
        std::unique_lock lock(mutex);
        // A small text is decoded by the caller alone, in `finish`.
        if (workers.empty() && batchesMade > 0 && !noWorkers) {
            const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
            try {
                for (unsigned i = 0; i < std::min(cores, 4u); ++i)
                    workers.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                // Short of threads: the caller decodes as it goes.
                noWorkers = workers.empty();
            }
        }
        const auto bound = [this] { return 2 * workers.size() + 2; };
        while (workers.empty() && queue.size() >= bound()) {
            lock.unlock();
            decodeNext(callerParser, false);
            lock.lock();
        }
        // Bounded, so the text read ahead of the workers stays a few windows.
        changed.wait(lock, [&] { return queue.size() < bound(); });
        batch.sequence = batchesMade++;
        results.emplace_back();
        queue.push_back(std::move(batch));
        lock.unlock();
        changed.notify_all();
    }

    // Hands the pending entries that end at or before `limit` to the workers.
    void cutBatches(qsizetype limit) {
        while (!pending.empty()) {
            const int batchGeneration = pending.front().generation;
            const auto end = std::find_if(pending.begin(), pending.end(), [&](const Extent& e) {
                return e.end > limit || e.generation != batchGeneration;
            });
            if (end == pending.begin())
                return;
            Batch batch;
            batch.buffer = window;
            batch.entries.assign(pending.begin(), end);
            batch.generation = batchGeneration;
            pending.erase(pending.begin(), end);
            push(std::move(batch));
        }
    }

    // Moves the unconsumed text into a new window with room for `bytes` more; the old window is no longer
    // written, so every entry pending in it goes out (they all end before the checkpoint).
    void renewWindow(qsizetype bytes) {
        const qsizetype keep = used - checkpoint;
        if (window) {
            std::memset(window->bytes.get() + used, ' ', size_t(window->capacity - used));
            cutBatches(used);
        }
        // Doubling when one value outgrows the window keeps rescanning it linear.
        const qsizetype room = std::max(2 * keep, keep + bytes);
        auto next = std::make_shared<Buffer>(room + padding);
        if (keep > 0)
            std::memcpy(next->bytes.get(), window->bytes.get() + checkpoint, size_t(keep));
        window = std::move(next);
        used = keep;
        checkpoint = 0;
    }

    enum class Step { advanced, needMore, stopped };

    // Takes in what the text holds from `checkpoint` on; with `final`, the text ends at `used`.
    void scan(bool final) {
        while (!error) {
            StructureScanner scanner(window ? window->bytes.get() : "", used, checkpoint);
            const Step step = advance(scanner, final);
            if (step == Step::advanced) {
                checkpoint = scanner.position();
                continue;
            }
            if (step == Step::needMore && final)
                fail(rootError(Reason::syntax));
            return;
        }
    }

    // One step of the root's structure: the root's opening, one member of it, one entry of "items", or the end.
    Step advance(StructureScanner& scanner, bool final) {
        const auto more = [&] { return !final && scanner.ranOut(); };
        const auto broken = [&](StowlineCipherError failure) {
            if (more())
                return Step::needMore;
            fail(std::move(failure));
            return Step::stopped;
        };
        using Member = StructureScanner::Member;
        switch (stage) {
        case Stage::beforeRoot:
            if (scanner.take('{')) {
                stage = Stage::members;
                return Step::advanced;
            }
            if (more())
                return Step::needMore;
            stage = Stage::notObject;
            return Step::advanced;
        case Stage::notObject:
            // Kept whole to tell a value of another type from text that is no JSON at all.
            if (!final)
                return Step::needMore;
            if (scanner.atEnd() || !scanner.skipValue())
                fail(rootError(Reason::syntax));
            else
                fail(rootError(Reason::typeMismatch));
            return Step::stopped;
        case Stage::afterRoot:
            if (!scanner.atEnd())
                return broken(rootError(Reason::syntax));
            return final ? Step::stopped : Step::needMore;
        case Stage::members:
            return member(scanner, more, broken);
        case Stage::items: {
            qsizetype start = 0;
            const Member entry = scanner.nextMember(']', firstEntry, start);
            if (more())
                return Step::needMore;
            if (entry == Member::end) {
                stage = Stage::members;
                firstMember = false;
                return Step::advanced;
            }
            if (entry == Member::broken || !scanner.skipValue())
                return broken(rootError(Reason::syntax));
            if (more())
                return Step::needMore;
            firstEntry = false;
            pending.push_back({start, scanner.position(), entriesInGeneration++, generation});
            // Entries whose padding the next piece will not overwrite can go before the window is full.
            if (pending.back().end - pending.front().begin >= batchBytes())
                cutBatches(used - padding);
            return Step::advanced;
        }
        }
        return Step::stopped;
    }

    template <typename More, typename Broken>
    Step member(StructureScanner& scanner, const More& more, const Broken& broken) {
        using Member = StructureScanner::Member;
        const char* json = window->bytes.get();
        qsizetype keyStart = 0;
        const Member member = scanner.nextMember('}', firstMember, keyStart);
        if (more())
            return Step::needMore;
        if (member == Member::end) {
            stage = Stage::afterRoot;
            return Step::advanced;
        }
        if (member == Member::broken || !scanner.peek('"') || !scanner.skipValue())
            return broken(rootError(Reason::syntax));
        const qsizetype keyEnd = scanner.position();
        if (!scanner.take(':'))
            return broken(rootError(Reason::syntax));
        const std::string key =
            parseAlone(json + keyStart, keyEnd - keyStart, [](od::document& document, simdjson::error_code error) {
                std::string_view name;
                if (error || document.get_string().get(name))
                    return std::string();
                return std::string(name);
            });
        if (key == "items") {
            if (!scanner.take('[')) {
                if (more())
                    return Step::needMore;
                return broken(scanner.skipValue() ? rootError(Reason::typeMismatch, "items")
                                                  : rootError(Reason::syntax));
            }
            if (more())
                return Step::needMore;
            // A later "items" replaces an earlier one.
            ++generation;
            entriesInGeneration = 0;
            stage = Stage::items;
            firstEntry = true;
            hasItems = true;
            return Step::advanced;
        }
        scanner.skipSpace();
        const qsizetype valueStart = scanner.position();
        if (!scanner.skipValue() || more())
            return broken(rootError(Reason::syntax));
        firstMember = false;
        if (key != "schemaVersion")
            return Step::advanced;
        int64_t version = 0;
        const auto code = parseAlone(json + valueStart, scanner.position() - valueStart,
                                     [&version](od::document& document, simdjson::error_code error) {
                                         return error ? error : document.get_int64().get(version);
                                     });
        if (code) {
            fail(rootError(code, "schemaVersion"));
            return Step::stopped;
        }
        // Known before the entries (as every writer orders it): an archive from a newer writer is reported as
        // such rather than as entries that do not decode.
        if (!StowlineArchive::supports(version)) {
            fail(StowlineCipherError::unsupportedSchema(version));
            return Step::stopped;
        }
        archive.schemaVersion = version;
        hasVersion = true;
        return Step::advanced;
    }
};

StowlineArchiveDecoder::StowlineArchiveDecoder() : d(std::make_unique<State>()) {}

StowlineArchiveDecoder::~StowlineArchiveDecoder() = default;

void StowlineArchiveDecoder::setPieceBytesForTesting(qsizetype bytes) {
    testPieceBytes = std::max<qsizetype>(0, bytes);
}

qsizetype StowlineArchiveDecoder::pieceBytes() {
    return windowBytes();
}

bool StowlineArchiveDecoder::failed() const {
    return d->error || d->firstFailed.load() != std::numeric_limits<size_t>::max();
}

char* StowlineArchiveDecoder::space(qsizetype bytes) {
    if (failed()) {
        if (d->discardSize < bytes) {
            SecureMemory::wipe(d->discard.get(), size_t(d->discardSize));
            d->discard.reset(new char[size_t(bytes)]);
            d->discardSize = bytes;
        }
        return d->discard.get();
    }
    if (!d->window || d->window->capacity - padding - d->used < bytes)
        d->renewWindow(bytes);
    return d->window->bytes.get() + d->used;
}

void StowlineArchiveDecoder::commit(qsizetype bytes) {
    if (failed())
        return;
    d->used += bytes;
    d->scan(false);
}

void StowlineArchiveDecoder::feed(QByteArrayView text) {
    for (qsizetype done = 0; done < text.size();) {
        const qsizetype piece = std::min(windowBytes(), text.size() - done);
        std::memcpy(space(piece), text.data() + done, size_t(piece));
        commit(piece);
        done += piece;
    }
}

Result<StowlineArchive, StowlineCipherError> StowlineArchiveDecoder::finish() {
    State& s = *d;
    if (!failed()) {
        if (!s.window)
            s.renewWindow(0);
        std::memset(s.window->bytes.get() + s.used, ' ', size_t(s.window->capacity - s.used));
        s.scan(true);
        s.cutBatches(s.used);
    }
    {
        const std::lock_guard lock(s.mutex);
        s.closing = true;
    }
    s.changed.notify_all();
    // The caller's thread takes its share of what is left.
    while (s.decodeNext(s.callerParser, true)) {
    }
    for (std::thread& worker : s.workers)
        worker.join();
    s.workers.clear();

    // Entries come before anything found wrong after them, as reading the text in order would find them.
    qsizetype count = 0;
    for (const Decoded& decoded : s.results) {
        if (decoded.error)
            return fail(*decoded.error);
        if (decoded.generation == s.generation)
            count += decoded.items.size();
    }
    if (s.error)
        return fail(*s.error);
    if (!s.hasVersion)
        return fail(rootError(Reason::missingKey, "schemaVersion"));
    if (!s.hasItems)
        return fail(rootError(Reason::missingKey, "items"));
    s.archive.items.reserve(count);
    for (Decoded& decoded : s.results) {
        if (decoded.generation != s.generation)
            continue;
        for (ClipItem& item : decoded.items)
            s.archive.items.append(std::move(item));
        decoded.items = {};
    }
    return std::move(s.archive);
}

Result<StowlineArchive, StowlineCipherError> StowlineArchive::decode(QByteArrayView json) {
    StowlineArchiveDecoder decoder;
    decoder.feed(json);
    return decoder.finish();
}

} // namespace stowline
