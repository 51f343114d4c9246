// The tick-string reader on any text: box p is ticked exactly when character p is "1"; boxes past
// the string's end stay clear; a string of 87 digits 0 and 1 comes back unchanged.
#include "FuzzCheck.h"
#include "card/CardRecord.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString ticks =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    card::Sheet sheet;
    card::applyTicks(ticks, sheet);
    bool digitsOnly = ticks.size() == card::TickCount;
    for (int p = 0; p < card::TickCount; ++p) {
        const bool ticked = p < card::CheckFCount ? sheet.checkF[p] : sheet.checkWN[p - card::CheckFCount];
        FUZZ_CHECK(ticked == (p < ticks.size() && ticks.at(p) == QLatin1Char('1')));
        if (p < ticks.size() && ticks.at(p) != QLatin1Char('0') && ticks.at(p) != QLatin1Char('1'))
            digitsOnly = false;
    }
    for (const QString& text : sheet.text)
        FUZZ_CHECK(text.isEmpty());
    if (digitsOnly)
        FUZZ_CHECK(card::encodeTicks(sheet) == ticks);
    return 0;
}
