#include "app/platform/PasteboardMimeTypes.h"

#include <gtest/gtest.h>

using namespace stowline;

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
