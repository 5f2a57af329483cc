#pragma once
// Scanning of an ASE text held in memory, with the rules of the C library's stream scans:
// words are runs of characters between white space ("%s"), numbers are read straight after
// whatever came before ("%d", "%f"), a blank of a scan format matches any run of white space,
// and a failed number leaves the text at the character that did not fit.
#include <cstddef>
#include <cstdint>
#include <cstring>

// Character classes of the C locale, shared by the inline scans below.
namespace asechars {
enum : uint8_t { kSpace = 1, kDigit = 2, kNul = 4 };
struct Classes {
  uint8_t of[256] = {};
  constexpr Classes() {
    const char spaces[] = " \t\n\v\f\r";
    for (int k = 0; spaces[k]; ++k) of[static_cast<unsigned char>(spaces[k])] = kSpace;
    for (int c = '0'; c <= '9'; ++c) of[c] = kDigit;
    of[0] = kNul;
  }
};
inline constexpr Classes kClasses;
inline bool IsSpace(char c) { return kClasses.of[static_cast<unsigned char>(c)] == kSpace; }
inline bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }
// White space, or a NUL (which may end the text).
inline bool EndsWord(char c) { return kClasses.of[static_cast<unsigned char>(c)] & (kSpace | kNul); }

// Where the word that starts at `start` ends; `end` is the end of the text, where a NUL must
// follow. A NUL inside the text is part of a word. A word that opens with a double quote runs
// to the closing quote on its line and then on to white space, so the words of a quoted name
// or comment are never taken for keywords; without a closing quote it is a plain word.
inline const char* WordEnd(const char* start, const char* end) {
  const char* p = start;
  if (*p == '"')
    for (const char* q = p + 1; q < end && *q != '\n'; ++q)
      if (*q == '"') {
        p = q + 1;
        break;
      }
  for (;;) {
    while (!EndsWord(*p)) ++p;
    if (*p != '\0' || p >= end) return p;
    ++p;
  }
}
}  // namespace asechars

// One word of the text (see WordEnd), pointing into it. A word longer than maxLength characters
// does not fit the 256-byte buffer the format was designed around: it is consumed whole but only
// its first maxLength characters are seen, so it never equals a keyword.
struct AseToken {
  static constexpr size_t maxLength = 255;
  const char* text = nullptr;
  size_t length = 0;

  bool is(const char* word) const {
    return std::strlen(word) == length && std::memcmp(text, word, length) == 0;
  }
};

class AseTokenizer {
 public:
  AseTokenizer() = default;
  // The character at end must be readable and be a NUL.
  AseTokenizer(const char* begin, const char* end) : pos_(begin), end_(end) {}

  bool atEnd() const { return pos_ >= end_; }
  size_t remaining() const { return static_cast<size_t>(end_ - pos_); }

  // "%s": the next word; false at the end of the text.
  bool next(AseToken& token) {
    skipSpace();
    if (pos_ >= end_) return false;
    const char* start = pos_;
    pos_ = asechars::WordEnd(start, end_);
    token.text = start;
    const size_t length = static_cast<size_t>(pos_ - start);
    token.length = length < AseToken::maxLength ? length : AseToken::maxLength;
    return true;
  }
  // "%d": false when no number starts here (after white space); value then stays. Values
  // beyond the 32-bit range saturate.
  bool readInt(int32_t& value) {
    skipSpace();
    const char* p = pos_;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (!asechars::IsDigit(*p)) return false;  // the NUL after the text is no digit
    int64_t magnitude = 0;
    for (; asechars::IsDigit(*p); ++p)
      if (magnitude <= INT32_MAX) magnitude = magnitude * 10 + (*p - '0');
    if (negative) magnitude = -magnitude;
    if (magnitude > INT32_MAX) magnitude = INT32_MAX;
    if (magnitude < INT32_MIN) magnitude = INT32_MIN;
    value = static_cast<int32_t>(magnitude);
    pos_ = p;
    return true;
  }
  // "%f": decimal, exponent, "inf", "nan" and hexadecimal forms, correctly rounded like
  // strtof; false when no number starts here, value then stays.
  bool readFloat(float& value);
  // A blank (or "\t") of a scan format: any run of white space, line ends included.
  void skipSpace() {
    // The NUL after the text is not white space, so the loop needs no bounds check.
    while (asechars::IsSpace(*pos_)) ++pos_;
  }
  // A literal character of a scan format.
  bool match(char c) {
    if (pos_ >= end_ || *pos_ != c) return false;
    ++pos_;
    return true;
  }
  // The next word if it is the single character c: consumed then, else left in place.
  bool nextIs(char c) {
    skipSpace();
    if (pos_ >= end_ || pos_[0] != c || !(pos_ + 1 == end_ || asechars::IsSpace(pos_[1]))) return false;
    ++pos_;
    return true;
  }
  // One line read into a buffer of bufferSize bytes: at most bufferSize - 1 characters, up to
  // and including the line end. Returns the characters read (none at the end of the text).
  const char* readLine(size_t bufferSize, size_t& length);
  // The rest of the current line without its line end; the line end is consumed.
  const char* restOfLine(size_t& length);

 private:
  const char* pos_ = nullptr;
  const char* end_ = nullptr;
};
