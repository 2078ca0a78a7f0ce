#include "core/archive/HistoryJournal.h"

#include "core/archive/StowlineCipher.h"
#include "core/history/HistoryEngine.h"
#include "core/model/ClipJson.h"
#include "core/support/SecureMemory.h"
#include "core/model/ClipJsonReader.h"
#include "core/model/JsonWriter.h"

#include <QHash>
#include <QSet>

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>

namespace stowline {

namespace {

constexpr char magic[] = "StwlJnl1";
constexpr qsizetype nonceBytes = StowlineCipher::nonceByteCount;
constexpr qsizetype tagBytes = StowlineCipher::tagByteCount;

bool sortsBefore(const ClipItem& a, const ClipItem& b) {
    if (a.isFavorite() != b.isFavorite())
        return a.isFavorite();
    return a.lastUsedAt() > b.lastUsedAt();
}

bool sameKey(const ClipItem& a, const ClipItem& b) {
    return a.isFavorite() == b.isFavorite() && a.lastUsedAt() == b.lastUsedAt();
}

bool sameBytes(const QByteArray& a, const QByteArray& b) {
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

bool sameContent(const ClipItem& a, const ClipItem& b) {
    const ClipRepresentations& ra = a.representations();
    const ClipRepresentations& rb = b.representations();
    if (ra.size() != rb.size() || a.thumbnailData().has_value() != b.thumbnailData().has_value())
        return false;
    if (a.thumbnailData() && !sameBytes(*a.thumbnailData(), *b.thumbnailData()))
        return false;
    for (qsizetype i = 0; i < ra.size(); ++i) {
        if (ra[i].itemIndex != rb[i].itemIndex || ra[i].typeIdentifier != rb[i].typeIdentifier ||
            !sameBytes(ra[i].data, rb[i].data))
            return false;
    }
    return true;
}

// `fields` with the representations and thumbnail of `content`.
ClipItem combined(const ClipItem& fields, const ClipItem& content) {
    ClipCore core = fields.core();
    core.representations = content.representations();
    core.thumbnailData = content.thumbnailData();
    ClipItem item(std::move(core));
    item.setCapturedFileSizeBytes(fields.capturedFileSizeBytes());
    item.setImagePixelWidth(fields.imagePixelWidth());
    item.setImagePixelHeight(fields.imagePixelHeight());
    item.setContentMetadataVersion(fields.contentMetadataVersion());
    item.setCredentialClassification(fields.credentialClassification());
    item.setRecognizedText(fields.recognizedText());
    item.setTextRecognitionVersion(fields.textRecognitionVersion());
    item.setTextFormat(fields.textFormat());
    item.setTextFormatVersion(fields.textFormatVersion());
    return item;
}

void appendDeparture(std::vector<std::pair<qint64, qint64>>& ranges, qint64 position) {
    if (!ranges.empty() && ranges.back().first + ranges.back().second == position)
        ++ranges.back().second;
    else
        ranges.emplace_back(position, 1);
}

using Reason = JsonDecodeError::Reason;
namespace od = simdjson::ondemand;

JsonDecodeError jsonError(simdjson::error_code code, const char* key) {
    const bool wrongType = code == simdjson::INCORRECT_TYPE || code == simdjson::NUMBER_OUT_OF_RANGE;
    return {wrongType ? Reason::typeMismatch : Reason::syntax, QString::fromLatin1(key)};
}

std::optional<JsonDecodeError> readArrival(od::value value, JournalChange::Arrival& arrival) {
    od::object object;
    if (auto code = value.get_object().get(object))
        return jsonError(code, "arrivals");
    bool hasPosition = false;
    bool hasItem = false;
    for (auto fieldResult : object) {
        od::field field;
        std::string_view name;
        if (std::move(fieldResult).get(field) || field.unescaped_key().get(name))
            return JsonDecodeError{Reason::syntax, {}};
        if (name == "at" || name == "from") {
            int64_t number = 0;
            if (auto code = field.value().get_int64().get(number))
                return jsonError(code, name == "at" ? "at" : "from");
            if (name == "at") {
                arrival.position = number;
                hasPosition = true;
            } else {
                arrival.contentFrom = number;
            }
        } else if (name == "item") {
            auto item = ClipJson::read(field.value());
            if (!item)
                return item.error();
            arrival.item = std::move(item).value();
            hasItem = true;
        }
    }
    if (!hasPosition)
        return JsonDecodeError{Reason::missingKey, QStringLiteral("at")};
    if (!hasItem)
        return JsonDecodeError{Reason::missingKey, QStringLiteral("item")};
    return std::nullopt;
}

struct CipherContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter>;

const unsigned char* bytesOf(QByteArrayView view) {
    return reinterpret_cast<const unsigned char*>(view.data());
}

QByteArray additionalData(QByteArrayView header, quint64 sequence) {
    QByteArray data = header.toByteArray();
    for (int shift = 0; shift < 64; shift += 8)
        data.append(char((sequence >> shift) & 0xff));
    return data;
}

quint32 readUint32(const char* bytes) {
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | quint8(bytes[i]);
    return value;
}

void appendUint32(QByteArray& bytes, quint32 value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(char((value >> shift) & 0xff));
}

// Decrypts one sealed record (nonce ‖ ciphertext ‖ tag); none when it does not authenticate.
std::optional<QByteArray> openRecord(QByteArrayView sealed, QByteArrayView keyData, QByteArrayView aad) {
    if (sealed.size() < nonceBytes + tagBytes || keyData.size() != StowlineCipher::keyByteCount)
        return std::nullopt;
    const qsizetype plainLength = sealed.size() - nonceBytes - tagBytes;
    QByteArray plain(plainLength, Qt::Uninitialized);
    unsigned char tag[tagBytes];
    std::memcpy(tag, sealed.data() + nonceBytes + plainLength, tagBytes);
    const CipherContext context(EVP_CIPHER_CTX_new());
    int written = 0;
    if (!context ||
        EVP_DecryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, bytesOf(keyData), bytesOf(sealed)) != 1 ||
        EVP_DecryptUpdate(context.get(), nullptr, &written, bytesOf(aad), int(aad.size())) != 1 ||
        EVP_DecryptUpdate(context.get(), reinterpret_cast<unsigned char*>(plain.data()), &written,
                          bytesOf(sealed) + nonceBytes, int(plainLength)) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, int(tagBytes), tag) != 1 ||
        EVP_DecryptFinal_ex(context.get(), nullptr, &written) != 1) {
        SecureMemory::wipe(plain);
        return std::nullopt;
    }
    return plain;
}

bool allZeros(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == 0; });
}

constexpr std::string_view foldPrefix = R"({"fold":")";

QByteArray foldText(QByteArrayView newArchiveNonce) {
    return QByteArray(foldPrefix.data(), qsizetype(foldPrefix.size())) + newArchiveNonce.toByteArray().toHex() +
           QByteArrayLiteral("\"}");
}

bool isFold(const QByteArray& plain) {
    return plain.startsWith(QByteArrayView(foldPrefix.data(), qsizetype(foldPrefix.size())));
}

bool isFoldInto(const QByteArray& plain, QByteArrayView archiveNonce) {
    return plain == foldText(archiveNonce);
}

// Whether a record that authenticates as one of the next few in sequence lies anywhere past `from`: then a
// length that runs past the end of the file hides records instead of ending a cut one.
bool laterRecordAuthenticates(QByteArrayView journal, qint64 from, QByteArrayView header, quint64 sequence,
                              QByteArrayView keyData) {
    constexpr quint64 sequencesTried = 16;
    for (qint64 at = from; at + HistoryJournal::framingByteCount + nonceBytes + tagBytes <= journal.size(); ++at) {
        const quint32 length = readUint32(journal.data() + at);
        if (readUint32(journal.data() + at + 4) != ~length ||
            qint64(length) > journal.size() - at - HistoryJournal::framingByteCount)
            continue;
        for (quint64 next = sequence + 1; next <= sequence + sequencesTried; ++next) {
            if (auto plain = openRecord(journal.sliced(at + HistoryJournal::framingByteCount, length), keyData,
                                        additionalData(header, next))) {
                SecureMemory::wipe(*plain);
                return true;
            }
        }
    }
    return false;
}

} // namespace

qint64 JournalChange::countAfter() const {
    qint64 count = countBefore + qint64(arrivals.size());
    for (const auto& [first, length] : departures)
        count -= length;
    return count;
}

std::optional<JournalChange> JournalChange::between(const HistoryEngine& before, const HistoryEngine& after) {
    // Entries are shared between the two histories until changed, so an entry that stayed is the very same
    // object in both. Both lists are in history order and entries that stay keep their relative order, so one
    // walk over both finds what left and what arrived; only entries with equal order keys need a closer look.
    JournalChange change;
    change.countBefore = before.size();
    std::vector<qint64> departed;
    std::vector<qint64> arrived;
    const qsizetype nb = before.size();
    const qsizetype na = after.size();
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < nb || j < na) {
        if (i < nb && j < na && &before.at(i) == &after.at(j)) {
            ++i;
            ++j;
            continue;
        }
        if (j >= na) {
            departed.push_back(i++);
            continue;
        }
        if (i >= nb) {
            arrived.push_back(j++);
            continue;
        }
        const ClipItem& b = before.at(i);
        const ClipItem& a = after.at(j);
        if (std::isnan(b.lastUsedAt().seconds) || std::isnan(a.lastUsedAt().seconds))
            return std::nullopt;
        if (sortsBefore(b, a)) {
            departed.push_back(i++);
            continue;
        }
        if (sortsBefore(a, b)) {
            arrived.push_back(j++);
            continue;
        }
        // Entries with the same order key: those present on both sides keep their order.
        qsizetype endB = i;
        while (endB < nb && sameKey(before.at(endB), b))
            ++endB;
        qsizetype endA = j;
        while (endA < na && sameKey(after.at(endA), a))
            ++endA;
        QSet<const ClipItem*> inAfter;
        for (qsizetype k = j; k < endA; ++k)
            inAfter.insert(&after.at(k));
        QSet<const ClipItem*> inBefore;
        for (qsizetype k = i; k < endB; ++k) {
            inBefore.insert(&before.at(k));
            if (!inAfter.contains(&before.at(k)))
                departed.push_back(k);
        }
        for (qsizetype k = j; k < endA; ++k) {
            if (!inBefore.contains(&after.at(k)))
                arrived.push_back(k);
        }
        i = endB;
        j = endA;
    }

    std::sort(departed.begin(), departed.end());
    std::sort(arrived.begin(), arrived.end());
    QHash<QUuid, qint64> departedById;
    for (qint64 position : departed) {
        appendDeparture(change.departures, position);
        departedById.insert(before.at(position).id(), position);
    }
    for (qint64 position : arrived) {
        const ClipItem& item = after.at(position);
        Arrival arrival{position, std::nullopt, item};
        const auto from = departedById.constFind(item.id());
        if (from != departedById.cend() && sameContent(before.at(*from), item)) {
            arrival.contentFrom = *from;
            arrival.item =
                combined(item, ClipItem({.id = item.id(), .createdAt = item.createdAt(), .kind = item.kind()}));
        }
        change.arrivals.push_back(std::move(arrival));
    }
    return change;
}

QByteArray JournalChange::encode() const {
    qsizetype hint = 64;
    for (const Arrival& arrival : arrivals)
        hint += ClipJson::encodedSizeHint(arrival.item) + 32;
    JsonWriter writer(hint + qsizetype(departures.size()) * 16);
    writer.beginObject();
    writer.key("count");
    writer.value(countBefore);
    if (savedAt) {
        writer.key("savedAt");
        writer.value(savedAt->seconds);
    }
    writer.key("departures");
    writer.beginArray();
    for (const auto& [first, length] : departures) {
        writer.value(first);
        writer.value(length);
    }
    writer.endArray();
    writer.key("arrivals");
    writer.beginArray();
    for (const Arrival& arrival : arrivals) {
        writer.beginObject();
        writer.key("at");
        writer.value(arrival.position);
        if (arrival.contentFrom) {
            writer.key("from");
            writer.value(*arrival.contentFrom);
        }
        writer.key("item");
        ClipJson::write(writer, arrival.item);
        writer.endObject();
    }
    writer.endArray();
    writer.endObject();
    return writer.take();
}

Result<JournalChange, JsonDecodeError> JournalChange::decode(QByteArrayView json) {
    const simdjson::padded_string text = ClipJson::padded(json);
    od::parser parser;
    od::document document;
    if (parser.iterate(text).get(document))
        return fail(JsonDecodeError{Reason::syntax, {}});
    od::object root;
    if (auto code = document.get_object().get(root))
        return fail(jsonError(code, ""));
    JournalChange change;
    bool hasCount = false;
    for (auto fieldResult : root) {
        od::field field;
        std::string_view name;
        if (std::move(fieldResult).get(field) || field.unescaped_key().get(name))
            return fail(JsonDecodeError{Reason::syntax, {}});
        if (name == "count") {
            int64_t count = 0;
            if (auto code = field.value().get_int64().get(count))
                return fail(jsonError(code, "count"));
            change.countBefore = count;
            hasCount = true;
        } else if (name == "savedAt") {
            double seconds = 0;
            if (auto code = field.value().get_double().get(seconds))
                return fail(jsonError(code, "savedAt"));
            change.savedAt = Timestamp{seconds};
        } else if (name == "departures") {
            od::array array;
            if (auto code = field.value().get_array().get(array))
                return fail(jsonError(code, "departures"));
            std::vector<qint64> numbers;
            for (auto element : array) {
                int64_t number = 0;
                if (auto code = element.get_int64().get(number))
                    return fail(jsonError(code, "departures"));
                numbers.push_back(number);
            }
            if (numbers.size() % 2 != 0)
                return fail(JsonDecodeError{Reason::invalidValue, QStringLiteral("departures")});
            for (size_t k = 0; k < numbers.size(); k += 2)
                change.departures.emplace_back(numbers[k], numbers[k + 1]);
        } else if (name == "arrivals") {
            od::array array;
            if (auto code = field.value().get_array().get(array))
                return fail(jsonError(code, "arrivals"));
            for (auto elementResult : array) {
                od::value element;
                if (std::move(elementResult).get(element))
                    return fail(JsonDecodeError{Reason::syntax, QStringLiteral("arrivals")});
                Arrival arrival;
                if (auto error = readArrival(element, arrival))
                    return fail(std::move(*error));
                change.arrivals.push_back(std::move(arrival));
            }
        }
    }
    if (!document.current_location().error())
        return fail(JsonDecodeError{Reason::syntax, {}});
    if (!hasCount)
        return fail(JsonDecodeError{Reason::missingKey, QStringLiteral("count")});
    return change;
}

JournalReplay::JournalReplay(QList<ClipItem> items) {
    m_pool.reserve(size_t(items.size()));
    m_order.reserve(size_t(items.size()));
    for (ClipItem& item : items) {
        m_order.push_back(quint32(m_pool.size()));
        m_pool.push_back(std::move(item));
    }
}

bool JournalReplay::apply(const JournalChange& change) {
    const qint64 before = qint64(m_order.size());
    if (change.countBefore != before)
        return false;
    // Every position is checked before anything changes.
    std::vector<bool> departed(m_order.size(), false);
    qint64 previousEnd = 0;
    for (const auto& [first, length] : change.departures) {
        if (first < previousEnd || length < 1 || first + length > before)
            return false;
        for (qint64 k = first; k < first + length; ++k)
            departed[size_t(k)] = true;
        previousEnd = first + length;
    }
    const qint64 after = change.countAfter();
    qint64 previousPosition = -1;
    for (const JournalChange::Arrival& arrival : change.arrivals) {
        if (arrival.position <= previousPosition || arrival.position >= after)
            return false;
        if (arrival.contentFrom &&
            (*arrival.contentFrom < 0 || *arrival.contentFrom >= before || !departed[size_t(*arrival.contentFrom)] ||
             m_pool[m_order[size_t(*arrival.contentFrom)]].id() != arrival.item.id()))
            return false;
        previousPosition = arrival.position;
    }
    if (m_pool.size() + change.arrivals.size() > std::numeric_limits<quint32>::max())
        return false;

    std::vector<quint32> order;
    order.reserve(size_t(after));
    size_t kept = 0;
    auto nextArrival = change.arrivals.cbegin();
    for (qint64 position = 0; position < after; ++position) {
        if (nextArrival != change.arrivals.cend() && nextArrival->position == position) {
            ClipItem item = nextArrival->contentFrom
                                ? combined(nextArrival->item, m_pool[m_order[size_t(*nextArrival->contentFrom)]])
                                : nextArrival->item;
            order.push_back(quint32(m_pool.size()));
            m_pool.push_back(std::move(item));
            ++nextArrival;
            continue;
        }
        while (departed[kept])
            ++kept;
        order.push_back(m_order[kept++]);
    }
    m_order = std::move(order);
    return true;
}

QList<ClipItem> JournalReplay::takeItems() {
    QList<ClipItem> items;
    items.reserve(qsizetype(m_order.size()));
    for (quint32 index : m_order)
        items.append(std::move(m_pool[index]));
    m_pool.clear();
    m_order.clear();
    return items;
}

namespace HistoryJournal {

QByteArray header(QByteArrayView archiveNonce) {
    QByteArray bytes(magic, magicByteCount);
    bytes.append(archiveNonce.data(), archiveNonce.size());
    return bytes;
}

Result<QByteArray, StowlineCipherError> sealRecord(QByteArrayView plain, QByteArrayView keyData, QByteArrayView header,
                                                   quint64 sequence) {
    if (keyData.size() != StowlineCipher::keyByteCount)
        return fail(StowlineCipherError::invalidKey());
    const qsizetype sealedLength = nonceBytes + plain.size() + tagBytes;
    QByteArray record;
    record.reserve(framingByteCount + sealedLength);
    appendUint32(record, quint32(sealedLength));
    appendUint32(record, ~quint32(sealedLength));
    record.resize(framingByteCount + nonceBytes);
    auto* nonce = reinterpret_cast<unsigned char*>(record.data() + framingByteCount);
    if (RAND_bytes(nonce, int(nonceBytes)) != 1)
        return fail(StowlineCipherError::randomGenerationFailed());
    record.resize(framingByteCount + nonceBytes + plain.size());
    const QByteArray aad = additionalData(header, sequence);
    const CipherContext context(EVP_CIPHER_CTX_new());
    int written = 0;
    unsigned char tag[tagBytes];
    if (!context || EVP_EncryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, bytesOf(keyData), nonce) != 1 ||
        EVP_EncryptUpdate(context.get(), nullptr, &written, bytesOf(aad), int(aad.size())) != 1 ||
        EVP_EncryptUpdate(context.get(),
                          reinterpret_cast<unsigned char*>(record.data() + framingByteCount + nonceBytes), &written,
                          bytesOf(plain), int(plain.size())) != 1 ||
        EVP_EncryptFinal_ex(context.get(), tag, &written) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, int(tagBytes), tag) != 1)
        return fail(StowlineCipherError::invalidKey());
    record.append(reinterpret_cast<const char*>(tag), tagBytes);
    return record;
}

Result<QByteArray, StowlineCipherError> sealFold(QByteArrayView newArchiveNonce, QByteArrayView keyData,
                                                 QByteArrayView header, quint64 sequence) {
    return sealRecord(foldText(newArchiveNonce), keyData, header, sequence);
}

qint64 recordsFrom(QByteArrayView journal, qint64 offset) {
    qint64 count = 0;
    while (offset < journal.size()) {
        const QByteArrayView rest = journal.sliced(offset);
        if (allZeros(rest))
            break;
        ++count;
        if (rest.size() < framingByteCount)
            break;
        const quint32 length = readUint32(rest.data());
        if (readUint32(rest.data() + 4) != ~length || qint64(length) > rest.size() - framingByteCount)
            break;
        offset += framingByteCount + qint64(length);
    }
    return count;
}

Reading read(QByteArrayView journal, QByteArrayView archiveNonce, QByteArrayView keyData) {
    Reading reading;
    const auto damaged = [&](qint64 unreadable) {
        reading.state = Reading::State::damaged;
        reading.unreadableRecords = std::max<qint64>(1, unreadable);
        return reading;
    };
    if (journal.size() < headerByteCount) {
        // The journal is created with its header and first record in one step: anything shorter that is not
        // a file extended by zeros never came from the writer.
        if (allZeros(journal))
            return reading;
        return damaged(1);
    }
    if (journal.first(magicByteCount) != QByteArrayView(magic, magicByteCount))
        return damaged(recordsFrom(journal, headerByteCount));

    const QByteArrayView header = journal.first(headerByteCount);
    const bool ours = archiveNonce.size() == nonceBytes && journal.sliced(magicByteCount, nonceBytes) == archiveNonce;
    struct Record {
        QByteArray plain;
        qint64 end = 0;
    };
    std::vector<Record> records;
    // The plain text of every record is wiped on each way out, decoded or not.
    struct Wiped {
        std::vector<Record>& records;
        ~Wiped() {
            for (Record& record : records)
                SecureMemory::wipe(record.plain);
        }
    } wiped{records};
    qint64 offset = headerByteCount;
    bool damageFollows = false;
    for (quint64 sequence = 0;; ++sequence) {
        const QByteArrayView rest = journal.sliced(offset);
        if (rest.isEmpty() || allZeros(rest) || rest.size() < framingByteCount)
            break;
        const quint32 length = readUint32(rest.data());
        if (readUint32(rest.data() + 4) != ~length) {
            damageFollows = true;
            break;
        }
        if (qint64(length) > rest.size() - framingByteCount) {
            damageFollows = laterRecordAuthenticates(journal, offset + framingByteCount, header, sequence, keyData);
            break;
        }
        auto plain = openRecord(rest.sliced(framingByteCount, length), keyData, additionalData(header, sequence));
        if (!plain) {
            damageFollows = true;
            break;
        }
        offset += framingByteCount + qint64(length);
        records.push_back({std::move(*plain), offset});
    }

    if (!ours) {
        // Another archive's journal: harmless only when it says it was folded into this one.
        const bool folded = !damageFollows && !records.empty() && isFoldInto(records.back().plain, archiveNonce);
        if (folded) {
            reading.state = Reading::State::superseded;
            return reading;
        }
        return damaged(qint64(records.size()) + recordsFrom(journal, offset));
    }

    reading.validLength = headerByteCount;
    for (size_t i = 0; i < records.size(); ++i) {
        if (isFold(records[i].plain)) {
            // The rewrite it announced never took place, or the journal would not name this archive any more.
            if (i + 1 == records.size() && !damageFollows)
                return reading;
            return damaged(qint64(records.size() - i) + recordsFrom(journal, offset));
        }
        auto change = JournalChange::decode(records[i].plain);
        if (!change)
            return damaged(qint64(records.size() - i) + recordsFrom(journal, offset));
        reading.changes.push_back(std::move(change).value());
        reading.changeEnds.push_back(records[i].end);
        reading.validLength = records[i].end;
    }
    if (damageFollows)
        return damaged(recordsFrom(journal, offset));
    return reading;
}

} // namespace HistoryJournal

} // namespace stowline
