#pragma once

#include "core/model/EnumTraits.h"

namespace stowline {

enum class ClipKind { text, link, color, image, file, richText };

template <>
struct EnumTraits<ClipKind> {
    static constexpr std::array cases{ClipKind::text,  ClipKind::link, ClipKind::color,
                                      ClipKind::image, ClipKind::file, ClipKind::richText};
    static constexpr std::array<const char16_t*, 6> rawValues{u"text",  u"link", u"color",
                                                              u"image", u"file", u"richText"};
    static constexpr std::array<const char16_t*, 6> labels{u"Text", u"Link", u"Color", u"Image", u"File", u"Rich Text"};
};

inline QString rawValue(ClipKind kind) {
    return rawValueOf(kind);
}
inline QString label(ClipKind kind) {
    return labelOf(kind);
}

// The kinds whose clip is text the user can edit before use or paste as plain text.
inline bool isEditable(ClipKind kind) {
    return kind == ClipKind::text || kind == ClipKind::richText || kind == ClipKind::link || kind == ClipKind::color;
}

} // namespace stowline
