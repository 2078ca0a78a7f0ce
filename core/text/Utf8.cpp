#include "core/text/Utf8.h"

#include <QStringDecoder>

namespace stowline::Utf8 {

std::optional<QString> decode(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace stowline::Utf8
