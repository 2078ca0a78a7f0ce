#pragma once

#include "core/model/EnumTraits.h"

namespace stowline {

enum class TextContentFormat { plain, markdown, json, yaml, shell, swift, python, javascript, sql, sourceCode };

template <>
struct EnumTraits<TextContentFormat> {
    using F = TextContentFormat;
    static constexpr std::array cases{F::plain, F::markdown, F::json,       F::yaml, F::shell,
                                      F::swift, F::python,   F::javascript, F::sql,  F::sourceCode};
    static constexpr std::array<const char16_t*, 10> rawValues{
        u"plain", u"markdown", u"json", u"yaml", u"shell", u"swift", u"python", u"javascript", u"sql", u"sourceCode"};
    static constexpr std::array<const char16_t*, 10> labels{
        u"Plain Text", u"Markdown", u"JSON", u"YAML", u"Shell", u"Swift", u"Python", u"JavaScript", u"SQL", u"Code"};
};

inline QString rawValue(TextContentFormat format) {
    return rawValueOf(format);
}
inline QString label(TextContentFormat format) {
    return labelOf(format);
}
inline bool isCodeLike(TextContentFormat format) {
    return format != TextContentFormat::plain && format != TextContentFormat::markdown;
}

} // namespace stowline
