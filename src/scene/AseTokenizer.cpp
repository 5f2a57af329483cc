#include "scene/AseTokenizer.h"

#include <cfloat>
#include <cstdlib>

namespace {

using asechars::IsDigit;

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// m * 10^e as the nearest float, when double arithmetic gives it exactly: m and 10^|e| are
// exact doubles, so one multiplication or division rounds once; the double then rounds to the
// same float as the exact value unless it landed exactly halfway between two floats.
bool FastDecimal(uint64_t m, int e, float& out) {
  if (m > (uint64_t(1) << 53) || e < -22 || e > 22) return false;
  const double d = e < 0 ? double(m) / kPowersOfTen[-e] : double(m) * kPowersOfTen[e];
  if (d < FLT_MIN || d > FLT_MAX) return false;
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  if ((bits & 0x1FFFFFFFu) == 0x10000000u) return false;
  out = static_cast<float>(d);
  return true;
}

inline bool IsLetter(char c, char lower) { return c == lower || c == lower - 'a' + 'A'; }

}  // namespace

bool AseTokenizer::readFloat(float& value) {
  skipSpace();
  const char* start = pos_;
  const char* p = start;
  bool negative = false;
  // The NUL after the text is no digit, sign, point or letter: no bounds checks are needed.
  if (*p == '-' || *p == '+') negative = *p++ == '-';

  // The exporter's plain decimals take the fast road; every other form goes to strtof.
  bool slow = p[0] == '0' && IsLetter(p[1], 'x');
  uint64_t mantissa = 0;
  int digits = 0;  // significant digits in mantissa
  int exponent = 0;
  bool any = false;
  // A run of digits into the mantissa, each after the point lowering the exponent; a twentieth
  // significant digit would not fit, and sends the number to strtof.
  auto takeDigits = [&](int exponentStep) {
    for (; IsDigit(*p); ++p) {
      any = true;
      if (digits == 19) {
        slow = true;
        return;
      }
      mantissa = mantissa * 10 + uint64_t(*p - '0');
      if (mantissa) ++digits;
      exponent -= exponentStep;
    }
  };
  if (!slow) takeDigits(0);
  if (!slow && *p == '.') {
    ++p;
    takeDigits(1);
  }
  if (!slow && !any) {
    // "inf", "infinity", "nan" in any case: strtof knows them; anything else is no number.
    if (IsLetter(*p, 'i') || IsLetter(*p, 'n'))
      slow = true;
    else
      return false;
  }
  if (!slow && IsLetter(*p, 'e')) {
    const char* q = p + 1;
    bool negativeExponent = false;
    if (*q == '-' || *q == '+') negativeExponent = *q++ == '-';
    if (IsDigit(*q)) {
      int e = 0;
      for (; IsDigit(*q); ++q)
        if (e < 100000) e = e * 10 + (*q - '0');
      exponent += negativeExponent ? -e : e;
      p = q;
    }
  }
  if (!slow) {
    float result = 0.0f;
    if (mantissa == 0 || FastDecimal(mantissa, exponent, result)) {
      value = negative ? -result : result;
      pos_ = p;
      return true;
    }
  }
  // The text is followed by a NUL, so strtof cannot run past it.
  char* stop = nullptr;
  const float result = std::strtof(start, &stop);
  if (stop == start) return false;
  value = result;
  pos_ = stop;
  return true;
}

// CR LF counts as the one character that a text-mode read would have made of it.
const char* AseTokenizer::readLine(size_t bufferSize, size_t& length) {
  const char* start = pos_;
  const size_t limit = bufferSize > 0 ? bufferSize - 1 : 0;
  size_t window = limit + 1;  // one more byte for the CR of a CR LF that still fits
  if (window > remaining()) window = remaining();
  const void* found = std::memchr(start, '\n', window);
  if (found) {
    const size_t raw = static_cast<size_t>(static_cast<const char*>(found) - start) + 1;
    const size_t folded = raw >= 2 && start[raw - 2] == '\r' ? raw - 1 : raw;
    if (folded <= limit) {
      length = raw;
      pos_ += raw;
      return start;
    }
  }
  length = limit < remaining() ? limit : remaining();
  pos_ += length;
  return start;
}

const char* AseTokenizer::restOfLine(size_t& length) {
  const char* start = pos_;
  const void* found = std::memchr(start, '\n', remaining());
  length = found ? static_cast<size_t>(static_cast<const char*>(found) - start) : remaining();
  pos_ += length;
  if (pos_ < end_) ++pos_;  // the line end
  if (found && length > 0 && start[length - 1] == '\r') --length;
  return start;
}
