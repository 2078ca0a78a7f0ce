#include "app/preferences/PreferenceStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace stowline;
using namespace Qt::StringLiterals;

TEST(PreferenceStore, DefaultFileFollowsTheConfigHome) {
    QTemporaryDir home;
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    EXPECT_EQ(PreferenceStore::defaultFilePath(), home.path() + u"/org.stowline.Stowline/Stowline.conf"_s);
    qputenv("XDG_CONFIG_HOME", previous);
}

TEST(PreferenceStore, RegisteredDefaultsShowThroughAbsentAndMistypedValues) {
    QTemporaryDir folder;
    const QString path = folder.filePath(u"a/b/Stowline.conf"_s);
    {
        PreferenceStore store(path);
        store.registerDefaults({{u"flag"_s, true}, {u"count"_s, qint64(7)}, {u"size"_s, 12.5}, {u"name"_s, u"x"_s}});
        EXPECT_EQ(store.boolean(u"flag"_s), true);
        EXPECT_EQ(store.storedBoolean(u"flag"_s), std::nullopt);
        EXPECT_EQ(store.integer(u"count"_s), 7);
        EXPECT_EQ(store.real(u"count"_s), 7.0); // a whole number is a valid double
        EXPECT_EQ(store.integer(u"size"_s), std::nullopt);
        EXPECT_EQ(store.string(u"missing"_s), std::nullopt);
        EXPECT_FALSE(QFile::exists(path)); // registration is never written

        store.setBoolean(u"flag"_s, false);
        store.setInteger(u"count"_s, -3);
        store.setReal(u"size"_s, 0.1);
        store.setString(u"name"_s, u"true"_s);
        store.setData(u"bytes"_s, QByteArray("\0\xff{", 3));
        EXPECT_EQ(store.boolean(u"flag"_s), false);
        EXPECT_EQ(store.string(u"name"_s), u"true"_s);
        EXPECT_TRUE(QFile::exists(path)); // written through at once
    }
    PreferenceStore store(path);
    store.registerDefaults({{u"flag"_s, true}, {u"name"_s, u"x"_s}});
    EXPECT_EQ(store.boolean(u"flag"_s), false);
    EXPECT_EQ(store.storedBoolean(u"flag"_s), false);
    EXPECT_EQ(store.integer(u"count"_s), -3);
    EXPECT_EQ(store.real(u"size"_s), 0.1);
    EXPECT_EQ(store.string(u"name"_s), u"true"_s);
    EXPECT_EQ(store.data(u"bytes"_s), QByteArray("\0\xff{", 3));
    // Asked as the wrong type, each stored value counts as absent.
    EXPECT_EQ(store.boolean(u"count"_s), std::nullopt);
    EXPECT_EQ(store.integer(u"flag"_s), std::nullopt);
    EXPECT_EQ(store.data(u"name"_s), std::nullopt);
    EXPECT_EQ(store.string(u"bytes"_s), std::nullopt);
    store.remove(u"flag"_s);
    EXPECT_EQ(store.boolean(u"flag"_s), true);
    EXPECT_FALSE(store.containsStored(u"flag"_s));
}
