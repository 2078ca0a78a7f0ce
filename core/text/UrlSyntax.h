#pragma once

#include <QStringView>

namespace stowline::UrlSyntax {

// The text is an RFC 3986 URI reference that has a scheme (an absolute URI, possibly with a fragment).
bool parsesWithScheme(QStringView text);

} // namespace stowline::UrlSyntax
