#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

namespace stowline {

// Folds text for searching: canonically equivalent sequences become identical, case distinctions go (with the
// Turkic dotted and dotless i under a Turkish or Azerbaijani locale), diacritics are removed and full-width and
// half-width forms become their normal forms. The result is in composed form.
class TextFolder {
public:
    explicit TextFolder(const QLocale& locale = QLocale());

    QString fold(QStringView text) const;
    bool isTurkic() const { return m_turkic; }

    friend bool operator==(const TextFolder&, const TextFolder&) = default;

private:
    bool m_turkic = false;
};

} // namespace stowline
