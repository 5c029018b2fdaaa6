#pragma once
// Small UTF-8 helpers: character counts and byte offsets of character positions.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::rt::utf8 {

inline bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

// Length in bytes of the sequence that starts with lead byte c (1 for a stray byte).
inline size_t SeqLen(unsigned char c) {
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) return 2;
  if ((c & 0xF0) == 0xE0) return 3;
  if ((c & 0xF8) == 0xF0) return 4;
  return 1;
}

inline int64_t CountChars(std::string_view s) {
  int64_t n = 0;
  for (size_t i = 0; i < s.size(); i += SeqLen(static_cast<unsigned char>(s[i]))) ++n;
  return n;
}

// Byte offset of character index k (0-based); s.size() when k is at or past the end.
inline size_t ByteOffset(std::string_view s, int64_t k) {
  size_t i = 0;
  while (k > 0 && i < s.size()) {
    i += SeqLen(static_cast<unsigned char>(s[i]));
    --k;
  }
  return i < s.size() ? i : s.size();
}

// Decodes the code point at byte i and advances i (U+FFFD for a malformed sequence).
uint32_t Decode(std::string_view s, size_t& i);
void Append(std::string& out, uint32_t cp);
// True when s is well-formed UTF-8.
bool IsValid(std::string_view s);

}  // namespace vantrel::rt::utf8
