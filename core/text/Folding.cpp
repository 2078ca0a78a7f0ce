#include "core/text/Folding.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace stowline::Folding {

QString folded(QStringView text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    const icu::Normalizer2* nfkd = icu::Normalizer2::getNFKDInstance(status);
    if (U_FAILURE(status))
        return text.toString().toCaseFolded();

    const icu::UnicodeString input(false, text.isEmpty() ? u"" : text.utf16(), static_cast<int32_t>(text.size()));
    // Width variants decompose compatibly to their normal forms; other compatibility forms stay.
    icu::UnicodeString widened;
    for (int32_t i = 0; i < input.length();) {
        const UChar32 c = input.char32At(i);
        const auto type = static_cast<UDecompositionType>(u_getIntPropertyValue(c, UCHAR_DECOMPOSITION_TYPE));
        icu::UnicodeString decomposition;
        if ((type == U_DT_WIDE || type == U_DT_NARROW) && nfkd->getDecomposition(c, decomposition))
            widened.append(decomposition);
        else
            widened.append(c);
        i += U16_LENGTH(c);
    }
    icu::UnicodeString decomposed = nfd->normalize(widened, status);
    icu::UnicodeString stripped;
    for (int32_t i = 0; i < decomposed.length();) {
        const UChar32 c = decomposed.char32At(i);
        if (u_charType(c) != U_NON_SPACING_MARK)
            stripped.append(c);
        i += U16_LENGTH(c);
    }
    stripped.foldCase(U_FOLD_CASE_DEFAULT);
    const icu::UnicodeString composed = nfc->normalize(stripped, status);
    if (U_FAILURE(status))
        return text.toString().toCaseFolded();
    return QString(reinterpret_cast<const QChar*>(composed.getBuffer()), composed.length());
}

} // namespace stowline::Folding
