#include "app/instance/InstanceProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

struct CommandName {
    InstanceCommand command;
    const char16_t* name;
};

constexpr std::array<CommandName, 8> commandNames{{
    {InstanceCommand::show, u"show"},
    {InstanceCommand::toggle, u"toggle"},
    {InstanceCommand::quit, u"quit"},
    {InstanceCommand::status, u"status"},
    {InstanceCommand::exportHistory, u"export"},
    {InstanceCommand::importHistory, u"import"},
    {InstanceCommand::list, u"list"},
    {InstanceCommand::copy, u"copy"},
}};

QByteArray line(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// The object of a line of this protocol version; nothing for anything else.
std::optional<QJsonObject> objectOf(QByteArrayView text, qsizetype maxBytes) {
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.size() > maxBytes)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(text.toByteArray());
    if (!document.isObject())
        return std::nullopt;
    QJsonObject object = document.object();
    if (object.value("version"_L1) != QJsonValue(InstanceProtocol::version))
        return std::nullopt;
    return object;
}

} // namespace

std::optional<InstanceCommand> InstanceProtocol::commandFromName(QStringView name) {
    for (const CommandName& entry : commandNames) {
        if (name == QStringView(entry.name))
            return entry.command;
    }
    return std::nullopt;
}

QString InstanceProtocol::nameOf(InstanceCommand command) {
    for (const CommandName& entry : commandNames) {
        if (entry.command == command)
            return QString::fromUtf16(entry.name);
    }
    Q_UNREACHABLE();
}

QByteArray InstanceRequest::encode() const {
    return line({{"version"_L1, InstanceProtocol::version},
                 {"command"_L1, InstanceProtocol::nameOf(command)},
                 {"arguments"_L1, QJsonArray::fromStringList(arguments)}});
}

std::optional<InstanceRequest> InstanceRequest::decode(QByteArrayView text) {
    const std::optional<QJsonObject> object = objectOf(text, InstanceProtocol::maxLineBytes);
    if (!object)
        return std::nullopt;
    const QJsonValue name = object->value("command"_L1);
    const QJsonValue arguments = object->value("arguments"_L1);
    if (!name.isString() || !arguments.isArray())
        return std::nullopt;
    const std::optional<InstanceCommand> command = InstanceProtocol::commandFromName(name.toString());
    if (!command)
        return std::nullopt;
    InstanceRequest request{*command, {}};
    for (const QJsonValue& argument : arguments.toArray()) {
        if (!argument.isString())
            return std::nullopt;
        request.arguments.append(argument.toString());
    }
    return request;
}

QByteArray InstanceReply::encode() const {
    return line({{"version"_L1, InstanceProtocol::version}, {"status"_L1, status}, {"output"_L1, output}});
}

std::optional<InstanceReply> InstanceReply::decode(QByteArrayView text) {
    const std::optional<QJsonObject> object = objectOf(text, InstanceProtocol::maxReplyBytes);
    if (!object)
        return std::nullopt;
    const QJsonValue status = object->value("status"_L1);
    const QJsonValue output = object->value("output"_L1);
    if (!status.isDouble() || !output.isString())
        return std::nullopt;
    const double number = status.toDouble();
    if (number != std::trunc(number) || number < 0 || number > 255)
        return std::nullopt;
    return InstanceReply{static_cast<int>(number), output.toString()};
}

} // namespace stowline
