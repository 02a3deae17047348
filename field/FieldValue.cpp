#include "field/FieldValue.h"

#include "field/QuotedText.h"

#include <cmath>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>
#include <limits>
#include <string>

namespace field {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Collects the characters of a leading number, blanks dropped, into an
// ASCII string for toAsciiDouble; returns the end position in the text.
qsizetype scanNumber(QStringView text, std::string &out)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };
    skipBlanks();
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        out += char(text[i].unicode());
        ++i;
    }
    bool anyDigit = false;
    for (skipBlanks(); i < n && isDigit(text[i]); skipBlanks()) {
        out += char(text[i].unicode());
        anyDigit = true;
        ++i;
    }
    if (i < n && text[i] == u'.') {
        out += '.';
        ++i;
        for (skipBlanks(); i < n && isDigit(text[i]); skipBlanks()) {
            out += char(text[i].unicode());
            anyDigit = true;
            ++i;
        }
    }
    if (!anyDigit) {
        out.clear();
        return 0;
    }
    // An exponent counts only when digits follow it.
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        while (j < n && isBlank(text[j]))
            ++j;
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            exponent += char(text[j].unicode());
            ++j;
        }
        bool exponentDigit = false;
        while (j < n && (isDigit(text[j]) || isBlank(text[j]))) {
            if (isDigit(text[j])) {
                exponent += char(text[j].unicode());
                exponentDigit = true;
            }
            ++j;
        }
        if (exponentDigit) {
            out += exponent;
            i = j;
        }
    }
    return i;
}

// Always "." as the decimal point, whatever the process's C locale says;
// an overflow gives an infinity of the number's sign, an underflow 0.
double toAsciiDouble(const std::string &ascii)
{
    const char *first = ascii.data();
    const char *last = first + ascii.size();
    const bool negative = first != last && *first == '-';
    if (first != last && (*first == '-' || *first == '+'))
        ++first;
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Overflow when the first significant digit stands at or left of the point.
        const std::string_view text(first, size_t(last - first));
        const size_t e = text.find_first_of("eE");
        const std::string_view digits = text.substr(0, e);
        // An exponent beyond any double decides alone; held to that, it
        // cannot overflow the sum below (strtoll saturates longer ones).
        constexpr long long kDecisive = 1'000'000'000'000LL;
        const long long exponent
            = e == std::string_view::npos
                  ? 0
                  : std::clamp(std::strtoll(text.data() + e + 1, nullptr, 10), -kDecisive,
                               kDecisive);
        const size_t point = std::min(digits.find('.'), digits.size());
        const size_t significant = digits.find_first_of("123456789");
        long long magnitude = 0;
        if (significant != std::string_view::npos)
            magnitude = significant < point ? (long long)(point - significant) - 1
                                            : -(long long)(significant - point);
        value = magnitude + exponent >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

} // namespace

double LeadingNumber(QStringView text)
{
    std::string ascii;
    scanNumber(text, ascii);
    if (ascii.empty())
        return 0.0;
    return toAsciiDouble(ascii);
}

std::optional<int32_t> ToInt32(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    double rounded = std::round(value); // halves away from zero
    if (std::fabs(value - std::trunc(value)) == 0.5)
        rounded = 2.0 * std::round(value / 2.0); // halves to even
    if (rounded < double(std::numeric_limits<int32_t>::min())
        || rounded > double(std::numeric_limits<int32_t>::max()))
        return std::nullopt;
    return static_cast<int32_t>(rounded);
}

std::optional<int32_t> NumericValue(QStringView text)
{
    return ToInt32(LeadingNumber(text));
}

std::optional<int32_t> WholeNumber(QStringView text)
{
    std::string ascii;
    const qsizetype end = scanNumber(text, ascii);
    if (ascii.empty())
        return std::nullopt;
    for (qsizetype i = end; i < text.size(); ++i) {
        if (!isBlank(text[i]))
            return std::nullopt;
    }
    // Blanks inside the digits are not "around" the number.
    if (text.trimmed().contains(u' ') || text.trimmed().contains(u'\t'))
        return std::nullopt;
    return ToInt32(toAsciiDouble(ascii));
}

QString SignedDecimalText(int64_t value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

QString OutOfRangeMessage(const QString &fieldName, const QString &text)
{
    return QStringLiteral("The field \"%1\" holds %2, which is outside the range of numbers "
                          "the terminal accepts (-2147483648 to 2147483647). Nothing was sent.")
        .arg(fieldName,
             text.trimmed().isEmpty() ? QStringLiteral("nothing") : QuotedText(text.trimmed()));
}

QString NotANumberMessage(const QString &fieldName, const QString &text)
{
    return QStringLiteral("The field \"%1\" must hold a number; \"%2\" is not one. "
                          "Nothing was sent.")
        .arg(fieldName, QuotedText(text));
}

} // namespace field
