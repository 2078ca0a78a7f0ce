#include "app/platform/secretservice/SecretServiceStore.h"

#include "app/archive/EncryptedArchiveStore.h"
#include "tests/platform/secretservice/KeyringDaemon.h"
#include "tests/support/ClipBuilders.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

using Kind = SecretStoreError::Kind;
using Mode = ArchiveProtectionMode;

class SecretServiceStoreTest : public ::testing::Test {
protected:
    // A failed assertion in the suite's set-up would show as a skip; each case fails on its own instead.
    static void SetUpTestSuite() {
        s_daemon = new test::KeyringDaemon;
        s_started = s_daemon->start();
    }
    void SetUp() override { ASSERT_TRUE(s_started) << "gnome-keyring-daemon did not come up"; }
    static void TearDownTestSuite() {
        delete s_daemon;
        s_daemon = nullptr;
    }

    // Attributes no other test uses.
    static SecretStore::Attributes unique() {
        return {{u"service"_s, u"test"_s}, {u"account"_s, QUuid::createUuid().toString(QUuid::WithoutBraces)}};
    }

    static test::KeyringDaemon* s_daemon;
    static bool s_started;
    SecretServiceStore m_store{u"org.stowline.Stowline"_s};
};

test::KeyringDaemon* SecretServiceStoreTest::s_daemon = nullptr;
bool SecretServiceStoreTest::s_started = false;

} // namespace

TEST_F(SecretServiceStoreTest, StoresReplacesLooksUpAndRemoves) {
    const auto attributes = unique();
    const QByteArray secret("\x00\x01\xff binary\n", 11);
    ASSERT_TRUE(m_store.store(attributes, u"Test"_s, secret, u"application/octet-stream"_s).ok());
    auto found = m_store.lookup(attributes);
    ASSERT_TRUE(found.ok()) << found.error().detail.toStdString();
    EXPECT_EQ(*found, secret);

    ASSERT_TRUE(m_store.store(attributes, u"Test"_s, "second", u"application/octet-stream"_s).ok());
    EXPECT_EQ(*m_store.lookup(attributes), QByteArray("second"));

    // Other attributes or another schema do not match.
    auto other = attributes;
    other[u"account"_s] += u"x"_s;
    EXPECT_EQ(*m_store.lookup(other), std::nullopt);
    SecretServiceStore otherSchema(u"org.example.Other"_s);
    EXPECT_EQ(*otherSchema.lookup(attributes), std::nullopt);

    ASSERT_TRUE(m_store.remove(attributes).ok());
    EXPECT_EQ(*m_store.lookup(attributes), std::nullopt);
    EXPECT_TRUE(m_store.remove(attributes).ok());
}

TEST_F(SecretServiceStoreTest, ALockedCollectionIsAnErrorNeverAbsent) {
    const auto present = unique();
    const auto missing = unique();
    ASSERT_TRUE(m_store.store(present, u"Test"_s, "behind the lock", u"application/octet-stream"_s).ok());
    ASSERT_TRUE(s_daemon->lockDefaultCollection());

    for (const auto& attributes : {present, missing}) {
        const auto found = m_store.lookup(attributes);
        ASSERT_FALSE(found.ok());
        EXPECT_EQ(found.error().kind, Kind::locked);
    }
    const auto stored = m_store.store(missing, u"Test"_s, "new", u"application/octet-stream"_s);
    ASSERT_FALSE(stored.ok());
    EXPECT_EQ(stored.error().kind, Kind::locked);
    EXPECT_FALSE(m_store.remove(present).ok());

    KeychainKeyStore keys(m_store, u"test"_s, missing[u"account"_s]);
    const auto key = keys.loadOrCreate();
    ASSERT_FALSE(key.ok());
    EXPECT_EQ(key.error().kind, KeychainKeyStoreError::Kind::locked);

    // Unlocked again (the daemon unlocks the login keyring on start): nothing was created or lost meanwhile.
    ASSERT_TRUE(s_daemon->restart());
    EXPECT_EQ(*m_store.lookup(present), QByteArray("behind the lock"));
    EXPECT_EQ(*m_store.lookup(missing), std::nullopt);
}

TEST_F(SecretServiceStoreTest, TheArchiveKeyIsReadInTheOlderRawFormAndStoredAsText) {
    const auto attributes = unique();
    KeychainKeyStore keys(m_store, attributes[u"service"_s], attributes[u"account"_s]);
    const auto created = keys.loadOrCreate();
    ASSERT_TRUE(created.ok()) << created.error().describe().toStdString();
    EXPECT_EQ(*m_store.lookup(attributes), created->toBase64());
    EXPECT_EQ(*keys.loadOrCreate(), *created);

    const QByteArray raw(32, '\xA7');
    ASSERT_TRUE(m_store.store(attributes, u"Test"_s, raw, u"application/octet-stream"_s).ok());
    EXPECT_EQ(*keys.loadOrCreate(), raw);
    EXPECT_EQ(*m_store.lookup(attributes), raw);
    EXPECT_TRUE(m_store.remove(attributes).ok());
}

TEST_F(SecretServiceStoreTest, ArchiveMovesBetweenKeyFileAndKeyringBothWays) {
    QTemporaryDir home;
    EncryptedArchiveStore archives(home.path() + u"/org.stowline.Stowline"_s, m_store);
    const SecretStore::Attributes keyAttributes{{u"service"_s, archives.keyStore().service()},
                                                {u"account"_s, archives.keyStore().account()}};
    ASSERT_TRUE(m_store.remove(keyAttributes).ok());
    const QList<ClipItem> items{test::textClip(u"one"_s), test::textClip(u"two"_s)};
    ASSERT_TRUE(archives.save(items, Mode::localFile).ok());

    const auto noMerge = [](QList<ClipItem>, const QList<ClipItem>& current, qint64) { return current; };
    const auto toKeyring = archives.migrate(items, Mode::localFile, Mode::keychain, noMerge);
    ASSERT_TRUE(toKeyring.ok()) << toKeyring.error().describe().toStdString();
    EXPECT_FALSE(QFileInfo::exists(archives.localArchivePath()));
    EXPECT_FALSE(QFileInfo::exists(archives.localKeyPath()));
    const auto key = m_store.lookup(keyAttributes);
    ASSERT_TRUE(key.ok() && key->has_value());
    EXPECT_EQ(QByteArray::fromBase64(**key).size(), 32);

    ASSERT_TRUE(s_daemon->restart());
    const auto loaded = archives.load(Mode::keychain);
    ASSERT_TRUE(loaded.ok()) << loaded.error().error.describe().toStdString();
    EXPECT_EQ(loaded->items, items);

    ASSERT_TRUE(s_daemon->lockDefaultCollection());
    const auto lockedLoad = archives.load(Mode::keychain);
    ASSERT_FALSE(lockedLoad.ok());
    EXPECT_EQ(lockedLoad.error().disposition, ArchiveLoadError::Disposition::leftInPlace);
    EXPECT_TRUE(QFileInfo::exists(archives.keychainArchivePath()));
    ASSERT_TRUE(s_daemon->restart());

    const auto back = archives.migrate(loaded->items, Mode::keychain, Mode::localFile, noMerge);
    ASSERT_TRUE(back.ok()) << back.error().describe().toStdString();
    EXPECT_FALSE(QFileInfo::exists(archives.keychainArchivePath()));
    EXPECT_EQ(*m_store.lookup(keyAttributes), *key);
    EXPECT_EQ(archives.load(Mode::localFile)->items, items);
    EXPECT_TRUE(m_store.remove(keyAttributes).ok());
}
