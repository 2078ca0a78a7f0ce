#pragma once

#include <QtGlobal>

namespace stowline {

// What a click on recognised text asks to copy.
class ImageTextCopyIntent {
public:
    enum class Kind { line, word, wholeText };

    static ImageTextCopyIntent line(qsizetype utf16Index) { return {Kind::line, utf16Index}; }
    static ImageTextCopyIntent word(qsizetype utf16Index) { return {Kind::word, utf16Index}; }
    static ImageTextCopyIntent wholeText() { return {Kind::wholeText, 0}; }

    Kind kind() const { return m_kind; }
    // The clicked UTF-16 offset of a line or word intent.
    qsizetype utf16Index() const { return m_utf16Index; }

    friend bool operator==(const ImageTextCopyIntent&, const ImageTextCopyIntent&) = default;

private:
    ImageTextCopyIntent(Kind kind, qsizetype utf16Index) : m_kind(kind), m_utf16Index(utf16Index) {}

    Kind m_kind;
    qsizetype m_utf16Index;
};

} // namespace stowline
