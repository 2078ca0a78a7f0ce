#include "core/search/TextFolder.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

#include <string>

namespace stowline {

namespace {

struct Normalizers {
    const icu::Normalizer2* nfd = nullptr;
    const icu::Normalizer2* nfc = nullptr;
    const icu::Normalizer2* nfkd = nullptr;
};

const Normalizers& normalizers() {
    static const Normalizers instances = [] {
        UErrorCode status = U_ZERO_ERROR;
        Normalizers n;
        n.nfd = icu::Normalizer2::getNFDInstance(status);
        n.nfc = icu::Normalizer2::getNFCInstance(status);
        n.nfkd = icu::Normalizer2::getNFKDInstance(status);
        return n;
    }();
    return instances;
}

bool isAscii(QStringView text) {
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// Plain ASCII has nothing to normalise and no marks or width forms, so only the case mapping is left.
QString foldAscii(QStringView text, bool turkic) {
    QString result(text.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    for (QChar c : text) {
        char16_t u = c.unicode();
        if (u == u'I' && turkic)
            u = u'\u0131';
        else if (u >= u'A' && u <= u'Z')
            u = char16_t(u + (u'a' - u'A'));
        *out++ = u;
    }
    return result;
}

bool isWidthForm(UChar32 c) {
    const auto type = u_getIntPropertyValue(c, UCHAR_DECOMPOSITION_TYPE);
    return type == U_DT_WIDE || type == U_DT_NARROW;
}

void appendUnmarked(std::u16string& out, UChar32 c) {
    // Nothing below the combining diacritics block is a mark.
    if (c >= 0x300 && u_charType(c) == U_NON_SPACING_MARK)
        return;
    // Lone surrogates cannot be encoded; they become the replacement character so every copy of the text agrees.
    if (U_IS_SURROGATE(c)) {
        out.push_back(u'\uFFFD');
    } else if (c <= 0xFFFF) {
        out.push_back(char16_t(c));
    } else {
        out.push_back(char16_t(U16_LEAD(c)));
        out.push_back(char16_t(U16_TRAIL(c)));
    }
}

} // namespace

TextFolder::TextFolder(const QLocale& locale)
    : m_turkic(locale.language() == QLocale::Turkish || locale.language() == QLocale::Azerbaijani) {}

QString TextFolder::fold(QStringView text) const {
    if (isAscii(text))
        return foldAscii(text, m_turkic);

    const Normalizers& n = normalizers();
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString source(false, reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()));
    icu::UnicodeString decomposed = n.nfd->normalize(source, status);
    // Turkish lower-casing sees the capital I followed by a combining dot as the dotted capital; folding alone
    // would make it a dotless i.
    if (m_turkic)
        decomposed.toLower(icu::Locale("tr"));
    decomposed.foldCase(m_turkic ? U_FOLD_CASE_EXCLUDE_SPECIAL_I : U_FOLD_CASE_DEFAULT);
    // Case folding can leave a sequence that is no longer decomposed.
    if (!n.nfd->isNormalized(decomposed, status))
        decomposed = n.nfd->normalize(decomposed, status);

    std::u16string stripped;
    stripped.reserve(size_t(decomposed.length()));
    icu::UnicodeString expansion;
    for (int32_t i = 0; i < decomposed.length();) {
        const UChar32 c = decomposed.char32At(i);
        i += U16_LENGTH(c);
        if (c >= 0x3000 && isWidthForm(c) && n.nfkd->getDecomposition(c, expansion)) {
            for (int32_t j = 0; j < expansion.length();) {
                const UChar32 e = expansion.char32At(j);
                j += U16_LENGTH(e);
                appendUnmarked(stripped, e);
            }
        } else {
            appendUnmarked(stripped, c);
        }
    }
    const icu::UnicodeString strippedView(false, stripped.data(), int32_t(stripped.size()));
    const icu::UnicodeString composed = n.nfc->normalize(strippedView, status);
    // ICU fails here only when memory runs out; plain case folding still finds most text then.
    if (U_FAILURE(status))
        return text.toString().toCaseFolded();
    return QString(reinterpret_cast<const QChar*>(composed.getBuffer()), composed.length());
}

} // namespace stowline
