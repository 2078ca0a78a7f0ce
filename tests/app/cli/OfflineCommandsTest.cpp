#include "app/cli/OfflineCommands.h"

#include "app/archive/EncryptedArchiveStore.h"
#include "app/platform/fake/FakeSecretStore.h"
#include "core/archive/StowlineArchive.h"
#include "tests/support/ClipBuilders.h"
#include "tests/support/TestFiles.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

// A settings file of the first layout, which a start would migrate, and a history behind the keyring.
TEST(OfflineCommands, ReadTheSettingsWithoutWritingThemAndTheKeyringThroughTheGivenStore) {
    QTemporaryDir home;
    const QString settings = home.filePath(u"Stowline.conf"_s);
    const QByteArray firstLayout = "[General]\narchiveProtectionMode=keychain\nhistoryLimit=1\n";
    test::write(settings, firstLayout);
    FakeSecretStore secrets;
    EncryptedArchiveStore archive(home.filePath(u"data"_s), secrets);
    ASSERT_TRUE(archive
                    .save({test::textClip(u"newer"_s, Timestamp{20}), test::textClip(u"older"_s, Timestamp{10})},
                          ArchiveProtectionMode::keychain)
                    .ok());

    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    CommandOutput output(out, err);
    const OfflineEnvironment environment{secrets, settings, home.filePath(u"data"_s)};
    const auto run = [&](const InstanceRequest& request) {
        CommandLine commandLine;
        commandLine.mode = CommandLine::Mode::command;
        commandLine.request = request;
        return OfflineCommands::run(commandLine, environment, output);
    };

    ASSERT_EQ(run({InstanceCommand::list, {}}), 0) << err.data().toStdString();
    const QList<QByteArray> lines = out.data().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("1\t") && lines[0].endsWith("\ttext\tnewer"));
    EXPECT_TRUE(lines[1].startsWith("2\t") && lines[1].endsWith("\ttext\tolder"));

    // The first layout's limit does not count any more: the import keeps both clips and adds the third.
    const QString incoming = home.filePath(u"incoming.json"_s);
    StowlineArchive exported;
    exported.items = {test::textClip(u"imported"_s, Timestamp{5})};
    test::write(incoming, exported.encode());
    ASSERT_EQ(run({InstanceCommand::importHistory, {incoming}}), 0) << err.data().toStdString();
    EXPECT_EQ(archive.load(ArchiveProtectionMode::keychain)->items.size(), 3);

    secrets.failWith = SecretStoreError{SecretStoreError::Kind::unreachable, u"no bus"_s};
    EXPECT_EQ(run({InstanceCommand::list, {}}), 1);
    EXPECT_TRUE(err.data().contains("the keyring cannot be reached: no bus")) << err.data().toStdString();
    EXPECT_EQ(test::contents(settings), firstLayout);
}
