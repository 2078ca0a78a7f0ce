#pragma once

#include <QStringView>

#include <optional>

namespace stowline::JsonSyntax {

enum class Container { array, object };

// The kind of the top-level value when the whole text is one strict RFC 8259 JSON document whose top-level
// value is an array or an object; nothing for anything else (a scalar at the top, comments, trailing commas,
// NaN, unpaired surrogate code units in the text, ...). Only the grammar is checked, so numbers of any size
// count, and nesting depth costs no stack.
std::optional<Container> container(QStringView text);

} // namespace stowline::JsonSyntax
