#pragma once
// How the window reads numbers out of its fields and writes numbers into
// grids and captions.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace field {

// The number a text begins with: blanks are skipped, then an optional sign,
// digits, an optional "." and fraction and an optional exponent. The
// decimal separator is always ".". 0 when the text does not begin with a
// number. Overflowing digit runs give an infinity, never a wrapped value.
double LeadingNumber(QStringView text);

// Nearest whole number, halves to the even neighbour, when it fits in a
// signed 32-bit integer; nothing otherwise (also for NaN and infinities).
std::optional<int32_t> ToInt32(double value);

// The numeric value of a field: its leading number as a signed 32-bit
// integer; nothing when that number lies outside the 32-bit range.
std::optional<int32_t> NumericValue(QStringView text);

// For fields whose whole text must be a number (blanks around it allowed):
// nothing when the text is not a number or lies outside the 32-bit range.
std::optional<int32_t> WholeNumber(QStringView text);

// The decimal digits after a blank for zero and positive numbers, after a
// minus sign for negative ones: 5 gives " 5", -5 gives "-5".
QString SignedDecimalText(int64_t value);

// Plain decimal text: no leading blank, "-" for negative values.
inline QString PlainDecimalText(int64_t value) { return QString::number(value); }

// Why a field's text cannot be sent, for the message the user sees.
QString OutOfRangeMessage(const QString &fieldName, const QString &text);
QString NotANumberMessage(const QString &fieldName, const QString &text);

} // namespace field
