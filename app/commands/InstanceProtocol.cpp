#include "app/commands/InstanceProtocol.h"

#include "app/commands/CommandTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

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
    if (const CommandDescription* description = CommandTable::named(name))
        return description->command;
    return std::nullopt;
}

QString InstanceProtocol::nameOf(InstanceCommand command) {
    return CommandTable::of(command).nameText();
}

QByteArray InstanceRequest::encode() const {
    QJsonObject object{{"version"_L1, InstanceProtocol::version},
                       {"command"_L1, InstanceProtocol::nameOf(command)},
                       {"arguments"_L1, QJsonArray::fromStringList(arguments)}};
    if (!activationToken.isEmpty())
        object.insert("activationToken"_L1, activationToken);
    return line(object);
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
    const QJsonValue token = object->value("activationToken"_L1);
    if (!token.isUndefined() && !token.isString())
        return std::nullopt;
    InstanceRequest request{*command, {}, token.toString()};
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
