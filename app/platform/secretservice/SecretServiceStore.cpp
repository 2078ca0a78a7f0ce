#include "app/platform/secretservice/SecretServiceStore.h"

#include <libsecret/secret.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace stowline {

namespace {

struct GObjectDeleter {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectDeleter>;

struct GErrorDeleter {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorDeleter>;

struct HashTableDeleter {
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};
using HashTablePtr = std::unique_ptr<GHashTable, HashTableDeleter>;

struct ObjectListDeleter {
    void operator()(GList* list) const { g_list_free_full(list, g_object_unref); }
};
using ObjectListPtr = std::unique_ptr<GList, ObjectListDeleter>;

struct SecretValueDeleter {
    void operator()(SecretValue* value) const { secret_value_unref(value); }
};
using SecretValuePtr = std::unique_ptr<SecretValue, SecretValueDeleter>;

// Cancels the calls of one operation once its time is up; libsecret's blocking calls all honour the cancellable.
class Deadline {
public:
    explicit Deadline(std::chrono::milliseconds timeout)
        : m_cancellable(g_cancellable_new()), m_watcher([this, timeout] {
            std::unique_lock lock(m_mutex);
            if (!m_finished.wait_for(lock, timeout, [this] { return m_done; })) {
                m_expired = true;
                g_cancellable_cancel(m_cancellable.get());
            }
        }) {}

    ~Deadline() {
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_finished.notify_one();
        m_watcher.join();
    }

    GCancellable* cancellable() const { return m_cancellable.get(); }
    bool expired() {
        const std::lock_guard lock(m_mutex);
        return m_expired;
    }

private:
    GObjectPtr<GCancellable> m_cancellable;
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    bool m_expired = false;
    std::thread m_watcher;
};

SecretStoreError errorFrom(const GErrorPtr& error, Deadline& deadline) {
    const QString message = error ? QString::fromUtf8(error->message) : QString();
    if (deadline.expired() || (error && g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)))
        return {SecretStoreError::Kind::unreachable, QStringLiteral("the secret service did not answer in time")};
    if (error && g_error_matches(error.get(), SECRET_ERROR, SECRET_ERROR_IS_LOCKED))
        return {SecretStoreError::Kind::locked, message};
    if (error && (error->domain == G_DBUS_ERROR || error->domain == G_IO_ERROR))
        return {SecretStoreError::Kind::unreachable, message};
    return {SecretStoreError::Kind::failed, message};
}

SecretStoreError lockedError() {
    return {SecretStoreError::Kind::locked, QStringLiteral("the keyring is locked")};
}

HashTablePtr attributeTable(const QString& schemaName, const SecretStore::Attributes& attributes) {
    HashTablePtr table(g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free));
    const auto insert = [&table](const QString& name, const QString& value) {
        g_hash_table_insert(table.get(), g_strdup(name.toUtf8().constData()), g_strdup(value.toUtf8().constData()));
    };
    insert(QStringLiteral("xdg:schema"), schemaName);
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it)
        insert(it.key(), it.value());
    return table;
}

// One connection per operation: a cached one would keep a session with a daemon that has since restarted.
Result<GObjectPtr<SecretService>, SecretStoreError> connect(Deadline& deadline) {
    GError* raw = nullptr;
    SecretService* service = secret_service_open_sync(
        SECRET_TYPE_SERVICE, nullptr, SecretServiceFlags(SECRET_SERVICE_OPEN_SESSION), deadline.cancellable(), &raw);
    GErrorPtr error(raw);
    if (!service) {
        SecretStoreError failure = errorFrom(error, deadline);
        if (failure.kind == SecretStoreError::Kind::failed)
            failure.kind = SecretStoreError::Kind::unreachable;
        return fail(std::move(failure));
    }
    return GObjectPtr<SecretService>(service);
}

// The collection new secrets go to; nothing when the service has none.
Result<GObjectPtr<SecretCollection>, SecretStoreError> defaultCollection(SecretService* service, Deadline& deadline) {
    GError* raw = nullptr;
    SecretCollection* collection = secret_collection_for_alias_sync(
        service, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, deadline.cancellable(), &raw);
    GErrorPtr error(raw);
    if (error)
        return fail(errorFrom(error, deadline));
    return GObjectPtr<SecretCollection>(collection);
}

// Matching items, locked ones included; never unlocks.
Result<ObjectListPtr, SecretStoreError> search(SecretService* service, GHashTable* attributes, Deadline& deadline) {
    GError* raw = nullptr;
    GList* items =
        secret_service_search_sync(service, nullptr, attributes, SECRET_SEARCH_ALL, deadline.cancellable(), &raw);
    GErrorPtr error(raw);
    if (error)
        return fail(errorFrom(error, deadline));
    return ObjectListPtr(items);
}

// A connection and the items matching the attributes; the items belong to the connection and live with it.
struct Matches {
    GObjectPtr<SecretService> service;
    ObjectListPtr items;
};

Result<Matches, SecretStoreError> findMatching(const QString& schemaName, const SecretStore::Attributes& attributes,
                                               Deadline& deadline) {
    auto service = connect(deadline);
    if (!service)
        return fail(service.error());
    const HashTablePtr table = attributeTable(schemaName, attributes);
    auto items = search(service->get(), table.get(), deadline);
    if (!items)
        return fail(items.error());
    return Matches{std::move(service.value()), std::move(items.value())};
}

} // namespace

SecretServiceStore::SecretServiceStore(QString schemaName, std::chrono::milliseconds timeout)
    : m_schemaName(std::move(schemaName)), m_timeout(timeout) {}

Result<std::optional<QByteArray>, SecretStoreError> SecretServiceStore::lookup(const Attributes& attributes) {
    Deadline deadline(m_timeout);
    auto matches = findMatching(m_schemaName, attributes, deadline);
    if (!matches)
        return fail(matches.error());

    bool sawLocked = false;
    for (GList* node = matches->items.get(); node; node = node->next) {
        auto* item = static_cast<SecretItem*>(node->data);
        if (secret_item_get_locked(item)) {
            sawLocked = true;
            continue;
        }
        GError* raw = nullptr;
        const gboolean loaded = secret_item_load_secret_sync(item, deadline.cancellable(), &raw);
        GErrorPtr error(raw);
        if (!loaded)
            return fail(errorFrom(error, deadline));
        const SecretValuePtr value(secret_item_get_secret(item));
        if (!value)
            return fail(lockedError());
        gsize length = 0;
        const gchar* bytes = secret_value_get(value.get(), &length);
        return std::optional(QByteArray(bytes, qsizetype(length)));
    }
    if (sawLocked)
        return fail(lockedError());

    // A locked collection hides its secrets from a search, so "nothing" only means absent when the collection a
    // secret would live in is open.
    auto collection = defaultCollection(matches->service.get(), deadline);
    if (!collection)
        return fail(collection.error());
    if (*collection) {
        if (secret_collection_get_locked(collection->get()))
            return fail(lockedError());
        return std::optional<QByteArray>();
    }
    // Without a default collection the secret could only be in another one; any of them locked may hide it.
    GError* raw = nullptr;
    if (!secret_service_load_collections_sync(matches->service.get(), deadline.cancellable(), &raw)) {
        GErrorPtr error(raw);
        return fail(errorFrom(error, deadline));
    }
    const ObjectListPtr collections(secret_service_get_collections(matches->service.get()));
    for (GList* node = collections.get(); node; node = node->next) {
        if (secret_collection_get_locked(static_cast<SecretCollection*>(node->data)))
            return fail(lockedError());
    }
    return std::optional<QByteArray>();
}

Status<SecretStoreError> SecretServiceStore::store(const Attributes& attributes, const QString& label,
                                                   const QByteArray& secret, const QString& contentType) {
    Deadline deadline(m_timeout);
    auto service = connect(deadline);
    if (!service)
        return fail(service.error());
    auto collection = defaultCollection(service->get(), deadline);
    if (!collection)
        return fail(collection.error());
    if (!*collection)
        return fail(SecretStoreError{SecretStoreError::Kind::failed, QStringLiteral("there is no default keyring")});
    if (secret_collection_get_locked(collection->get()))
        return fail(lockedError());

    const HashTablePtr table = attributeTable(m_schemaName, attributes);
    const SecretValuePtr value(secret_value_new(secret.constData(), secret.size(), contentType.toUtf8().constData()));
    GError* raw = nullptr;
    const GObjectPtr<SecretItem> item(
        secret_item_create_sync(collection->get(), nullptr, table.get(), label.toUtf8().constData(), value.get(),
                                SECRET_ITEM_CREATE_REPLACE, deadline.cancellable(), &raw));
    GErrorPtr error(raw);
    if (!item)
        return fail(errorFrom(error, deadline));
    return Unit{};
}

Status<SecretStoreError> SecretServiceStore::remove(const Attributes& attributes) {
    Deadline deadline(m_timeout);
    auto matches = findMatching(m_schemaName, attributes, deadline);
    if (!matches)
        return fail(matches.error());
    for (GList* node = matches->items.get(); node; node = node->next) {
        auto* item = static_cast<SecretItem*>(node->data);
        if (secret_item_get_locked(item))
            return fail(lockedError());
        GError* raw = nullptr;
        const gboolean deleted = secret_item_delete_sync(item, deadline.cancellable(), &raw);
        GErrorPtr error(raw);
        if (!deleted)
            return fail(errorFrom(error, deadline));
    }
    return Unit{};
}

} // namespace stowline
