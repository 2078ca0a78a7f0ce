#pragma once

#include <QtGlobal>

namespace stowline {

struct CredentialClassification {
    qint64 detectorVersion = 0;
    bool isCredential = false;

    friend bool operator==(const CredentialClassification&, const CredentialClassification&) = default;
};

} // namespace stowline
