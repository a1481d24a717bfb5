#include "platform/base/Convert.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "platform/base/AppError.h"

namespace convert {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

size_t SkipDigits(std::string_view s, size_t i) {
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

// Checks the grammar and returns the text in the form strtod reads.
std::optional<std::string> Normalise(std::string_view text) {
  std::string_view s = Trim(text);
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t intEnd = SkipDigits(s, i);
  size_t digits = intEnd - i;
  i = intEnd;
  if (i < s.size() && s[i] == '.') {
    size_t fracEnd = SkipDigits(s, i + 1);
    digits += fracEnd - (i + 1);
    i = fracEnd;
  }
  if (digits == 0) return std::nullopt;
  std::string out(s.substr(0, i));
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    size_t expEnd = SkipDigits(s, j);
    if (expEnd == j) return std::nullopt;
    out += 'e';
    out += s.substr(i + 1, expEnd - (i + 1));
    i = expEnd;
  }
  if (i != s.size()) return std::nullopt;
  return out;
}

// The decimal point is always ".", whatever the user's locale says.
std::optional<double> ParseNumber(std::string_view text) {
  auto normal = Normalise(text);
  if (!normal) return std::nullopt;
  std::string_view digits = *normal;
  if (digits.front() == '+') digits.remove_prefix(1);
  double value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error == std::errc::result_out_of_range) {
    // Too small to hold is as good as zero; too large stays too large.
    bool tiny = digits.find("e-") != std::string_view::npos;
    bool negative = digits.front() == '-';
    double magnitude = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    return negative ? -magnitude : magnitude;
  }
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

}  // namespace

bool IsNumeric(std::string_view text) { return Normalise(text).has_value(); }

int32_t TextToInt32(std::string_view text) {
  auto value = ParseNumber(text);
  if (!value) throw platform::AppError::Standard(platform::ErrorNumber::TypeMismatch);
  return RoundToInt32(*value);
}

int32_t RoundToInt32(double value) {
  if (!std::isfinite(value)) throw platform::AppError::Standard(platform::ErrorNumber::Overflow);
  double rounded = std::nearbyint(value);
  if (rounded < static_cast<double>(INT32_MIN) || rounded > static_cast<double>(INT32_MAX)) {
    throw platform::AppError::Standard(platform::ErrorNumber::Overflow);
  }
  return static_cast<int32_t>(rounded);
}

std::string ToText(int32_t value) { return std::to_string(value); }

}  // namespace convert
