#include "core/history/HistoryFilter.h"

#include "tests/support/ClipBuilders.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

TEST(HistoryFilter, PassesByKindAndCredential) {
    const ClipItem base = test::textClip(u"x"_s);
    for (ClipKind kind : allCases<ClipKind>()) {
        for (bool credential : {false, true}) {
            SCOPED_TRACE(rawValue(kind).toStdString() + (credential ? " credential" : ""));
            ClipCore core = base.core();
            core.kind = kind;
            ClipItem item(std::move(core));
            item.setCredentialClassification(CredentialClassification{1, credential});
            const bool textual = kind == ClipKind::text || kind == ClipKind::richText || kind == ClipKind::color;
            EXPECT_TRUE(passes(HistoryFilter::all, item));
            EXPECT_EQ(passes(HistoryFilter::text, item), textual);
            EXPECT_EQ(passes(HistoryFilter::links, item), kind == ClipKind::link);
            EXPECT_EQ(passes(HistoryFilter::images, item), kind == ClipKind::image);
            EXPECT_EQ(passes(HistoryFilter::files, item), kind == ClipKind::file);
            EXPECT_EQ(passes(HistoryFilter::credentials, item), credential);
        }
    }
}
