#include "PdbColumns.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace {

bool is_c_space(char c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

const char* skip_space(const char* p, const char* last)
{
  while (p < last && is_c_space(*p)) ++p;
  return p;
}

// Both operands of the division are exact doubles, and IEEE division rounds
// correctly, so the quotient is what strtod gives.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr unsigned kExactDigits = 15;
static_assert(sizeof kPowersOfTen / sizeof kPowersOfTen[0] == kExactDigits + 1);

// Plain decimals of at most 15 digits, the whole of real PDB coordinates.
// False for anything else (inf, nan, long mantissas); `end` is left past
// the number, where an exponent may still follow.
bool read_plain_decimal(const char* p, const char* last, double& value, const char*& end)
{
  bool negative = false;
  if (p < last && (*p == '-' || *p == '+')) negative = *p++ == '-';
  unsigned long long mantissa = 0;
  unsigned digits = 0;
  unsigned decimals = 0;
  bool point = false;
  for (; p < last; ++p) {
    if (is_digit(*p)) {
      if (++digits > kExactDigits) return false;
      mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
      if (point) ++decimals;
    } else if (*p == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  double v = static_cast<double>(mantissa) / kPowersOfTen[decimals];
  value = negative ? -v : v;
  end = p;
  return true;
}

const char* skip_blanks(const char* p, const char* last)
{
  while (p < last && *p == ' ') ++p;
  return p;
}

locale_t c_locale()
{
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c;
}

}  // namespace

int pdb_read_int(const char* first, const char* last)
{
  const char* p = skip_space(first, last);
  bool negative = false;
  if (p < last && (*p == '-' || *p == '+')) negative = *p++ == '-';
  long long n = 0;
  for (; p < last && is_digit(*p); ++p) {
    n = n * 10 + (*p - '0');
    if (n > static_cast<long long>(INT_MAX) + 1) n = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) n = -n;
  if (n > INT_MAX) n = INT_MAX;
  return static_cast<int>(n);
}

double pdb_read_real(const char* first, const char* last)
{
  const char* p = skip_space(first, last);
  double value = 0.0;
  const char* end = nullptr;
  if (read_plain_decimal(p, last, value, end) && !(end < last && (*end == 'e' || *end == 'E'))) return value;

  // The rare rest (exponents, inf, nan, hexadecimal) goes to the C library,
  // pinned to the C locale, on a terminated copy of the field.
  char text[64];
  std::size_t n = static_cast<std::size_t>(last - p);
  if (n >= sizeof text) n = sizeof text - 1;
  std::memcpy(text, p, n);
  text[n] = '\0';
  locale_t c = c_locale();
  return c != static_cast<locale_t>(0) ? strtod_l(text, nullptr, c) : 0.0;
}

bool pdb_read_fixed(const char* first, const char* last, double& value)
{
  const char* end = nullptr;
  double v = 0.0;
  if (!read_plain_decimal(skip_blanks(first, last), last, v, end) || skip_blanks(end, last) != last) return false;
  value = v;
  return true;
}

char* pdb_put_int(char* out, long value, unsigned width)
{
  long limit = 1;
  for (unsigned i = 0; i < width && limit <= LONG_MAX / 10; ++i) limit *= 10;
  // Negative values keep their sign while they fit in the field.
  if (value >= limit || value <= -(limit / 10)) {
    value %= limit;
    if (value < 0) value += limit;
  }
  char digits[24];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  unsigned n = static_cast<unsigned>(end - digits);
  std::memset(out, ' ', width - n);
  std::memcpy(out + (width - n), digits, n);
  return out + width;
}

char* pdb_put_fixed(char* out, double value, unsigned width, unsigned decimals)
{
  if (!std::isfinite(value)) return nullptr;  // "nan" would fit, and be read back as no number
  char text[400];
  for (int d = static_cast<int>(decimals); d >= 0; --d) {
    std::to_chars_result r =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, d);
    if (r.ec != std::errc()) return nullptr;
    unsigned n = static_cast<unsigned>(r.ptr - text);
    if (n <= width) {
      std::memset(out, ' ', width - n);
      std::memcpy(out + (width - n), text, n);
      return out + width;
    }
  }
  return nullptr;
}
