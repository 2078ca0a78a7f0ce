#pragma once

#include "core/support/Result.h"

#include <QByteArray>
#include <QStringList>

namespace stowline {

enum class TextRecognitionError {
    // The bytes are not an image the recogniser can decode.
    undecodableImage,
    // The engine or its language data could not be loaded.
    engineUnavailable,
    recognitionFailed,
};

// On-device text recognition. One instance serves one worker thread; calls never touch the GUI.
class TextRecognizer {
public:
    virtual ~TextRecognizer() = default;

    // One string per recognised text line, in reading order; empty when the image holds no text.
    virtual Result<QStringList, TextRecognitionError> recognize(const QByteArray& imageBytes) = 0;
};

} // namespace stowline
