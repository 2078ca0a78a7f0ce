#include "app/platform/fake/FakeFrontmostApplication.h"
#include "app/platform/fake/FakeHotKeyService.h"
#include "app/platform/fake/FakePasteboard.h"
#include "app/platform/fake/FakeTextRecognizer.h"

#include "tests/platform/XClients.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace stowline;

TEST(FakePlatform, PasteboardKeepsTheContractOfTheRealOne) {
    FakePasteboard pasteboard;
    pasteboard.copy({{0, TypeIdentifier::plainText, QByteArray(10, 'a')}, {0, TypeIdentifier::rtf, "r"}},
                    {TypeIdentifier::concealed});
    EXPECT_EQ(pasteboard.changeCount(), 1);
    EXPECT_TRUE(pasteboard.offers(TypeIdentifier::concealed));
    EXPECT_EQ(pasteboard.read({9, 100}).size(), 1);
    EXPECT_TRUE(pasteboard.read({10, 10}).isEmpty());

    pasteboard.setUnwritableTypes({TypeIdentifier::png});
    EXPECT_FALSE(pasteboard.write({{0, TypeIdentifier::png, "p"}}));
    EXPECT_EQ(pasteboard.changeCount(), 1);
    ASSERT_TRUE(
        pasteboard.write({{1, TypeIdentifier::fileUrl, "file:///b"}, {0, TypeIdentifier::fileUrl, "file:///a"}}));
    EXPECT_EQ(pasteboard.changeCount(), 2);
    EXPECT_EQ(pasteboard.contents().first().data, "file:///a");
    EXPECT_FALSE(pasteboard.offers(TypeIdentifier::concealed));
}

TEST(FakePlatform, HotKeysFrontmostAndRecognizer) {
    FakeHotKeyService hotKeys;
    int presses = 0;
    QObject::connect(&hotKeys, &HotKeyService::pressed, &hotKeys, [&] { ++presses; });
    hotKeys.setTaken({{0x76, 0x4}});
    EXPECT_FALSE(hotKeys.registerKey({0x76, 0x4}));
    ASSERT_TRUE(hotKeys.registerKey({0x77, 0x9}));
    hotKeys.press({0x76, 0x4});
    hotKeys.press({0x77, 0x9});
    EXPECT_EQ(presses, 0);
    EXPECT_TRUE(test::waitUntil([&] { return presses == 1; }));

    FakeFrontmostApplication frontmost;
    const RunningApplication editor{7, u"Editor"_s, u"org.example.Editor"_s, 42};
    frontmost.setFrontmost(editor);
    frontmost.terminate(editor);
    EXPECT_FALSE(frontmost.activate(editor));
    EXPECT_TRUE(frontmost.activations().isEmpty());

    FakeTextRecognizer recognizer;
    recognizer.setLines("img", {u"line"_s});
    EXPECT_EQ(*recognizer.recognize("img"), QStringList{u"line"_s});
    EXPECT_EQ(recognizer.recognize("other").error(), TextRecognitionError::undecodableImage);
}
