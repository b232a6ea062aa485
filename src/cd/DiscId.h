#pragma once

#include <cstdint>
#include <string>

namespace zeb {

struct DiscToc;

// The CDDB disc id of a table of contents: the digit sum of the track start
// seconds (mod 255) in the top byte, the playing time in seconds in the middle
// 16 bits, the track count in the low byte.
uint32_t CddbDiscId(const DiscToc& toc);
// The id as CDDB writes it: eight lower-case hexadecimal digits.
std::string FormatDiscId(uint32_t id);

} // namespace zeb
