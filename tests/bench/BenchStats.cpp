#include "BenchStats.h"

#include <QCoreApplication>

#include <algorithm>

namespace bench {

void settle()
{
    const double until = nowMs() + 30;
    do {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (nowMs() < until);
}

double Samples::median() const
{
    if (values.isEmpty())
        return 0;
    QList<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const qsizetype n = sorted.size();
    return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

double Samples::min() const
{
    return values.isEmpty() ? 0 : *std::min_element(values.begin(), values.end());
}

double Samples::max() const
{
    return values.isEmpty() ? 0 : *std::max_element(values.begin(), values.end());
}

double Results::ratio(const QString& over, const QString& under) const
{
    if (!has(over) || !has(under))
        return 0;
    const double below = m_figures[under].median();
    return below > 0 ? m_figures[over].median() / below : 0;
}

QString Results::serialize() const
{
    QString out;
    for (auto it = m_figures.cbegin(); it != m_figures.cend(); ++it) {
        QStringList values;
        for (double v : it.value().values)
            values << QString::number(v, 'g', 10);
        out += it.key() + QLatin1Char('\t') + values.join(QLatin1Char(' ')) + QLatin1Char('\n');
    }
    return out;
}

void Results::merge(const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab <= 0)
            continue;
        Samples& s = m_figures[line.left(tab)];
        const QStringList values = line.mid(tab + 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString& v : values) {
            bool ok = false;
            const double d = v.toDouble(&ok);
            if (ok)
                s.add(d);
        }
    }
}

QString formatNumber(double v, int decimals)
{
    return QString::number(v, 'f', decimals);
}

QString formatSamples(const Samples& s, int decimals)
{
    if (s.isEmpty())
        return QStringLiteral("—");
    if (s.values.size() == 1)
        return formatNumber(s.median(), decimals);
    return formatNumber(s.median(), decimals) + QStringLiteral(" (") + formatNumber(s.min(), decimals) +
           QStringLiteral("–") + formatNumber(s.max(), decimals) + QLatin1Char(')');
}

namespace {

// Display width: CJK and full-width characters take two columns.
int displayWidth(const QString& text)
{
    int width = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115f) || (u >= 0x2e80 && u <= 0xa4cf) ||
                          (u >= 0xac00 && u <= 0xd7a3) || (u >= 0xf900 && u <= 0xfaff) ||
                          (u >= 0xfe30 && u <= 0xfe4f) || (u >= 0xff00 && u <= 0xff60) ||
                          (u >= 0xffe0 && u <= 0xffe6);
        width += wide ? 2 : 1;
    }
    return width;
}

QString padded(const QString& text, int width)
{
    return text + QString(std::max(0, width - displayWidth(text)), QLatin1Char(' '));
}

} // namespace

QString Table::render() const
{
    const qsizetype columns = m_header.size();
    QList<int> widths(columns, 0);
    for (qsizetype c = 0; c < columns; ++c)
        widths[c] = displayWidth(m_header[c]);
    for (const QStringList& row : m_rows) {
        if (row.size() == 1)
            continue;
        for (qsizetype c = 0; c < columns && c < row.size(); ++c)
            widths[c] = std::max(widths[c], displayWidth(row[c]));
    }
    auto line = [&](const QStringList& cells) -> QString {
        QString out = QStringLiteral("|");
        for (qsizetype c = 0; c < columns; ++c)
            out += QLatin1Char(' ') + padded(c < cells.size() ? cells[c] : QString(), widths[c]) +
                   QStringLiteral(" |");
        return out + QLatin1Char('\n');
    };
    QString out = line(m_header);
    QStringList rule;
    for (qsizetype c = 0; c < columns; ++c)
        rule << QString(widths[c], QLatin1Char('-'));
    out += line(rule);
    for (const QStringList& row : m_rows)
        out += line(row);
    return out;
}

} // namespace bench
