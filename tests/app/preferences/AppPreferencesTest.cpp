#include "app/preferences/AppPreferences.h"
#include "app/preferences/PreferenceKeys.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

namespace K = PreferenceKeys;
using H = HotKeyConfiguration;

const H optionU{32, H::optionKey, u"Alt+U"_s};

class AppPreferencesTest : public testing::Test {
protected:
    // Each case gets a file of its own: QSettings caches a file it has read by its path, size and time.
    QString path() const { return m_folder.filePath(u"config%1/Stowline.conf"_s.arg(m_generation)); }
    void fresh() { ++m_generation; }

    // A settings file as an older version or a hand edit left it; a shortcut is added by QSettings itself.
    void writeFile(const QByteArray& ini, const std::optional<H>& shortcut = std::nullopt) {
        fresh();
        QDir().mkpath(QFileInfo(path()).path());
        {
            QFile file(path());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("[General]\n" + ini);
        }
        if (shortcut)
            QSettings(path(), QSettings::IniFormat).setValue(K::shortcutConfiguration, shortcut->toJson());
    }

    std::unique_ptr<AppPreferences> launch() {
        return std::make_unique<AppPreferences>(std::make_unique<PreferenceStore>(path()));
    }

    // What the file holds, read without the preferences' own rules.
    QVariant fileValue(const QString& key) const { return QSettings(path(), QSettings::IniFormat).value(key); }

    QTemporaryDir m_folder;
    int m_generation = 0;
};

} // namespace

TEST_F(AppPreferencesTest, FirstLaunchWritesOnlySchemaFourAndItsLoginChoice) {
    auto preferences = launch();
    EXPECT_EQ(preferences->shortcut(), H::defaultShortcut());
    EXPECT_EQ(preferences->lastProvenShortcut(), H::defaultShortcut());
    // Only what start-up writes reaches the file; defaults stay registered, not stored.
    EXPECT_EQ(fileValue(K::preferencesSchema).toString(), u"4");
    EXPECT_EQ(fileValue(K::launchAtLogin).toString(), u"true");
    EXPECT_EQ(H::fromJson(fileValue(K::shortcutConfiguration).toByteArray()), H::defaultShortcut());
    EXPECT_FALSE(fileValue(K::captureEnabled).isValid());
    EXPECT_FALSE(fileValue(K::excludedBundleIDs).isValid());
}

TEST_F(AppPreferencesTest, EachSchemaMigratesAsItsLayoutNeeds) {
    struct Case {
        const char* schemaLine;
        bool resetsLimits;
        bool replacesFormerDefault;
        bool turnsLaunchBackOn;
    };
    const Case cases[] = {
        {"", true, true, true},
        {"preferencesSchema=1\n", true, true, true},
        {"preferencesSchema=2\n", false, true, true},
        {"preferencesSchema=3\n", false, false, true},
        {"preferencesSchema=4\n", false, false, false},
        {"preferencesSchema=7\n", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.schemaLine);
        writeFile(QByteArray(c.schemaLine) + "historyLimit=200\nretentionDays=10\nprivacyExclusionsEnabled=true\n" +
                      "launchAtLogin=false\npreviewLineCount=9\n",
                  H::alternateShortcut());
        auto preferences = launch();
        EXPECT_EQ(preferences->historyLimit(), c.resetsLimits ? 0 : 200);
        EXPECT_EQ(preferences->retentionDays(), c.resetsLimits ? 0 : 10);
        EXPECT_EQ(preferences->privacyExclusionsEnabled(), !c.resetsLimits);
        EXPECT_EQ(preferences->previewLineCount(), 9);
        EXPECT_EQ(preferences->shortcut(), c.replacesFormerDefault ? H::defaultShortcut() : H::alternateShortcut());
        EXPECT_EQ(preferences->launchAtLogin(), c.turnsLaunchBackOn);
        preferences.reset();

        // Written back: the next launch is a schema-4 launch and changes nothing more.
        EXPECT_EQ(fileValue(K::preferencesSchema).toString(), u"4");
        EXPECT_EQ(fileValue(K::launchAtLogin).toString(), c.turnsLaunchBackOn ? u"true" : u"false");
        auto again = launch();
        EXPECT_EQ(again->historyLimit(), c.resetsLimits ? 0 : 200);
        EXPECT_EQ(again->shortcut(), c.replacesFormerDefault ? H::defaultShortcut() : H::alternateShortcut());
        EXPECT_EQ(again->launchAtLogin(), c.turnsLaunchBackOn);
        again.reset();
    }
}

TEST_F(AppPreferencesTest, OneModifierShortcutsAndExplicitLaunchChoicesAcrossSchemas) {
    writeFile("preferencesSchema=2\n", optionU);
    EXPECT_EQ(launch()->shortcut(), H::defaultShortcut());

    writeFile("preferencesSchema=3\n", optionU);
    EXPECT_EQ(launch()->shortcut(), optionU);

    writeFile("preferencesSchema=3\nlaunchAtLogin=false\nlaunchAtLoginUserSet=true\n");
    EXPECT_FALSE(launch()->launchAtLogin());

    writeFile("preferencesSchema=2\nlaunchAtLogin=true\nlaunchAtLoginUserSet=true\n");
    EXPECT_TRUE(launch()->launchAtLogin());
}

TEST_F(AppPreferencesTest, MistypedValuesReadAsAbsent) {
    writeFile(
        "preferencesSchema=4\n"
        "captureEnabled=banana\n"
        "instantPaste=1\n"
        "launchAtLogin=maybe\n"
        "historyLimit=12.5\n"
        "retentionDays=ten\n"
        "previewLineCount=@ByteArray(3)\n"
        "previewFontSize=80\n"
        "inactivitySeconds=nan\n"
        "excludedBundleIDs=com.a, com.b\n"
        "archiveProtectionMode=keychain\n"
        "appearance=Dark\n"
        "selectedSettingsTab=advanced\n"
        "shortcutConfiguration=\"{\\\"keyCode\\\":32,\\\"modifiers\\\":2048,\\\"displayText\\\":\\\"Alt+U\\\"}\"\n");
    auto preferences = launch();
    EXPECT_TRUE(preferences->captureEnabled());
    EXPECT_FALSE(preferences->instantPaste());
    EXPECT_TRUE(preferences->launchAtLogin()); // a value that is no switch was never a choice
    EXPECT_EQ(preferences->historyLimit(), 0);
    EXPECT_EQ(preferences->retentionDays(), 0);
    EXPECT_EQ(preferences->previewLineCount(), 4);
    EXPECT_EQ(preferences->previewFontSize(), 12.0);
    EXPECT_EQ(preferences->inactivitySeconds(), 300.0);
    EXPECT_EQ(preferences->excludedBundleIDs(), PreferenceDefaults::excludedBundleIDs());
    EXPECT_EQ(preferences->archiveProtectionModeID(), u"keychain");
    EXPECT_EQ(preferences->appearance(), AppearancePreference::system);
    EXPECT_EQ(preferences->selectedSettingsTabID(), u"general");
    EXPECT_EQ(preferences->shortcut(), H::defaultShortcut()); // text where bytes belong

    for (const auto& [stored, expected] :
         {std::pair{"5.99", 12.0}, {"6", 6.0}, {"72", 72.0}, {"72.5", 12.0}, {"-inf", 12.0}}) {
        SCOPED_TRACE(stored);
        writeFile(QByteArray("previewFontSize=") + stored + "\n");
        EXPECT_EQ(launch()->previewFontSize(), expected);
    }

    writeFile("");
    QSettings(path(), QSettings::IniFormat)
        .setValue(K::shortcutConfiguration, QByteArray(R"({"keyCode":32,"modifiers":2048,"text":"Alt+U"})"));
    EXPECT_EQ(launch()->shortcut(), H::defaultShortcut());
}

TEST_F(AppPreferencesTest, AssignmentsAreWrittenThroughAndReadBackTyped) {
    const H recorded{40, 0x1800, u"Ctrl+Alt+K"_s};
    {
        auto preferences = launch();
        QSignalSpy shortcutSpy(preferences.get(), &AppPreferences::shortcutChanged);
        QSignalSpy limitSpy(preferences.get(), &AppPreferences::historyLimitChanged);
        preferences->setCaptureEnabled(false);
        preferences->setHistoryLimit(9000000000);
        preferences->setHistoryLimit(9000000000); // repeated assignments are announced too
        preferences->setRetentionDays(45);
        preferences->setInstantPaste(true);
        preferences->setLaunchAtLogin(false);
        preferences->setExcludedBundleIDs(u"a, b\n\"quoted\"\n@c = d;"_s);
        preferences->setPrivacyExclusionsEnabled(true);
        preferences->setShortcut(recorded);
        preferences->setArchiveProtectionModeID(u"keychain"_s);
        preferences->setPreviewLineCount(0);
        preferences->setPreviewFontSize(13.25);
        preferences->setInactivityCloseEnabled(false);
        preferences->setInactivitySeconds(120.5);
        preferences->setShowApplicationIdentifiers(true);
        preferences->setAppearance(AppearancePreference::dark);
        preferences->setSelectedSettingsTabID(u"privacy"_s);
        EXPECT_EQ(limitSpy.count(), 2);
        ASSERT_EQ(shortcutSpy.count(), 1);
        EXPECT_EQ(shortcutSpy.first().first().value<H>(), recorded);
        EXPECT_EQ(preferences->property("historyLimit").toLongLong(), 9000000000);
    }
    auto preferences = launch();
    EXPECT_FALSE(preferences->captureEnabled());
    EXPECT_EQ(preferences->historyLimit(), 9000000000);
    EXPECT_EQ(preferences->retentionDays(), 45);
    EXPECT_TRUE(preferences->instantPaste());
    EXPECT_FALSE(preferences->launchAtLogin());
    EXPECT_EQ(preferences->excludedBundleIDs(), u"a, b\n\"quoted\"\n@c = d;");
    EXPECT_TRUE(preferences->privacyExclusionsEnabled());
    EXPECT_EQ(preferences->shortcut(), recorded);
    EXPECT_EQ(preferences->archiveProtectionModeID(), u"keychain");
    EXPECT_EQ(preferences->previewLineCount(), 0);
    EXPECT_EQ(preferences->previewFontSize(), 13.25);
    EXPECT_FALSE(preferences->inactivityCloseEnabled());
    EXPECT_EQ(preferences->inactivitySeconds(), 120.5);
    EXPECT_TRUE(preferences->showApplicationIdentifiers());
    EXPECT_EQ(preferences->appearance(), AppearancePreference::dark);
    EXPECT_EQ(preferences->selectedSettingsTabID(), u"privacy");
}

TEST_F(AppPreferencesTest, NoLimitSwitchesRememberTheLastFiniteValue) {
    struct Switch {
        const char* name;
        void (AppPreferences::*toggle)(bool);
        qint64 (AppPreferences::*get)() const;
        void (AppPreferences::*set)(qint64);
        QString memoryKey;
        qint64 fallback;
    };
    const Switch switches[] = {
        {"history", &AppPreferences::setUnlimitedHistory, &AppPreferences::historyLimit,
         &AppPreferences::setHistoryLimit, K::lastFiniteHistoryLimit, 500},
        {"retention", &AppPreferences::setForeverRetention, &AppPreferences::retentionDays,
         &AppPreferences::setRetentionDays, K::lastFiniteRetentionDays, 30},
        {"lines", &AppPreferences::setAllPreviewLines, &AppPreferences::previewLineCount,
         &AppPreferences::setPreviewLineCount, K::lastFinitePreviewLines, 4},
    };
    for (const Switch& s : switches) {
        SCOPED_TRACE(s.name);
        fresh();
        auto p = launch();
        AppPreferences& preferences = *p;
        // Nothing remembered yet: back from "no limit" gives the fallback.
        (preferences.*s.set)(0);
        (preferences.*s.toggle)(false);
        EXPECT_EQ((preferences.*s.get)(), s.fallback);

        (preferences.*s.set)(77);
        (preferences.*s.toggle)(true);
        EXPECT_EQ((preferences.*s.get)(), 0);
        EXPECT_EQ(fileValue(s.memoryKey).toString(), u"77");
        (preferences.*s.toggle)(true); // already unlimited: the memory keeps 77
        EXPECT_EQ(fileValue(s.memoryKey).toString(), u"77");
        (preferences.*s.toggle)(false);
        EXPECT_EQ((preferences.*s.get)(), 77);

        (preferences.*s.set)(12);
        (preferences.*s.toggle)(false); // not at "no limit": nothing happens
        EXPECT_EQ((preferences.*s.get)(), 12);

        // The memory survives a restart; a negative value is never remembered.
        (preferences.*s.toggle)(true);
        p.reset();
        auto relaunched = launch();
        (relaunched.get()->*s.set)(-5);
        (relaunched.get()->*s.toggle)(true);
        (relaunched.get()->*s.toggle)(false);
        EXPECT_EQ((relaunched.get()->*s.get)(), 12);
    }
}

TEST_F(AppPreferencesTest, ExclusionTest) {
    auto preferences = launch();
    preferences->setExcludedBundleIDs(u"com.apple.Passwords\n  com.bitwarden.desktop\t \n\n\r\nx.y\u2028 z \u00A0"_s);
    EXPECT_FALSE(preferences->shouldExclude(u"com.bitwarden.desktop"_s)); // exclusions off
    EXPECT_TRUE(preferences->shouldExclude(u"org.stowline.Stowline"_s));  // own copies always
    EXPECT_FALSE(preferences->shouldExclude(QString()));

    preferences->setPrivacyExclusionsEnabled(true);
    EXPECT_EQ(preferences->excludedSet(),
              QSet<QString>({u"com.apple.Passwords"_s, u"com.bitwarden.desktop"_s, u"x.y"_s, u"z"_s}));
    EXPECT_TRUE(preferences->shouldExclude(u"com.bitwarden.desktop"_s));
    EXPECT_FALSE(preferences->shouldExclude(u"COM.BITWARDEN.DESKTOP"_s));
    EXPECT_FALSE(preferences->shouldExclude(u" com.bitwarden.desktop"_s));
    EXPECT_FALSE(preferences->shouldExclude(u""_s));

    preferences->setExcludedBundleIDs(u"   com.bitwarden.desktop   \n\n"_s);
    EXPECT_EQ(preferences->excludedSet(), QSet<QString>({u"com.bitwarden.desktop"_s}));
}

TEST_F(AppPreferencesTest, LastProvenShortcutFallsBackToSomethingThatWorksWithoutPermission) {
    auto preferences = launch();
    preferences->setShortcut(optionU);
    EXPECT_EQ(preferences->lastProvenShortcut(), H::defaultShortcut());
    const H twoModifiers{40, 0x1800, u"Ctrl+Alt+K"_s};
    preferences->setShortcut(twoModifiers);
    EXPECT_EQ(preferences->lastProvenShortcut(), twoModifiers);

    preferences->setLastProvenShortcut(H::alternateShortcut());
    preferences->setShortcut(optionU);
    EXPECT_EQ(preferences->lastProvenShortcut(), H::alternateShortcut());
    EXPECT_EQ(H::fromJson(fileValue(K::lastProvenShortcutConfiguration).toByteArray()), H::alternateShortcut());

    preferences.reset();
    QSettings(path(), QSettings::IniFormat).setValue(K::lastProvenShortcutConfiguration, QByteArray("{broken"));
    EXPECT_EQ(launch()->lastProvenShortcut(), H::defaultShortcut()); // optionU is still the choice
}

TEST_F(AppPreferencesTest, NotingANewPermissionSignatureForgetsTheDismissal) {
    auto preferences = launch();
    PreferenceStore& store = preferences->defaults();
    store.setString(K::dismissedPermissionSignature, u"accessibility:singleModifierShortcut"_s);
    preferences->notePermissionRequirements(std::nullopt); // absent equals absent
    EXPECT_TRUE(store.containsStored(K::dismissedPermissionSignature));

    preferences->notePermissionRequirements(u"accessibility:singleModifierShortcut"_s);
    EXPECT_EQ(fileValue(K::permissionRequirementSignature).toString(), u"accessibility:singleModifierShortcut");
    EXPECT_FALSE(store.containsStored(K::dismissedPermissionSignature));

    store.setString(K::dismissedPermissionSignature, u"accessibility:singleModifierShortcut"_s);
    preferences->notePermissionRequirements(u"accessibility:singleModifierShortcut"_s); // unchanged
    EXPECT_TRUE(store.containsStored(K::dismissedPermissionSignature));

    preferences->notePermissionRequirements(std::nullopt);
    EXPECT_FALSE(fileValue(K::permissionRequirementSignature).isValid());
    EXPECT_FALSE(fileValue(K::dismissedPermissionSignature).isValid());
}
