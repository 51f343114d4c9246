#include "BenchReport.h"

#include <QLocale>

namespace bench {

namespace {

class Builder
{
public:
    Builder(const Results& results, const QList<int>& sizes)
        : m_r(results), m_sizes(sizes), m_table(header(sizes))
    {
    }

    Table& table() { return m_table; }

    QString key(const QString& figure, int n) const { return figure + QLatin1Char('.') + QString::number(n); }

    // A figure at every size; the ratio column holds largest over smallest when a limit is given.
    void figureRow(const QString& label, const QString& figure, int decimals, const QString& target = {},
                   double limit = 0)
    {
        QStringList cells{label};
        for (int n : m_sizes)
            cells << formatSamples(m_r.get(key(figure, n)), decimals);
        // A negative limit shows the ratio without judging it.
        if (limit != 0) {
            const double ratio = m_r.ratio(key(figure, m_sizes.last()), key(figure, m_sizes.first()));
            cells << formatNumber(ratio, 2) << target << (limit > 0 ? verdict(ratio, limit) : QString());
        }
        m_table.addRow(cells);
    }

    // The ratio of two figures at every size, judged at the sizes given.
    void ratioRow(const QString& label, const QString& over, const QString& under,
                  const QMap<int, double>& limits, const QString& target)
    {
        QStringList cells{label};
        bool met = true;
        bool judged = false;
        for (int n : m_sizes) {
            const double ratio = m_r.ratio(key(over, n), key(under, n));
            cells << formatNumber(ratio, 2);
            if (limits.contains(n)) {
                judged = true;
                met = met && ratio > 0 && ratio <= limits[n];
            }
        }
        cells << QString() << target
              << (judged ? (met ? QStringLiteral("yes") : QStringLiteral("NO")) : QString());
        m_table.addRow(cells);
    }

    // One ratio between two figures at one size, in the ratio column.
    void singleRatio(const QString& label, const QString& over, const QString& under, const QString& target,
                     double limit, bool atLeast = false)
    {
        const double ratio = m_r.ratio(over, under);
        QStringList cells{label};
        for (qsizetype i = 0; i < m_sizes.size(); ++i)
            cells << QString();
        const bool met = atLeast ? ratio >= limit : (ratio > 0 && ratio <= limit);
        cells << formatNumber(ratio, 2) << target << (met ? QStringLiteral("yes") : QStringLiteral("NO"));
        m_table.addRow(cells);
    }

    static QString verdict(double ratio, double limit)
    {
        return ratio > 0 && ratio <= limit ? QStringLiteral("yes") : QStringLiteral("NO");
    }

private:
    static QStringList header(const QList<int>& sizes)
    {
        QStringList h{QStringLiteral("figure")};
        const QLocale english(QLocale::English);
        for (int n : sizes)
            h << english.toString(n) + QStringLiteral(" cards");
        h << QStringLiteral("ratio") << QStringLiteral("target") << QStringLiteral("met");
        return h;
    }

    const Results& m_r;
    QList<int> m_sizes;
    Table m_table;
};

} // namespace

QString report(const Results& r, const QList<int>& sizes, int opsReps, int startupReps, bool startupOnly)
{
    Builder b(r, sizes);
    const int small = sizes.first();
    const int large = sizes.last();
    const QString largeName = QLocale(QLocale::English).toString(large);
    const QString smallName = QLocale(QLocale::English).toString(small);
    const QString growth = QStringLiteral("%1 / %2").arg(largeName, smallName);

    b.table().addSection(QStringLiteral("Start-up to window mapped, ms (%1 runs)").arg(startupReps));
    b.figureRow(QStringLiteral("minimal Qt Widgets window"), QStringLiteral("startFloor"), 1);
    b.figureRow(QStringLiteral("minimal window with one line of Chinese text"), QStringLiteral("startText"),
                1);
    b.figureRow(QStringLiteral("Quillmark"), QStringLiteral("startOurs"), 1,
                QStringLiteral("%1 ≤ 1.1").arg(growth), 1.1);
    QMap<int, double> startLimits;
    for (int n : sizes)
        startLimits[n] = 1.5;
    b.ratioRow(QStringLiteral("Quillmark / Chinese-text window"), QStringLiteral("startOurs"),
               QStringLiteral("startText"), startLimits, QStringLiteral("≤ 1.5 at every size"));
    b.ratioRow(QStringLiteral("Quillmark / minimal window"), QStringLiteral("startOurs"),
               QStringLiteral("startFloor"), {}, QStringLiteral("(for comparison)"));
    b.figureRow(QStringLiteral("Chinese-text window, its line laid out before it shows"),
                QStringLiteral("startLaidOut"), 1);
    b.ratioRow(QStringLiteral("Quillmark / Chinese-text window laid out before it shows"),
               QStringLiteral("startOurs"), QStringLiteral("startLaidOut"), {},
               QStringLiteral("(for comparison)"));

    b.table().addSection(QStringLiteral("Start-up to the first paint, ms (same runs)"));
    b.figureRow(QStringLiteral("minimal window with one line of Chinese text"), QStringLiteral("paintText"),
                1);
    b.figureRow(QStringLiteral("Chinese-text window, its line laid out before it shows"),
                QStringLiteral("paintLaidOut"), 1);
    b.figureRow(QStringLiteral("Quillmark"), QStringLiteral("paintOurs"), 1,
                QStringLiteral("%1 ≤ 1.15").arg(growth), 1.15);
    b.ratioRow(QStringLiteral("Quillmark / Chinese-text window"), QStringLiteral("paintOurs"),
               QStringLiteral("paintText"), startLimits, QStringLiteral("≤ 1.5 at every size"));
    b.figureRow(QStringLiteral("Quillmark, no first names kept (the store changed elsewhere)"),
                QStringLiteral("paintStale"), 1, growth, -1);
    b.ratioRow(QStringLiteral("that start / Chinese-text window"), QStringLiteral("paintStale"),
               QStringLiteral("paintText"), {}, QStringLiteral("(for comparison)"));
    b.figureRow(QStringLiteral("the window's controls alone: no store, list lines or tray"),
                QStringLiteral("paintSheet"), 1);
    b.ratioRow(QStringLiteral("the controls alone / Chinese-text window"), QStringLiteral("paintSheet"),
               QStringLiteral("paintText"), {}, QStringLiteral("(the controls' own floor)"));
    b.ratioRow(QStringLiteral("Quillmark / the controls alone"), QStringLiteral("paintOurs"),
               QStringLiteral("paintSheet"), {}, QStringLiteral("(the program's own work)"));
    if (startupOnly)
        return b.table().render();

    b.table().addSection(
        QStringLiteral("Operations through the window's handlers, ms (%1 runs)").arg(opsReps));
    const QString opTarget = QStringLiteral("%1 ≤ 1.5").arg(growth);
    b.figureRow(QStringLiteral("load (pick a line)"), QStringLiteral("load"), 2, opTarget, 1.5);
    b.figureRow(QStringLiteral("add, list line shown"), QStringLiteral("add"), 2, opTarget, 1.5);
    b.figureRow(QStringLiteral("save, list line shown"), QStringLiteral("save"), 2, opTarget, 1.5);
    b.figureRow(QStringLiteral("delete, list line shown"), QStringLiteral("delete"), 2, opTarget, 1.5);
    b.figureRow(QStringLiteral("the list's part of a write: one line put, laid out, painted"),
                QStringLiteral("lineUpdate"), 2, opTarget, 1.5);
    b.figureRow(QStringLiteral("“准备新增”"), QStringLiteral("prepare"), 2, opTarget, 1.5);
    b.figureRow(QStringLiteral("first showing of a page: build and paint (4 pages)"),
                QStringLiteral("pageBuild"), 2);
    b.figureRow(QStringLiteral("find in the list, one keystroke (a, n, Backspace, ｎ, Escape)"),
                QStringLiteral("search"), 2, QStringLiteral("≤ 16.7 (a frame) at 10,000"), -1);
    b.figureRow(QStringLiteral("find in the list, the slowest of the five keystrokes"),
                QStringLiteral("searchWorst"), 2, QStringLiteral("≤ 16.7 (a frame) at %1").arg(largeName),
                -1);
    b.figureRow(QStringLiteral("list refresh, first screenful (RefreshList returns)"),
                QStringLiteral("refreshHead"), 2, growth, -1);
    b.figureRow(QStringLiteral("list refresh, longest slice from the event loop"), QStringLiteral("fillStep"),
                2, growth, -1);
    b.figureRow(QStringLiteral("list rebuild (every line in)"), QStringLiteral("rebuild"), 2, growth, -1);
    if (sizes.size() > 2) {
        // Growth is judged between the two larger stores: at 10 cards the fixed costs are all there is.
        const int middle = sizes[sizes.size() - 2];
        b.singleRatio(
            QStringLiteral("list rebuild %1 / %2").arg(largeName, QLocale(QLocale::English).toString(middle)),
            b.key(QStringLiteral("rebuild"), large), b.key(QStringLiteral("rebuild"), middle),
            QStringLiteral("≤ %1 (the ratio of cards)").arg(large / middle), double(large) / middle);
    }
    b.figureRow(QStringLiteral("bare floor: read 5 columns + entry texts + sort by collation keys"),
                QStringLiteral("bareList"), 2);
    b.ratioRow(QStringLiteral("list rebuild / bare floor"), QStringLiteral("rebuild"),
               QStringLiteral("bareList"), {{large, 2.0}}, QStringLiteral("≤ 2 at %1").arg(largeName));

    b.table().addSection(QStringLiteral("Saving, ms"));
    b.figureRow(QStringLiteral("bare durable transaction, same two rows"), QStringLiteral("bareSave"), 2);
    // The window's save also shows its list line and its notice, which the bare transaction does not:
    // for comparison only. The write itself is judged at the store layer, side by side in one process.
    b.ratioRow(QStringLiteral("window's save (list line, notice) / bare transaction"), QStringLiteral("save"),
               QStringLiteral("bareSave"), {}, QStringLiteral("(for comparison)"));
    const QString whole = b.key(QStringLiteral("wholeSave"), large);
    const QString ours = b.key(QStringLiteral("ourSave"), large);
    const QString bare = b.key(QStringLiteral("floorSave"), large);
    b.table().addRow({QStringLiteral("whole-table save (old way), %1 cards").arg(largeName),
                      formatSamples(r.get(whole), 1)});
    b.table().addRow({QStringLiteral("our save, store layer, same process"), formatSamples(r.get(ours), 2)});
    b.table().addRow({QStringLiteral("bare transaction, same process"), formatSamples(r.get(bare), 2)});
    b.singleRatio(QStringLiteral("our save / bare transaction, store layer"), ours, bare,
                  QStringLiteral("≤ 1.5"), 1.5);
    b.singleRatio(QStringLiteral("whole-table save / our save"), whole, ours,
                  QStringLiteral("visibly slower (> 1)"), 1.0, true);

    b.table().addSection(
        QStringLiteral("The roster (“角色卡总览”), %1 cards, ms (%2 runs)").arg(largeName).arg(opsReps));
    const auto rosterRow = [&](const QString& label, const QString& figure) {
        b.table().addRow({label, formatSamples(r.get(b.key(figure, large)), 2)});
    };
    rosterRow(QStringLiteral("open: every card read, sorted by name, shown"), QStringLiteral("rosterOpen"));
    rosterRow(QStringLiteral("bare floor: read 5 columns + sort by the names' collation keys"),
              QStringLiteral("bareRosterName"));
    b.singleRatio(QStringLiteral("open / its floor"), b.key(QStringLiteral("rosterOpen"), large),
                  b.key(QStringLiteral("bareRosterName"), large), QStringLiteral("≤ 1.5"), 1.5);
    rosterRow(QStringLiteral("sort by 等级, shown"), QStringLiteral("rosterLevel"));
    rosterRow(QStringLiteral("bare floor: read 5 columns + sort by the levels' values"),
              QStringLiteral("bareRosterLevel"));
    b.singleRatio(QStringLiteral("sort by 等级 / its floor"), b.key(QStringLiteral("rosterLevel"), large),
                  b.key(QStringLiteral("bareRosterLevel"), large), QStringLiteral("≤ 1.5"), 1.5);
    rosterRow(QStringLiteral("sort by 种族, shown"), QStringLiteral("rosterRace"));
    rosterRow(QStringLiteral("bare floor: read 5 columns + sort by the races' collation keys"),
              QStringLiteral("bareRosterRace"));
    b.singleRatio(QStringLiteral("sort by 种族 / its floor"), b.key(QStringLiteral("rosterRace"), large),
                  b.key(QStringLiteral("bareRosterRace"), large), QStringLiteral("≤ 1.5"), 1.5);

    b.table().addSection(QStringLiteral("Peak resident memory, MB"));
    b.figureRow(QStringLiteral("Quillmark, start-up and first paint"), QStringLiteral("rssOurs"), 1,
                QStringLiteral("%1 ≤ 1.3").arg(growth), 1.3);
    b.figureRow(QStringLiteral("minimal Qt Widgets window"), QStringLiteral("rssFloor"), 1);
    b.figureRow(QStringLiteral("minimal window with one line of Chinese text"), QStringLiteral("rssText"), 1);

    b.table().addSection(QStringLiteral("Idle, “磁性窗体” on, mouse still"));
    QStringList idle{QStringLiteral("CPU, % of one core, 10 s per run (1 s in --smoke)")};
    idle << formatSamples(r.get(QStringLiteral("idleCpu")), 2);
    for (qsizetype i = 1; i < sizes.size(); ++i)
        idle << QString();
    const double cpu = r.get(QStringLiteral("idleCpu")).median();
    idle << QString() << QStringLiteral("≤ 1 %") << Builder::verdict(cpu > 0 ? cpu : 1e-9, 1.0);
    b.table().addRow(idle);
    return b.table().render();
}

} // namespace bench
