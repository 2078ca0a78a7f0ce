#include "app/platform/DisplayServer.h"

#include <QByteArray>

#include <gtest/gtest.h>

using namespace stowline;

TEST(DisplayServer, RecognisesTheXServerOfTheSession) {
    ASSERT_FALSE(qgetenv("DISPLAY").isEmpty()) << "platform tests run inside scripts/with-desktop-session.sh";
    EXPECT_TRUE(DisplayServer::isX11());
}
