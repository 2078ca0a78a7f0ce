#pragma once

#include <QString>

namespace stowline {

// The text a click copies and where it lies in the recognised text, in UTF-16 code units.
struct ImageTextCopySelection {
    QString text;
    qsizetype utf16Location = 0;
    qsizetype utf16Length = 0;

    friend bool operator==(const ImageTextCopySelection&, const ImageTextCopySelection&) = default;
};

} // namespace stowline
