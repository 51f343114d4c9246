// quillmark-mdbread: reads tables of a Jet 4 (Access) file and writes them to standard output in a
// length-prefixed form that the program parses back. It runs as a child process so that a damaged
// file can neither take the program down nor freeze it.
//
//   quillmark-mdbread FILE TABLE:COLUMN,COLUMN,... [TABLE:COLUMN,...]...
//
// Output (all integers little-endian), written only after every table was read completely:
//   "QLMDB1\n"
//   per table:  'T', u32 name length, name, u32 column count, then per column u32 length and name,
//               u64 row count stored in the table definition;
//               per row: 'R', then per column u32 0xFFFFFFFF for NULL or u32 length and UTF-8 bytes;
//               'E', u64 number of rows written
//   "END\n"
// On any failure nothing is written to standard output, a reason goes to standard error and the exit
// status is 1 (2 for wrong arguments).
//
// The whole output is capped by legacyReaderOutputCap (store/legacy/ReaderOutputCap.h), the cap the
// program applies to what it reads from here; a file that would give more fails.

#include "JetReader.h"
#include "store/legacy/ReaderOutputCap.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

void putU32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void putU64(std::string& out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void putText(std::string& out, const std::string& s)
{
    putU32(out, static_cast<std::uint32_t>(s.size()));
    out += s;
}

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FILE TABLE:COLUMN,COLUMN,... ...\n", argv[0]);
        return 2;
    }
    std::error_code sizeError;
    const std::uintmax_t fileSize = std::filesystem::file_size(argv[1], sizeError);
    if (sizeError) {
        std::fprintf(stderr, "%s: %s\n", argv[1], sizeError.message().c_str());
        return 1;
    }
    const std::uint64_t cap = store::legacyReaderOutputCap(fileSize);
    jet::Database db;
    std::string error;
    if (!db.open(argv[1], error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::string out = "QLMDB1\n";
    for (int a = 2; a < argc; ++a) {
        const std::string tableArg = argv[a];
        const std::size_t colon = tableArg.find(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 == tableArg.size()) {
            std::fprintf(stderr, "bad table argument: %s\n", tableArg.c_str());
            return 2;
        }
        jet::TableData data;
        if (!db.readTable(tableArg.substr(0, colon), split(tableArg.substr(colon + 1), ','), data, error,
                          cap - out.size())) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        out += 'T';
        putText(out, data.name);
        putU32(out, static_cast<std::uint32_t>(data.columns.size()));
        for (const std::string& column : data.columns)
            putText(out, column);
        putU64(out, data.storedRowCount);
        for (const jet::Row& row : data.rows) {
            out += 'R';
            for (const jet::Value& value : row) {
                if (value.isNull)
                    putU32(out, 0xFFFFFFFFu);
                else
                    putText(out, value.bytes);
            }
        }
        out += 'E';
        putU64(out, data.rows.size());
        if (out.size() > cap) {
            std::fprintf(stderr, "the output exceeds %llu bytes (4 times the file's size plus 64 KiB)\n",
                         static_cast<unsigned long long>(cap));
            return 1;
        }
    }
    out += "END\n";
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "cannot write the output\n");
        return 1;
    }
    return 0;
}
