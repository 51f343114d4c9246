#include "store/legacy/LegacyDump.h"

#include "store/Schema.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>

namespace store {

namespace {

struct TableShape
{
    const char* name;
    QStringList columns;
};

// The store's own tables and columns: the reader is asked for exactly these.
QList<TableShape> tableShapes()
{
    QList<TableShape> shapes;
    for (const schema::Table& table : schema::tables())
        shapes.append({table.name, schema::columnNames(table)});
    return shapes;
}

// Reads the dump front to back; any read past the end or malformed text sets the failure.
class DumpReader
{
public:
    explicit DumpReader(const QByteArray& data) : m_data(data) {}

    bool failed() const { return !m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    bool atEnd() const { return m_pos == m_data.size(); }
    void fail(const QString& why)
    {
        if (m_error.isEmpty())
            m_error = why;
    }

    bool expect(QByteArrayView bytes)
    {
        if (failed() || m_data.size() - m_pos < bytes.size() ||
            QByteArrayView(m_data).sliced(m_pos, bytes.size()) != bytes)
            return false;
        m_pos += bytes.size();
        return true;
    }
    bool peek(char c) const { return !failed() && m_pos < m_data.size() && m_data.at(m_pos) == c; }

    quint64 number(int size)
    {
        if (failed() || m_data.size() - m_pos < size) {
            fail(QStringLiteral("读取结果不完整"));
            return 0;
        }
        quint64 v = 0;
        for (int i = size - 1; i >= 0; --i)
            v = (v << 8) | static_cast<quint8>(m_data.at(m_pos + i));
        m_pos += size;
        return v;
    }

    // A value: NULL, or length-prefixed UTF-8.
    QString text()
    {
        const quint64 size = number(4);
        if (failed() || size == 0xFFFFFFFFu)
            return QString();
        if (quint64(m_data.size() - m_pos) < size) {
            fail(QStringLiteral("读取结果不完整"));
            return QString();
        }
        if (size == 0)
            return QStringLiteral("");
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString s = decoder(QByteArrayView(m_data).sliced(m_pos, qsizetype(size)));
        if (decoder.hasError())
            fail(QStringLiteral("读取结果中有无效的文字编码"));
        m_pos += qsizetype(size);
        return s;
    }

private:
    const QByteArray& m_data;
    qsizetype m_pos = 0;
    QString m_error;
};

// Names as keys: a NULL name and an empty one are different names.
QString nameKey(const QString& name)
{
    return name.isNull() ? QStringLiteral("N") : QStringLiteral("S") + name;
}

QString orEmpty(const QString& s)
{
    return s.isNull() ? QStringLiteral("") : s;
}

card::ListEntry entryFromCard(const card::CardRecord& record)
{
    card::Sheet sheet;
    card::applyCardRecord(record, sheet);
    const card::ListEntry e = card::toListEntry(sheet);
    return {record.nae, orEmpty(e.lv), orEmpty(e.race), orEmpty(e.tra), orEmpty(e.cmp)};
}

card::CardRecord cardFromEntry(const card::ListEntry& entry)
{
    card::Sheet sheet;
    sheet.text[card::NameField] = entry.nam;
    sheet.text[card::LevelField] = entry.lv;
    sheet.text[card::RaceField] = entry.race;
    sheet.text[card::ClassField] = entry.tra;
    sheet.text[card::AlignmentField] = entry.cmp;
    card::CardRecord record = card::toCardRecord(sheet);
    record.nae = entry.nam;
    record.info = orEmpty(record.info);
    for (QString& note : record.notes)
        note = orEmpty(note);
    return record;
}

} // namespace

QStringList legacyReaderTableArguments()
{
    QStringList args;
    for (const TableShape& table : tableShapes()) {
        args << QLatin1String(table.name) + QLatin1Char(':') + table.columns.join(QLatin1Char(','));
    }
    return args;
}

bool parseLegacyDump(const QByteArray& output, LegacyTables& tables, QString* error)
{
    tables = {};
    DumpReader in(output);
    if (!in.expect("QLMDB1\n"))
        in.fail(QStringLiteral("读取程序没有给出结果"));
    const QList<TableShape> shapes = tableShapes();
    for (int t = 0; t < shapes.size() && !in.failed(); ++t) {
        const TableShape& table = shapes[t];
        if (!in.expect("T") || in.text().compare(QLatin1String(table.name), Qt::CaseInsensitive) != 0) {
            in.fail(QStringLiteral("读取结果中缺少数据表 %1").arg(QLatin1String(table.name)));
            break;
        }
        const quint64 columns = in.number(4);
        bool columnsOk = columns == quint64(table.columns.size());
        for (quint64 c = 0; columnsOk && c < columns; ++c)
            columnsOk = in.text().compare(table.columns[int(c)], Qt::CaseInsensitive) == 0;
        if (!columnsOk)
            in.fail(QStringLiteral("数据表 %1 的列与预期不符").arg(QLatin1String(table.name)));
        const quint64 stored = in.number(8);
        quint64 rows = 0;
        while (in.peek('R') && in.expect("R")) {
            QStringList v;
            for (qsizetype c = 0; c < table.columns.size(); ++c)
                v << in.text();
            if (in.failed())
                break;
            ++rows;
            if (t == 0) {
                card::CardRecord r{v[0], v[1], v[2], {}};
                for (int n = 0; n < card::NoteColumnCount; ++n)
                    r.notes[n] = v[3 + n];
                tables.cards << r;
            } else if (t == 1) {
                tables.lists << card::ListEntry{v[0], v[1], v[2], v[3], v[4]};
            } else {
                QVariant magw;
                if (!v[1].isNull()) {
                    bool ok = false;
                    magw = v[1].toInt(&ok);
                    if (!ok)
                        in.fail(QStringLiteral("数据表 sets 的 magw 不是整数"));
                }
                tables.sets << SetsRow{v[0], magw, v[2]};
            }
        }
        if (!in.expect("E") || in.number(8) != rows)
            in.fail(QStringLiteral("数据表 %1 的读取结果不完整").arg(QLatin1String(table.name)));
        else if (rows != stored)
            in.fail(QStringLiteral("数据表 %1 的行数不符（读到 %2 行，文件记载 %3 行）")
                        .arg(QLatin1String(table.name))
                        .arg(rows)
                        .arg(stored));
    }
    if (!in.failed() && (!in.expect("END\n") || !in.atEnd()))
        in.fail(QStringLiteral("读取结果的结尾不完整"));
    if (in.failed()) {
        if (error)
            *error = in.error();
        tables = {};
        return false;
    }
    return true;
}

LegacyTables repairLegacyTables(const LegacyTables& tables)
{
    LegacyTables out;
    out.cards = tables.cards;
    out.sets = tables.sets;
    QHash<QString, qsizetype> cardIndex;
    for (qsizetype i = 0; i < tables.cards.size(); ++i)
        cardIndex.insert(nameKey(tables.cards[i].nae), i);
    QHash<QString, int> entryCount;
    for (const card::ListEntry& e : tables.lists)
        ++entryCount[nameKey(e.nam)];

    QSet<QString> done;
    for (const card::ListEntry& e : tables.lists) {
        const QString key = nameKey(e.nam);
        if (done.contains(key))
            continue;
        done.insert(key);
        const auto found = cardIndex.constFind(key);
        if (found == cardIndex.cend()) {
            out.lists << e;
            out.cards << cardFromEntry(e);
        } else if (entryCount.value(key) == 1) {
            out.lists << e;
        }
    }
    // Cards without an entry of their own, and those whose several entries collapse into one.
    for (const card::CardRecord& c : tables.cards) {
        const QString key = nameKey(c.nae);
        if (entryCount.value(key) != 1) {
            out.lists << entryFromCard(c);
            entryCount[key] = 1;
        }
    }
    return out;
}

bool findDuplicateCardName(const QList<card::CardRecord>& cards, QString* name)
{
    QSet<QString> seen;
    for (const card::CardRecord& c : cards) {
        if (c.nae.isNull())
            continue; // the store's unique index lets NULL names be
        if (seen.contains(c.nae)) {
            if (name)
                *name = c.nae;
            return true;
        }
        seen.insert(c.nae);
    }
    return false;
}

} // namespace store
