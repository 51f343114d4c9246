// The selected-name rule on any line text in every display mode: it always answers with a piece of
// the text. And for list entries whose five values hold no "-" (the key filter keeps it out), the
// name comes back exactly from the line built for any mode.
#include "FuzzCheck.h"
#include "list/ListLines.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList modes{QString(),         list::modeName(),      list::modeLevel(),     list::modeRace(),
                            list::modeClass(), list::modeAlignment(), QStringLiteral("其他")};
    for (const QString& mode : modes) {
        const QString name = list::selectedName(mode, text);
        FUZZ_CHECK(text.contains(name));
    }

    // The same bytes read as five values separated by "|", with every "-" taken out.
    QStringList values = QString(text).remove(QLatin1Char('-')).split(QLatin1Char('|'));
    while (values.size() < 5)
        values << QString();
    const card::ListEntry entry{values[0], values[1], values[2], values[3], values[4]};
    for (const QString& mode : modes)
        FUZZ_CHECK(list::selectedName(mode, list::entryText(mode, entry)) == entry.nam);
    return 0;
}
