#include "list/NameOrder.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace list {

NameOrder::NameOrder() : m_collator(QLocale(QLocale::Chinese, QLocale::China))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(true);
}

int NameOrder::compare(QStringView a, QStringView b) const
{
    const int byCollation = m_collator.compare(a, b);
    return byCollation != 0 ? byCollation : compareCodePoints(a, b);
}

QString NameOrder::identity() const
{
    QStringList probes{
        QStringLiteral("阿"), QStringLiteral("啊"), QStringLiteral("长"),  QStringLiteral("長"),
        QStringLiteral("重"), QStringLiteral("中"), QStringLiteral("a"),   QStringLiteral("A"),
        QStringLiteral("ä"),  QStringLiteral("b"),  QStringLiteral("ｂ"),  QStringLiteral("9"),
        QStringLiteral("10"), QStringLiteral("-"),  QStringLiteral("Zed"), QStringLiteral("ж")};
    std::sort(probes.begin(), probes.end(),
              [this](const QString& x, const QString& y) { return less(x, y); });
    return m_collator.locale().bcp47Name() + QLatin1Char('/') + QString::fromLatin1(qVersion()) +
           QLatin1Char('/') + probes.join(QLatin1Char(' '));
}

int NameOrder::compareCodePoints(QStringView a, QStringView b)
{
    // UTF-16 units put characters from U+E000 on after those beyond U+FFFF (surrogates); moving the
    // surrogates above them gives the order of the code points.
    const auto fixUp = [](char16_t c) {
        return c >= 0xE000 ? char16_t(c - 0x800) : (c >= 0xD800 ? char16_t(c + 0x2000) : c);
    };
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y)
            return fixUp(x) < fixUp(y) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void sortByName(QList<card::ListEntry>& entries, const NameOrder& order)
{
    struct Keyed
    {
        QCollatorSortKey key;
        qsizetype index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(static_cast<size_t>(entries.size()));
    for (qsizetype i = 0; i < entries.size(); ++i)
        keyed.push_back({order.sortKey(entries[i].nam), i});
    std::sort(keyed.begin(), keyed.end(), [&entries](const Keyed& x, const Keyed& y) {
        const int c = x.key.compare(y.key);
        return c != 0 ? c < 0 : NameOrder::compareCodePoints(entries[x.index].nam, entries[y.index].nam) < 0;
    });
    QList<card::ListEntry> sorted;
    sorted.reserve(entries.size());
    for (const Keyed& k : keyed)
        sorted.append(std::move(entries[k.index]));
    entries = std::move(sorted);
}

} // namespace list
