#include "app/commands/InstanceProtocol.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

TEST(InstanceProtocol, RequestsAndRepliesSurviveTheirLineForm) {
    for (const InstanceCommand command :
         {InstanceCommand::show, InstanceCommand::toggle, InstanceCommand::quit, InstanceCommand::status,
          InstanceCommand::exportHistory, InstanceCommand::importHistory, InstanceCommand::list, InstanceCommand::copy,
          InstanceCommand::pause, InstanceCommand::resume, InstanceCommand::clear, InstanceCommand::favorite,
          InstanceCommand::deleteClip, InstanceCommand::search}) {
        SCOPED_TRACE(InstanceProtocol::nameOf(command).toStdString());
        // The activation token travels only when there is one.
        const QString token = command == InstanceCommand::toggle ? u"kwin-12-3"_s : QString();
        const InstanceRequest request{command, {u"a b"_s, u"\u00e9\n\""_s}, token};
        const QByteArray line = request.encode();
        EXPECT_TRUE(line.endsWith('\n'));
        EXPECT_EQ(line.count('\n'), 1);
        EXPECT_EQ(InstanceRequest::decode(line), request);
        EXPECT_EQ(line.contains("activationToken"), !token.isEmpty());
        EXPECT_EQ(InstanceProtocol::commandFromName(InstanceProtocol::nameOf(command)), command);
    }
    const InstanceReply reply{3, u"line one\nline two\n"_s};
    EXPECT_EQ(reply.encode().count('\n'), 1);
    EXPECT_EQ(InstanceReply::decode(reply.encode()), reply);
}

TEST(InstanceProtocol, RejectsLinesThatAreNotOfThisVersion) {
    const QByteArray requests[] = {
        "",
        "show\n",
        "[]\n",
        R"({"command":"show","arguments":[]})",
        R"({"version":2,"command":"show","arguments":[]})",
        R"({"version":"1","command":"show","arguments":[]})",
        R"({"version":1,"command":"Show","arguments":[]})",
        R"({"version":1,"command":"show"})",
        R"({"version":1,"command":"show","arguments":[1]})",
        R"({"version":1,"command":7,"arguments":[]})",
        R"({"version":1,"command":"show","arguments":[],"activationToken":7})",
    };
    for (const QByteArray& line : requests) {
        SCOPED_TRACE(line.toStdString());
        EXPECT_FALSE(InstanceRequest::decode(line));
    }
    const QByteArray replies[] = {
        R"({"version":1,"status":0})",
        R"({"version":1,"status":-1,"output":""})",
        R"({"version":1,"status":1.5,"output":""})",
        R"({"version":1,"status":256,"output":""})",
        R"({"version":1,"status":"0","output":""})",
        R"({"status":0,"output":""})",
    };
    for (const QByteArray& line : replies) {
        SCOPED_TRACE(line.toStdString());
        EXPECT_FALSE(InstanceReply::decode(line));
    }
    const QByteArray oversized =
        R"({"version":1,"command":"show","arguments":[")" + QByteArray(InstanceProtocol::maxLineBytes, 'x') + "\"]}";
    EXPECT_FALSE(InstanceRequest::decode(oversized));
}
