#pragma once

#include "app/platform/TextRecognizer.h"

#include <memory>
#include <mutex>

namespace tesseract {
class TessBaseAPI;
}

namespace stowline {

// Tesseract's LSTM engine with the English model. The engine is loaded by the first recognition, on the thread
// that runs it, so constructing this on the GUI thread costs nothing. Calls are serialised.
class TesseractTextRecognizer final : public TextRecognizer {
public:
    TesseractTextRecognizer();
    ~TesseractTextRecognizer() override;

    Result<QStringList, TextRecognitionError> recognize(const QByteArray& imageBytes) override;

private:
    std::mutex m_mutex;
    std::unique_ptr<tesseract::TessBaseAPI> m_engine;
};

} // namespace stowline
