#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <chrono>

namespace bench {

// Milliseconds on the monotonic clock.
inline double nowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// Lets the event loop finish what the last step left (layouts, paints, deferred deletes), outside
// every timed span, so that no figure carries another step's leftovers.
void settle();

// Times one step: the handler or routine itself, what it leaves for the event loop excluded.
template <typename Work> double timed(Work work)
{
    settle();
    const double start = nowMs();
    work();
    return nowMs() - start;
}

// The repeated measurements of one figure: reported as median with min and max.
struct Samples
{
    QList<double> values;

    bool isEmpty() const { return values.isEmpty(); }
    void add(double v) { values.append(v); }
    double median() const;
    double min() const;
    double max() const;
};

// Every figure of one run, by key ("startup.ours.10000", "ops.save.10", ...).
class Results
{
public:
    Samples& operator[](const QString& key) { return m_figures[key]; }
    bool has(const QString& key) const { return m_figures.contains(key) && !m_figures[key].isEmpty(); }
    Samples get(const QString& key) const { return m_figures.value(key); }
    // Ratio of the medians of two figures of this run; 0 when either is missing.
    double ratio(const QString& over, const QString& under) const;

    // Child processes hand their figures back as lines: "key<TAB>v1 v2 v3".
    QString serialize() const;
    void merge(const QString& text);

private:
    QMap<QString, Samples> m_figures;
};

// "12.3 (11.9–13.0)": median, then min and max.
QString formatSamples(const Samples& s, int decimals);
QString formatNumber(double v, int decimals);

// A plain-text table with aligned columns, as one block (also valid Markdown).
class Table
{
public:
    explicit Table(QStringList header) : m_header(std::move(header)) {}
    void addRow(QStringList cells) { m_rows.append(std::move(cells)); }
    void addSection(const QString& title)
    {
        m_rows.append(QStringList{QStringLiteral("**") + title + QStringLiteral("**")});
    }
    QString render() const;

private:
    QStringList m_header;
    QList<QStringList> m_rows;
};

} // namespace bench
