#pragma once
// Number texts shown and parsed by the windows: integers in decimal, real
// numbers as the shortest text (at most 15 significant digits) that reads
// back to the same value, always with "." as the decimal point.
#include <QString>
#include <cstdint>

// The shortest text of value with at most 15 significant digits.
QString shortest_real_text(double value);

// The value of a real-number text in extended precision. Leading and
// trailing blanks are allowed; anything else that is not a number (an empty
// text, a lone ".") throws ToolkitError.
long double parse_real(const QString& text);

// The value of a decimal integer text; throws ToolkitError when the text is
// not a 32-bit integer.
int32_t parse_integer(const QString& text);
