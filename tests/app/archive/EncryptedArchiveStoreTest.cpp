#include "app/archive/EncryptedArchiveStore.h"

#include "app/platform/fake/FakeSecretStore.h"
#include "core/archive/StowlineCipher.h"
#include "tests/support/ClipBuilders.h"
#include "tests/support/TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

using namespace stowline::test;
using Mode = ArchiveProtectionMode;
using Disposition = ArchiveLoadError::Disposition;

QStringList corruptFiles(const QString& folder) {
    return QDir(folder).entryList({u"history-corrupt-*"_s}, QDir::Files, QDir::Name);
}

class EncryptedArchiveStoreTest : public ::testing::Test {
protected:
    QString folder() const { return m_home.path() + u"/data/org.stowline.Stowline"_s; }

    QList<ClipItem> history(std::initializer_list<const char16_t*> texts) {
        QList<ClipItem> items;
        for (const char16_t* text : texts)
            items.append(test::textClip(QString::fromUtf16(text)));
        return items;
    }

    QTemporaryDir m_home;
    FakeSecretStore m_secrets;
    EncryptedArchiveStore m_store{folder(), m_secrets};
    const QList<ClipItem> m_items = history({u"alpha", u"beta", u"gamma"});
};

} // namespace

TEST_F(EncryptedArchiveStoreTest, LocationsFollowTheLayout) {
    EXPECT_EQ(m_store.localArchivePath(), folder() + u"/history-local.stwl"_s);
    EXPECT_EQ(m_store.keychainArchivePath(), folder() + u"/history-keychain.stwl"_s);
    EXPECT_EQ(m_store.legacyKeychainArchivePath(), folder() + u"/history.stwl"_s);
    EXPECT_EQ(m_store.localKeyPath(), folder() + u"/Local Protection/archive.key"_s);
    EXPECT_EQ(m_store.keyStore().service(), u"org.stowline.Stowline.archive-key.production"_s);
    EXPECT_EQ(m_store.keyStore().account(), u"primary"_s);
    qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
    EXPECT_EQ(EncryptedArchiveStore::defaultDirectory(), m_home.path() + u"/org.stowline.Stowline"_s);
}

TEST_F(EncryptedArchiveStoreTest, FirstLaunchCreatesNothingUntilTheFirstSave) {
    for (const Mode mode : {Mode::localFile, Mode::keychain}) {
        const auto loaded = m_store.load(mode);
        ASSERT_TRUE(loaded.ok());
        EXPECT_EQ(loaded->schemaVersion, 2);
        EXPECT_TRUE(loaded->items.isEmpty());
        EXPECT_EQ(m_store.diskSize(mode), 0);
    }
    EXPECT_FALSE(QFileInfo::exists(m_home.path() + u"/data"_s));
    EXPECT_TRUE(m_secrets.secrets.isEmpty());

    ASSERT_TRUE(m_store.save(m_items, Mode::localFile).ok());
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    EXPECT_EQ(permissionsOf(m_home.path() + u"/data"_s), owner | QFileDevice::ExeOwner);
    EXPECT_EQ(permissionsOf(folder()), owner | QFileDevice::ExeOwner);
    EXPECT_EQ(permissionsOf(folder() + u"/Local Protection"_s), owner | QFileDevice::ExeOwner);
    EXPECT_EQ(permissionsOf(m_store.localKeyPath()), owner);
    EXPECT_EQ(permissionsOf(m_store.localArchivePath()), owner);
    EXPECT_EQ(contents(m_store.localKeyPath()).size(), 32);
    EXPECT_EQ(m_store.diskSize(Mode::localFile), QFileInfo(m_store.localArchivePath()).size());
    EXPECT_GT(m_store.diskSize(Mode::localFile), 28);
    EXPECT_EQ(m_store.diskSize(Mode::keychain), 0);
    // Only the archive and the key folder; no temporary file is left behind.
    EXPECT_EQ(QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
              QStringList({u"Local Protection"_s, u"history-local.stwl"_s}));

    const auto loaded = m_store.load(Mode::localFile);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded->items, m_items);
    // The key is made once and kept.
    const QByteArray key = contents(m_store.localKeyPath());
    ASSERT_TRUE(m_store.save(history({u"delta"}), Mode::localFile).ok());
    EXPECT_EQ(contents(m_store.localKeyPath()), key);
}

TEST_F(EncryptedArchiveStoreTest, ASaveKeepsTheFolderModeAndSucceedsOnceRenamedEvenIfTheFolderFlushFails) {
    const auto shared = permissionsOf(m_home.path()) | QFileDevice::ReadGroup | QFileDevice::ExeGroup;
    ASSERT_TRUE(QDir().mkpath(folder()));
    ASSERT_TRUE(QFile::setPermissions(folder(), shared));
    ArchiveFiles::setFolderSyncForTesting([](const QString&) { return false; });
    const auto saved = m_store.save(m_items, Mode::localFile);
    ArchiveFiles::setFolderSyncForTesting({});
    ASSERT_TRUE(saved.ok()) << saved.error().describe().toStdString();
    EXPECT_EQ(m_store.load(Mode::localFile)->items, m_items);
    EXPECT_EQ(permissionsOf(folder()), shared);
}

TEST_F(EncryptedArchiveStoreTest, SavedBytesAreTheSealedArchiveUnderTheKeyFile) {
    ASSERT_TRUE(m_store.save(m_items, Mode::localFile).ok());
    const auto opened = StowlineCipher::open(contents(m_store.localArchivePath()), contents(m_store.localKeyPath()));
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ(opened->items, m_items);
}

TEST_F(EncryptedArchiveStoreTest, KeyFilesOfTheWrongLengthFailWithoutQuarantine) {
    ASSERT_TRUE(m_store.save(m_items, Mode::localFile).ok());
    const QByteArray archive = contents(m_store.localArchivePath());
    for (const qsizetype length : {0, 31, 33}) {
        SCOPED_TRACE(length);
        write(m_store.localKeyPath(), QByteArray(length, 'k'));
        const auto loaded = m_store.load(Mode::localFile);
        ASSERT_FALSE(loaded.ok());
        EXPECT_EQ(loaded.error().error.kind, ArchiveStoreError::Kind::localKey);
        EXPECT_EQ(loaded.error().error.localKey.kind, LocalKeyFileStoreError::Kind::invalidKey);
        EXPECT_EQ(loaded.error().disposition, Disposition::leftInPlace);
        const auto saved = m_store.save(m_items, Mode::localFile);
        ASSERT_FALSE(saved.ok());
        EXPECT_EQ(saved.error().localKey.kind, LocalKeyFileStoreError::Kind::invalidKey);
        EXPECT_EQ(contents(m_store.localArchivePath()), archive);
        EXPECT_TRUE(corruptFiles(folder()).isEmpty());
    }
}

TEST_F(EncryptedArchiveStoreTest, UnreadableContentIsMovedAsideAndTheNextSaveStartsFresh) {
    // The cipher's own table holds every kind of damage; here any of them must lead to quarantine.
    const struct {
        const char* name;
        std::function<QByteArray(QByteArray)> damage;
    } cases[] = {
        {"flipped tag",
         [](QByteArray b) {
             b[b.size() - 1] = char(b.back() ^ 1);
             return b;
         }},
        {"too short", [](QByteArray) { return QByteArray("short"); }},
        {"empty", [](QByteArray) { return QByteArray(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(m_store.save(m_items, Mode::localFile).ok());
        const QByteArray damaged = c.damage(contents(m_store.localArchivePath()));
        write(m_store.localArchivePath(), damaged);
        const QStringList before = corruptFiles(folder());

        const auto loaded = m_store.load(Mode::localFile);
        ASSERT_FALSE(loaded.ok());
        EXPECT_EQ(loaded.error().error.kind, ArchiveStoreError::Kind::cipher);
        EXPECT_EQ(loaded.error().error.cipher.kind, StowlineCipherError::Kind::authenticationFailed);
        EXPECT_EQ(loaded.error().disposition, Disposition::movedAside);
        EXPECT_TRUE(loaded.error().contentUnreadable());
        EXPECT_FALSE(QFileInfo::exists(m_store.localArchivePath()));
        const QString name = QFileInfo(loaded.error().quarantinePath).fileName();
        EXPECT_TRUE(QRegularExpression(u"^history-corrupt-\\d{4}-\\d\\d-\\d\\dT\\d\\d-\\d\\d-\\d\\dZ(-\\d+)?\\.stwl$"_s)
                        .match(name)
                        .hasMatch())
            << name.toStdString();
        EXPECT_EQ(contents(loaded.error().quarantinePath), damaged);
        EXPECT_EQ(corruptFiles(folder()).size(), before.size() + 1);

        const auto fresh = m_store.load(Mode::localFile);
        ASSERT_TRUE(fresh.ok());
        EXPECT_TRUE(fresh->items.isEmpty());
    }
    ASSERT_TRUE(m_store.save(m_items, Mode::localFile).ok());
    EXPECT_EQ(m_store.load(Mode::localFile)->items, m_items);
}

TEST_F(EncryptedArchiveStoreTest, QuarantineNeverReplacesAnEarlierUnreadableArchive) {
    ASSERT_TRUE(m_store.save(m_items, Mode::localFile).ok());
    // Earlier quarantines under every name this second (and the next ones) could produce.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QStringList decoys;
    for (int offset = 0; offset < 3; ++offset) {
        const QString stamp = now.addSecs(offset).toString(Qt::ISODate).replace(u':', u'-');
        const QString path = folder() + u"/history-corrupt-"_s + stamp + u".stwl"_s;
        write(path, "earlier " + QByteArray::number(offset));
        decoys.append(path);
    }
    write(m_store.localArchivePath(), "unreadable");
    const auto loaded = m_store.load(Mode::localFile);
    ASSERT_FALSE(loaded.ok());
    ASSERT_EQ(loaded.error().disposition, Disposition::movedAside);
    EXPECT_FALSE(decoys.contains(loaded.error().quarantinePath));
    EXPECT_TRUE(loaded.error().quarantinePath.endsWith(u"Z-2.stwl"_s)) << loaded.error().quarantinePath.toStdString();
    EXPECT_EQ(contents(loaded.error().quarantinePath), "unreadable");
    for (int offset = 0; offset < 3; ++offset)
        EXPECT_EQ(contents(decoys[offset]), "earlier " + QByteArray::number(offset));
}

TEST_F(EncryptedArchiveStoreTest, AnArchiveThatCannotBeReadStaysInPlace) {
    ASSERT_TRUE(m_store.save(m_items, Mode::localFile).ok());
    // A folder where the archive should be: it exists but reading fails, whoever runs the test.
    ASSERT_TRUE(QFile::remove(m_store.localArchivePath()));
    ASSERT_TRUE(QDir().mkpath(m_store.localArchivePath()));
    const auto loaded = m_store.load(Mode::localFile);
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.error().error.kind, ArchiveStoreError::Kind::fileSystem);
    EXPECT_EQ(loaded.error().disposition, Disposition::leftInPlace);
    EXPECT_FALSE(loaded.error().contentUnreadable());
    EXPECT_TRUE(QFileInfo(m_store.localArchivePath()).isDir());
    EXPECT_TRUE(corruptFiles(folder()).isEmpty());
}

TEST_F(EncryptedArchiveStoreTest, ADeletedKeyFileLeadsToANewKeyAndQuarantine) {
    ASSERT_TRUE(m_store.save(m_items, Mode::localFile).ok());
    const QByteArray oldKey = contents(m_store.localKeyPath());
    ASSERT_TRUE(QFile::remove(m_store.localKeyPath()));
    const auto loaded = m_store.load(Mode::localFile);
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.error().disposition, Disposition::movedAside);
    EXPECT_EQ(contents(m_store.localKeyPath()).size(), 32);
    EXPECT_NE(contents(m_store.localKeyPath()), oldKey);
    ASSERT_TRUE(m_store.save(history({u"after"}), Mode::localFile).ok());
    const auto reloaded = m_store.load(Mode::localFile);
    ASSERT_TRUE(reloaded.ok());
    ASSERT_EQ(reloaded->items.size(), 1);
    EXPECT_EQ(reloaded->items.first().title(), u"after"_s);
}

TEST_F(EncryptedArchiveStoreTest, ALockedOrUnreachableKeyringIsAnErrorNeverAMissingKey) {
    ASSERT_TRUE(m_store.save(m_items, Mode::keychain).ok());
    ASSERT_EQ(m_secrets.secrets.size(), 1);
    const QByteArray key = m_secrets.secrets.first().second;
    const QByteArray archive = contents(m_store.keychainArchivePath());
    for (const auto kind : {SecretStoreError::Kind::locked, SecretStoreError::Kind::unreachable}) {
        SCOPED_TRACE(int(kind));
        m_secrets.failWith = SecretStoreError{kind, {}};
        const auto loaded = m_store.load(Mode::keychain);
        ASSERT_FALSE(loaded.ok());
        EXPECT_EQ(loaded.error().error.kind, ArchiveStoreError::Kind::keychainKey);
        EXPECT_EQ(loaded.error().error.keychainKey.kind, kind == SecretStoreError::Kind::locked
                                                             ? KeychainKeyStoreError::Kind::locked
                                                             : KeychainKeyStoreError::Kind::unreachable);
        EXPECT_EQ(loaded.error().disposition, Disposition::leftInPlace);
        EXPECT_FALSE(m_store.save(history({u"lost?"}), Mode::keychain).ok());
        EXPECT_EQ(contents(m_store.keychainArchivePath()), archive);
        EXPECT_TRUE(corruptFiles(folder()).isEmpty());
    }
    m_secrets.failWith.reset();
    EXPECT_EQ(m_secrets.secrets.first().second, key);
    EXPECT_EQ(m_store.load(Mode::keychain)->items, m_items);
}

TEST_F(EncryptedArchiveStoreTest, TheKeyringKeyIsTextSoKeyringsThatKeepOnlyTextGiveItBack) {
    m_secrets.keepsAs = FakeSecretStore::textOnly;
    ASSERT_TRUE(m_store.save(m_items, Mode::keychain).ok());
    ASSERT_EQ(m_secrets.secrets.size(), 1);
    EXPECT_EQ(m_secrets.lastContentType, u"text/plain"_s);
    const QByteArray stored = m_secrets.secrets.first().second;
    EXPECT_EQ(QByteArray::fromBase64(stored).size(), 32);
    EXPECT_EQ(m_store.load(Mode::keychain)->items, m_items);

    // The older raw form still opens; anything else is an error that keeps the archive and creates no key.
    const QByteArray raw = QByteArray::fromBase64(stored);
    m_secrets.secrets.first().second = raw;
    EXPECT_EQ(m_store.load(Mode::keychain)->items, m_items);
    const QByteArray archive = contents(m_store.keychainArchivePath());
    for (const QByteArray& wrong : {raw.left(31), FakeSecretStore::textOnly(raw), stored.left(40)}) {
        m_secrets.secrets.first().second = wrong;
        const auto loaded = m_store.load(Mode::keychain);
        ASSERT_FALSE(loaded.ok());
        EXPECT_EQ(loaded.error().error.keychainKey.kind, KeychainKeyStoreError::Kind::invalidKey);
        EXPECT_FALSE(m_store.save(m_items, Mode::keychain).ok());
        EXPECT_EQ(contents(m_store.keychainArchivePath()), archive);
        EXPECT_EQ(m_secrets.secrets.first().second, wrong);
    }
}

TEST_F(EncryptedArchiveStoreTest, ANewKeyTheKeyringChangesIsNeverUsedAndTheLocalFilesStay) {
    ASSERT_TRUE(m_store.save(m_items, Mode::localFile).ok());
    const auto before = snapshot(folder());
    m_secrets.keepsAs = [](const QByteArray& secret) { return secret.left(40); };
    const auto migrated = m_store.migrate(m_items, Mode::localFile, Mode::keychain, {});
    ASSERT_FALSE(migrated.ok());
    EXPECT_EQ(migrated.error().keychainKey.kind, KeychainKeyStoreError::Kind::keyChangedInKeyring);
    EXPECT_EQ(snapshot(folder()), before);
    EXPECT_TRUE(m_secrets.secrets.isEmpty());
}

TEST_F(EncryptedArchiveStoreTest, KeychainModeReadsTheLegacyArchive) {
    ASSERT_TRUE(m_store.save(m_items, Mode::keychain).ok());
    ASSERT_TRUE(QFile::rename(m_store.keychainArchivePath(), m_store.legacyKeychainArchivePath()));
    const auto loaded = m_store.load(Mode::keychain);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded->items, m_items);
    // The legacy file belongs to the keyring mode only.
    EXPECT_TRUE(m_store.load(Mode::localFile)->items.isEmpty());
}

TEST_F(EncryptedArchiveStoreTest, MigratingToTheKeyringMergesTheLegacyArchiveAndRemovesTheLocalFiles) {
    const QList<ClipItem> legacyItems = history({u"legacy one", u"legacy two"});
    ASSERT_TRUE(m_store.save(legacyItems, Mode::keychain).ok());
    ASSERT_TRUE(QFile::rename(m_store.keychainArchivePath(), m_store.legacyKeychainArchivePath()));
    ASSERT_TRUE(m_store.save(m_items, Mode::localFile).ok());

    qint64 seenLimit = -1;
    const auto merge = [&](QList<ClipItem> legacy, const QList<ClipItem>& current, qint64 limit) {
        seenLimit = limit;
        EXPECT_EQ(legacy, legacyItems);
        EXPECT_EQ(current, m_items);
        return current + legacy;
    };
    const auto migrated = m_store.migrate(m_items, Mode::localFile, Mode::keychain, merge);
    ASSERT_TRUE(migrated.ok()) << migrated.error().describe().toStdString();
    EXPECT_EQ(seenLimit, 1000);
    EXPECT_EQ(*migrated, m_items + legacyItems);
    EXPECT_FALSE(QFileInfo::exists(m_store.localArchivePath()));
    EXPECT_FALSE(QFileInfo::exists(m_store.localKeyPath()));
    EXPECT_FALSE(QFileInfo::exists(m_store.legacyKeychainArchivePath()));
    EXPECT_EQ(m_store.load(Mode::keychain)->items, *migrated);

    // And back: the keyring item stays, its archive goes.
    const auto back = m_store.migrate(*migrated, Mode::keychain, Mode::localFile, merge);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, *migrated);
    EXPECT_FALSE(QFileInfo::exists(m_store.keychainArchivePath()));
    EXPECT_EQ(m_secrets.secrets.size(), 1);
    EXPECT_EQ(m_store.load(Mode::localFile)->items, *migrated);
}

TEST_F(EncryptedArchiveStoreTest, AFailedMigrationLeavesTheSourceArchive) {
    ASSERT_TRUE(m_store.save(m_items, Mode::localFile).ok());
    const QByteArray archive = contents(m_store.localArchivePath());
    m_secrets.failWith = SecretStoreError{SecretStoreError::Kind::locked, {}};
    const auto migrated = m_store.migrate(m_items, Mode::localFile, Mode::keychain, {});
    ASSERT_FALSE(migrated.ok());
    EXPECT_EQ(migrated.error().keychainKey.kind, KeychainKeyStoreError::Kind::locked);
    EXPECT_EQ(contents(m_store.localArchivePath()), archive);
    EXPECT_EQ(contents(m_store.localKeyPath()).size(), 32);
    EXPECT_FALSE(QFileInfo::exists(m_store.keychainArchivePath()));

    const auto same = m_store.migrate(m_items, Mode::localFile, Mode::localFile, {});
    ASSERT_TRUE(same.ok());
    EXPECT_EQ(*same, m_items);
}

TEST_F(EncryptedArchiveStoreTest, FilesOpenToOthersAreMadePrivateAndReported) {
    ASSERT_TRUE(m_store.save(m_items, Mode::localFile).ok());
    EXPECT_FALSE(m_store.securePermissions());

    const QString keyFolder = folder() + u"/Local Protection"_s;
    const auto open = QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const auto ownerFolder = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    ASSERT_TRUE(QFile::setPermissions(folder(), ownerFolder | open | QFileDevice::ExeGroup | QFileDevice::ExeOther));
    ASSERT_TRUE(QFile::setPermissions(m_store.localKeyPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | open));

    const std::optional<QString> warning = m_store.securePermissions();
    ASSERT_TRUE(warning);
    EXPECT_TRUE(warning->contains(folder() + u" was open to other users (permissions 0755)"_s))
        << warning->toStdString();
    EXPECT_TRUE(warning->contains(m_store.localKeyPath() + u" was open to other users (permissions 0644)"_s));
    EXPECT_FALSE(warning->contains(keyFolder + u' '));
    EXPECT_EQ(permissionsOf(folder()), ownerFolder);
    EXPECT_EQ(permissionsOf(m_store.localKeyPath()), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_FALSE(m_store.securePermissions());
    // The key still opens the history.
    EXPECT_EQ(m_store.load(Mode::localFile)->items.size(), m_items.size());
}
