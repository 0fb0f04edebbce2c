#pragma once

#include <QStringView>

#include <cstdint>
#include <optional>

namespace kestrun {

// The slot an index text names. The text is read by the leading-number rule:
// blanks and tabs anywhere are ignored; then an optional sign, decimal digits,
// an optional decimal point with further digits and an optional exponent
// ("e" or "E", optional sign, digits) are read, stopping at the first
// character that cannot continue the number. A text that does not begin with
// a number reads as 0, so "7=" is 7, "1 2=" is 12, "x=" and "" are 0.
//
// The value, taken exactly as written (no binary floating point on the way),
// is rounded to the nearest whole number with exact halves going to the even
// neighbour (2.5 -> 2, 3.5 -> 4, -0.4 -> 0). Nothing is returned when the
// result lies outside 0..255, however large the written number is.
std::optional<std::uint8_t> spriteIndexOf(QStringView indexText);

} // namespace kestrun
