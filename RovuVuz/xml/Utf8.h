// UTF-8 decoding with repair, and conversion between the file's UTF-8 and the UTF-16
// that every display offset in the engine counts.
#pragma once

#include <string>
#include <string_view>

#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz::utf8 {

// Decodes bytes as UTF-8, replacing every ill-formed sequence with U+FFFD (one
// replacement per maximal invalid subpart, as the Unicode standard recommends).
// Well-formed input comes back unchanged.
std::string repaired(ByteView bytes);
inline std::string repaired(std::string_view text) { return repaired(asBytes(text)); }

bool isValid(ByteView bytes);

// Decodes the scalar at `i` and moves `i` past it; an ill-formed sequence gives U+FFFD and
// moves past its maximal invalid subpart. `i` must be inside `bytes`.
char32_t decode(ByteView bytes, size_t& i);

// UTF-8 → UTF-16; ill-formed sequences become U+FFFD.
std::u16string toUtf16(std::string_view text);

// UTF-16 → UTF-8; an unpaired surrogate becomes U+FFFD.
std::string fromUtf16(std::u16string_view text);

// Appends the UTF-8 encoding of one scalar value (no check that it is one).
void appendScalar(std::string& out, char32_t scalar);

}  // namespace rovuvuz::utf8
