#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Text as a Jet 4 (Access 2000 and later) file stores it, turned into UTF-8.
namespace jet {

// Jet 4 keeps text either as UTF-16LE or, when it starts with FF FE, in the compressed form: single
// bytes stand for characters U+0001..U+00FF, and a 0x00 byte switches between single bytes and
// UTF-16LE pairs. The code units are decoded as UTF-16, surrogate pairs included.
// Returns false with a reason for an odd byte count or a surrogate without its partner; nothing is
// dropped or replaced silently.
bool decodeText(const unsigned char* data, std::size_t size, std::string& utf8, std::string& error);

// The UTF-16 code units of stored text (the compressed form expanded), without further decoding.
bool textUnits(const unsigned char* data, std::size_t size, std::vector<std::uint16_t>& units,
               std::string& error);

// Appends one code point (U+0000..U+10FFFF, no surrogates) as UTF-8.
void appendUtf8(std::string& out, char32_t cp);

} // namespace jet
