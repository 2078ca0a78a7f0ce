#include "tests/e2e/ClipboardClients.h"
#include "tests/e2e/StowlineProcess.h"

#include "core/archive/StowlineArchive.h"
#include "tests/support/ClipBuilders.h"
#include "tests/support/TestFiles.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

const QStringList importedTexts{u"https://example.com/report"_s, u"password: Tr0ub4dor&3-horse"_s,
                                u"quarterly report draft"_s, u"caf\u00e9 au lait"_s};

// The history a user brought along, imported as a user would: newest first, as listed above.
void importHistory(const StowlineProcess& stowline, const StowlineHome& home) {
    StowlineArchive archive;
    double used = 1000;
    for (const QString& text : importedTexts)
        archive.items.append(test::textClip(text, Timestamp{used--}));
    const QString file = home.configHome() + u"/../import.json"_s;
    write(file, archive.encode());
    const Finished imported = stowline.run({u"import"_s, file});
    ASSERT_EQ(imported.exitCode, 0) << imported.errors.toStdString();
}

// The fourth tab-separated field of each line: the titles as `list` prints them.
QStringList titlesIn(const QString& output) {
    QStringList titles;
    for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts))
        titles.append(line.section(u'\t', 3));
    return titles;
}

QList<QJsonObject> objectsIn(const QString& output) {
    QList<QJsonObject> objects;
    for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts)) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        objects.append(document.object());
    }
    return objects;
}

} // namespace

TEST(CommandLineEndToEnd, EveryCommandWithAndWithoutARunningInstance) {
    const QString credentialTitle = u"Credential from Editor"_s;
    for (bool running : {false, true}) {
        SCOPED_TRACE(running ? "through the running instance" : "on the archive");
        StowlineHome home;
        StowlineProcess stowline(home);
        importHistory(stowline, home);
        if (running) {
            ASSERT_TRUE(stowline.startInBackground());
        }
        const auto ok = [&](const QStringList& arguments) {
            const Finished finished = stowline.run(arguments);
            EXPECT_EQ(finished.exitCode, 0)
                << arguments.join(u' ').toStdString() << ": " << finished.errors.toStdString();
            return finished.output;
        };

        EXPECT_EQ(titlesIn(ok({u"list"_s})),
                  (QStringList{importedTexts[0], credentialTitle, importedTexts[2], importedTexts[3]}));
        EXPECT_EQ(titlesIn(ok({u"list"_s, u"--limit"_s, u"2"_s})), (QStringList{importedTexts[0], credentialTitle}));
        EXPECT_EQ(titlesIn(ok({u"search"_s, u"REPORT"_s, u"-draft"_s})), QStringList{importedTexts[0]});
        EXPECT_EQ(titlesIn(ok({u"search"_s, u"r"_s, u"--limit"_s, u"1"_s})), QStringList{importedTexts[0]});
        EXPECT_EQ(titlesIn(ok({u"list"_s, u"--filter"_s, u"links"_s})), QStringList{importedTexts[0]});
        EXPECT_TRUE(ok({u"search"_s, u"nothing-like-it"_s}).isEmpty());

        const QList<QJsonObject> credentials = objectsIn(ok({u"list"_s, u"--filter=credentials"_s, u"--json"_s}));
        ASSERT_EQ(credentials.size(), 1);
        EXPECT_EQ(credentials[0].value(u"title"_s).toString(), credentialTitle);
        EXPECT_TRUE(credentials[0].value(u"preview"_s).isNull());
        EXPECT_EQ(credentials[0].value(u"number"_s).toInt(), 2);
        EXPECT_FALSE(ok({u"list"_s, u"--json"_s}).contains(u"Tr0ub4dor"_s));
        EXPECT_TRUE(ok({u"list"_s, u"--show-secrets"_s}).contains(u"\tpassword: Tr0ub4dor&3-horse\n"_s));

        // The id `list --json` gives names the clip for the commands that change the history.
        const QList<QJsonObject> cafe = objectsIn(ok({u"search"_s, u"cafe"_s, u"--json"_s}));
        ASSERT_EQ(cafe.size(), 1);
        EXPECT_EQ(ok({u"favorite"_s, cafe[0].value(u"id"_s).toString()}).count(u"a favourite now"_s), 1);
        EXPECT_EQ(titlesIn(ok({u"list"_s})).first(), importedTexts[3]);
        ok({u"delete"_s, u"4"_s});
        EXPECT_FALSE(titlesIn(ok({u"list"_s})).contains(importedTexts[2]));

        const Finished refused = stowline.run({u"clear"_s});
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.errors.startsWith(u"stowline: this deletes all 3 clips; add --yes"_s))
            << refused.errors.toStdString();
        EXPECT_EQ(ok({u"clear"_s, u"--keep-favorites"_s}), u"deleted 2 clips and kept 1 favourites\n"_s);
        EXPECT_EQ(titlesIn(ok({u"list"_s})), QStringList{importedTexts[3]});

        // Putting a clip on the clipboard and capture itself need the running instance.
        for (const QStringList& arguments : {QStringList{u"copy"_s, u"1"_s}, {u"pause"_s}, {u"resume"_s}}) {
            SCOPED_TRACE(arguments.join(u' ').toStdString());
            const Finished finished = stowline.run(arguments);
            EXPECT_EQ(finished.exitCode, running ? 0 : 1) << finished.errors.toStdString();
            EXPECT_EQ(finished.errors.isEmpty(), running) << finished.errors.toStdString();
        }
        if (running) {
            EXPECT_EQ(ClipboardClients::paste(u"UTF8_STRING"_s), importedTexts[3].toUtf8());
        }
    }
}

TEST(CommandLineEndToEnd, AnIdFromTheJsonListingOrAPickedLinePutsTheClipOnTheClipboard) {
    StowlineHome home;
    StowlineProcess stowline(home);
    importHistory(stowline, home);
    ASSERT_TRUE(stowline.startInBackground());

    const Finished listed = stowline.run({u"list"_s, u"--json"_s});
    ASSERT_EQ(listed.exitCode, 0) << listed.errors.toStdString();
    QString id;
    for (const QJsonObject& clip : objectsIn(listed.output)) {
        if (clip.value(u"title"_s).toString() == importedTexts[2])
            id = clip.value(u"id"_s).toString();
    }
    ASSERT_FALSE(id.isEmpty());
    const Finished copied = stowline.run({u"copy"_s, id});
    EXPECT_EQ(copied.exitCode, 0) << copied.errors.toStdString();
    EXPECT_EQ(ClipboardClients::paste(u"UTF8_STRING"_s), importedTexts[2].toUtf8());

    // As `stowline list | fzf | stowline copy` hands on the line a person picked.
    const Finished people = stowline.run({u"list"_s});
    const QString picked = people.output.split(u'\n').value(3);
    ASSERT_TRUE(picked.endsWith(importedTexts[3])) << people.output.toStdString();
    const Finished fromInput = stowline.run({u"copy"_s}, 20000, picked.toUtf8() + '\n');
    EXPECT_EQ(fromInput.exitCode, 0) << fromInput.errors.toStdString();
    EXPECT_EQ(ClipboardClients::paste(u"UTF8_STRING"_s), importedTexts[3].toUtf8());

    const Finished nothingPicked = stowline.run({u"copy"_s});
    EXPECT_EQ(nothingPicked.exitCode, 1);
    EXPECT_EQ(ClipboardClients::paste(u"UTF8_STRING"_s), importedTexts[3].toUtf8());
}
