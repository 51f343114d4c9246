// The card-file reader on any bytes: it refuses with a reason or gives a card that writes back to a
// file it reads again as the same card.
#include "FuzzCheck.h"
#include "card/CardFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const card::CardFileResult read = card::parseCardFile(bytes);
    FUZZ_CHECK(read.ok == read.error.isEmpty());
    if (read.ok) {
        FUZZ_CHECK(read.sheet.text[card::ReferenceField].isEmpty());
        const card::CardFileResult again = card::parseCardFile(card::writeCardFile(read.sheet));
        FUZZ_CHECK(again.ok);
        FUZZ_CHECK(again.sheet == read.sheet);
    }
    return 0;
}
