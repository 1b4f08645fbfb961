// An append cursor that lays report text out in a caller's buffer: names, decimal and hex numbers.
#pragma once

#include <cstring>
#include <string_view>

// The report prints millions of short fragments; these are written by hand
// rather than through printf. The caller sizes the buffer for the longest
// text it can write; the cursor does not check.
struct TextCursor {
  char *at;

  void put(char c) { *at++ = c; }

  void put(std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    at += text.size();
  }

  // "%u", or "%0<width>u" with width at most 10.
  void put_decimal(unsigned value, unsigned width = 1) {
    char digits[10];
    unsigned count = 0;
    do {
      digits[count++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    while (count < width)
      digits[count++] = '0';
    while (count != 0)
      *at++ = digits[--count];
  }

  static constexpr char kHexDigits[] = "0123456789ABCDEF";

  // "%02X"
  void put_hex_byte(unsigned byte) {
    at[0] = kHexDigits[(byte >> 4) & 0xF];
    at[1] = kHexDigits[byte & 0xF];
    at += 2;
  }

  // "%0<width>X": upper-case hexadecimal, at least `width` (1 to 8) digits.
  void put_hex(unsigned value, unsigned width) {
    unsigned digits = width;
    while (digits < 8 && (value >> (4 * digits)) != 0)
      ++digits;
    for (unsigned shift = 4 * digits; shift != 0; shift -= 4)
      *at++ = kHexDigits[(value >> (shift - 4)) & 0xF];
  }

  // Terminates the text and returns its length from `start`.
  size_t finish(const char *start) {
    *at = '\0';
    return static_cast<size_t>(at - start);
  }
};
