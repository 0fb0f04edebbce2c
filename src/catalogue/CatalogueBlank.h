#pragma once

#include <QChar>

namespace kestrun {

// A blank of catalogue text: a space or a tab. Blanks are skipped before a
// record and ignored anywhere in an index.
constexpr bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace kestrun
