#include "app/platform/xdg/DesktopEntry.h"

#include "app/platform/PasteboardMimeTypes.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace stowline;

TEST(DesktopEntry, ReadsTheMainGroupWithLocalisedNamesAndEscapes) {
    const DesktopEntry entry = DesktopEntry::parse("# comment\n[Desktop Entry]\nType=Application\n"
                                                   "Name=Text Editor\nName[de]=Texteditor\nName[pt_BR]=Editor\n"
                                                   "Comment=Line\\sone\\nLine two\\\\\nEmpty=\n"
                                                   "[Desktop Action new-window]\nName=New Window\n");
    struct Case {
        const char* locale;
        QString name;
    };
    for (const Case& c : {Case{"de_DE", u"Texteditor"_s}, Case{"pt_BR", u"Editor"_s}, Case{"fr_FR", u"Text Editor"_s},
                          Case{"C", u"Text Editor"_s}}) {
        SCOPED_TRACE(c.locale);
        EXPECT_EQ(entry.name(QLocale(QString::fromLatin1(c.locale))), c.name);
    }
    EXPECT_EQ(entry.value(u"Comment"_s), u"Line one\nLine two\\"_s);
    EXPECT_EQ(entry.value(u"Empty"_s), std::nullopt);
    EXPECT_EQ(entry.value(u"Exec"_s), std::nullopt);
}

TEST(DesktopEntry, HasNoNameOutsideTheMainGroup) {
    EXPECT_EQ(DesktopEntry::parse("[Desktop Action x]\nName=Action\n").name(), std::nullopt);
    EXPECT_EQ(DesktopEntry::find(u"../etc/passwd"_s).has_value(), false);
}

TEST(PasteboardMimeTypes, KeepsOnlyFileUrisOfAUriList) {
    struct Case {
        QByteArray list;
        QList<QByteArray> files;
    };
    const QList<Case> cases{
        {"file:///a\r\nfile:///b%20c\r\n", {"file:///a", "file:///b%20c"}},
        {"# comment\nhttps://example.com/\n\nfile://localhost/etc/hosts\n", {"file://localhost/etc/hosts"}},
        {"mailto:someone@example.com\nsmb://server/share\n", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list.toStdString());
        EXPECT_EQ(PasteboardMimeTypes::fileUris(c.list), c.files);
    }
}
