#include "viewer/logic/number_text.h"

#include <charconv>
#include <string>

#include "viewer/pictures/toolkit_error.h"

QString shortest_real_text(double value) {
  char buffer[64];
  for (int digits = 1; digits <= 15; ++digits) {
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    double back = 0;
    std::from_chars(buffer, written.ptr, back);
    if (back == value || digits == 15) return QString::fromLatin1(buffer, written.ptr - buffer);
  }
  return QString();
}

static bool has_digit(const std::string& text) {
  for (const char c : text)
    if (c >= '0' && c <= '9') return true;
  return false;
}

long double parse_real(const QString& text) {
  std::string trimmed = text.trimmed().toStdString();
  if (!trimmed.empty() && trimmed.front() == '+') trimmed.erase(0, 1);
  long double value = 0;
  const char* end = trimmed.data() + trimmed.size();
  const auto parsed = std::from_chars(trimmed.data(), end, value);
  if (!has_digit(trimmed) || parsed.ec != std::errc() || parsed.ptr != end)
    throw ToolkitError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
  return value;
}

int32_t parse_integer(const QString& text) {
  std::string trimmed = text.trimmed().toStdString();
  if (!trimmed.empty() && trimmed.front() == '+') trimmed.erase(0, 1);
  int32_t value = 0;
  const char* end = trimmed.data() + trimmed.size();
  const auto parsed = std::from_chars(trimmed.data(), end, value);
  if (trimmed.empty() || parsed.ec != std::errc() || parsed.ptr != end)
    throw ToolkitError(QStringLiteral("'%1' is not a valid integer value").arg(text));
  return value;
}
