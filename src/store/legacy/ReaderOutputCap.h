#pragma once

// Shared by the program and its reader helper (tools/mdbread): plain C++, no Qt.
#include <cstdint>

namespace store {

// The most output the reader may give for an Access file of `fileSize` bytes. Each value comes out
// as a 4-byte length and its text in UTF-8; in the file the same value takes at least a 2-byte offset
// and its text in one byte per character (compressed) or two (UCS-2). UTF-8 needs at most two bytes
// for a character stored in one and three for one stored in two, so no part of a whole file grows
// more than twofold; twice that, plus 64 KiB for the names of the tables and columns, leaves room and
// stops a file whose rows share one long value (a legitimate file stores each value once).
constexpr std::uint64_t legacyReaderOutputCap(std::uint64_t fileSize)
{
    return 4 * fileSize + 64 * 1024;
}

} // namespace store
