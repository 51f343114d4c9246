// The info-string reader on any text: fills only fields 1..24 and 26..288, each with its value of
// the split at "@", and a string of exactly 287 values comes back unchanged when written again.
#include "FuzzCheck.h"
#include "card/CardRecord.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString info = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    card::Sheet sheet;
    card::applyInfo(info, sheet);

    const QStringList values = info.isEmpty() ? QStringList() : info.split(QLatin1Char('@'));
    QList<bool> filled(card::FieldCount, false);
    for (int k = 0; k < card::InfoValueCount; ++k) {
        const int field = card::infoValueField(k);
        filled[field] = true;
        FUZZ_CHECK(sheet.text[field] == values.value(k));
    }
    for (int field = 0; field < card::FieldCount; ++field) {
        if (!filled[field])
            FUZZ_CHECK(sheet.text[field].isEmpty());
    }
    if (values.size() == card::InfoValueCount)
        FUZZ_CHECK(card::encodeInfo(sheet) == info);
    else if (values.size() < card::InfoValueCount)
        FUZZ_CHECK(card::encodeInfo(sheet).startsWith(info));
    return 0;
}
