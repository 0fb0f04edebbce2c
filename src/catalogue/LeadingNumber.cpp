#include "LeadingNumber.h"

#include "CatalogueBlank.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace kestrun {
namespace {

constexpr int HighestSlot = 255;
// Exponents are saturated here: beyond it every non-zero mantissa is far out
// of range one way or the other, and the arithmetic below cannot overflow.
constexpr std::int64_t ExponentCap = 1'000'000'000'000;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Walks the text one significant (non-blank) character at a time.
class Cursor {
public:
    explicit Cursor(QStringView text)
        : m_text(text)
    {
        skipBlanks();
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text[m_pos]; }
    void advance()
    {
        ++m_pos;
        skipBlanks();
    }

private:
    void skipBlanks()
    {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

} // namespace

std::optional<std::uint8_t> spriteIndexOf(QStringView indexText)
{
    Cursor cursor(indexText);

    bool negative = false;
    if (cursor.peek() == QLatin1Char('+') || cursor.peek() == QLatin1Char('-')) {
        negative = cursor.peek() == QLatin1Char('-');
        cursor.advance();
    }

    // The mantissa's digits without leading zeros, and where the decimal
    // point stands among them: value = 0.digits x 10^pointAt.
    std::string digits;
    std::int64_t pointAt = 0;
    bool sawDigit = false;
    bool inFraction = false;
    for (;;) {
        const QChar c = cursor.peek();
        if (isDigit(c)) {
            sawDigit = true;
            if (!digits.empty() || c != QLatin1Char('0'))
                digits.push_back(char(c.unicode()));
            else if (inFraction)
                --pointAt; // a leading zero after the point shifts it left
            if (!inFraction && !digits.empty())
                ++pointAt;
        } else if (c == QLatin1Char('.') && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
        cursor.advance();
    }
    if (!sawDigit || digits.empty())
        return 0; // no number at all, or a zero however written

    if (cursor.peek() == QLatin1Char('e') || cursor.peek() == QLatin1Char('E')) {
        // The exponent counts only when digits follow it; "1e" and "1e+" read as 1.
        Cursor probe = cursor;
        probe.advance();
        bool negativeExponent = false;
        if (probe.peek() == QLatin1Char('+') || probe.peek() == QLatin1Char('-')) {
            negativeExponent = probe.peek() == QLatin1Char('-');
            probe.advance();
        }
        if (isDigit(probe.peek())) {
            std::int64_t exponent = 0;
            while (isDigit(probe.peek())) {
                exponent = std::min(ExponentCap, exponent * 10 + (probe.peek().unicode() - '0'));
                probe.advance();
            }
            pointAt += negativeExponent ? -exponent : exponent;
        }
    }

    // digits[0] is not zero, so 4 or more places before the point mean >= 1000.
    if (pointAt > 3)
        return std::nullopt;

    int whole = 0;
    for (std::int64_t i = 0; i < pointAt; ++i)
        whole = whole * 10 + (i < std::int64_t(digits.size()) ? digits[size_t(i)] - '0' : 0);

    // Compare the fraction with one half.
    bool roundUp = false;
    if (pointAt >= 0 && pointAt < std::int64_t(digits.size())) {
        const auto first = size_t(pointAt);
        const char lead = digits[first];
        if (lead > '5') {
            roundUp = true;
        } else if (lead == '5') {
            const bool aboveHalf =
                std::any_of(digits.begin() + std::ptrdiff_t(first) + 1, digits.end(), [](char d) { return d != '0'; });
            roundUp = aboveHalf || (whole % 2 == 1);
        }
    }
    const int magnitude = whole + (roundUp ? 1 : 0);

    if (magnitude == 0)
        return 0; // -0.4 and -0.5 round to 0 whatever the sign
    if (negative || magnitude > HighestSlot)
        return std::nullopt;
    return static_cast<std::uint8_t>(magnitude);
}

} // namespace kestrun
