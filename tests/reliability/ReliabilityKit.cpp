#include "ReliabilityKit.h"

#include "store/Module1.h"

#include <QFile>

namespace rel {

namespace {

// A small generator of our own, so that every process draws the same numbers from the same seed.
class Draw
{
public:
    explicit Draw(quint64 seed) : m_state(seed ? seed : 0x9e3779b97f4a7c15ULL) {}
    quint64 next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<quint64>(n)); }

private:
    quint64 m_state;
};

quint64 seedOf(const QString& name, int version)
{
    quint64 h = 1469598103934665603ULL; // FNV-1a
    const QByteArray bytes = name.toUtf8() + '#' + QByteArray::number(version);
    for (char c : bytes) {
        h ^= static_cast<quint8>(c);
        h *= 1099511628211ULL;
    }
    return h;
}

// Pieces of text a player might type: no "@" (it never enters a field); "-" only where allowed.
const char16_t* const Pieces[] = {
    u"力量",     u"敏捷",    u"体质",
    u"羽笔卷宗", u"O'Brien", u"\"引号\"",
    u"100%",     u"a_b",     u"; DROP TABLE card;",
    u"SELECT",   u"😀",       u"🐉🗡",
    u"שלום",     u"مرحبا",   u"\u00a0",
    u"\t",       u" ",       u"  ",
    u"x",        u"42",      u"Lv.",
};
const char16_t* const Races[] = {u"精灵", u"矮人", u"Human", u"半身人 'Pip'", u"עברית"};
const char16_t* const Classes[] = {u"法师", u"Fighter", u"牧师%", u"游侠_2"};
const char16_t* const Alignments[] = {u"善良", u"Evil", u"无阵营", u"守序 \"L\""};

QString piece(Draw& d, bool dashAllowed)
{
    const int n = sizeof(Pieces) / sizeof(Pieces[0]);
    const int pick = d.below(n + (dashAllowed ? 1 : 0));
    return pick == n ? QStringLiteral("-") : QString::fromUtf16(Pieces[pick]);
}

QString line(Draw& d, int pieces, bool dashAllowed)
{
    QString s;
    for (int i = 0; i < pieces; ++i)
        s += piece(d, dashAllowed);
    return s;
}

QString note(Draw& d, qsizetype chars)
{
    QString s;
    s.reserve(chars + 64);
    while (s.size() < chars) {
        s += line(d, 1 + d.below(12), true);
        if (d.below(3) == 0)
            s += QStringLiteral("\r\n");
    }
    return s;
}

template <std::size_t N> QString from(Draw& d, const char16_t* const (&pool)[N])
{
    return QString::fromUtf16(pool[d.below(static_cast<int>(N))]);
}

} // namespace

QString makeName(int run, int k)
{
    static const char16_t* const Styles[] = {
        u"卡%1.%2",     u"O'Brien %1.%2", u"%%1_%2%",          u"'; DROP TABLE card; --%1.%2", u"😀🐉 %1.%2",
        u"עברית %1.%2", u"\"%1\" _%2_",   u" 前后空格 %1.%2 ", u"SELECT * FROM lstt %1.%2",    u"Ann%1.%2",
    };
    const int n = sizeof(Styles) / sizeof(Styles[0]);
    QString name = QString::fromUtf16(Styles[k % n]).arg(run).arg(k);
    name.replace(QLatin1Char('-'), QLatin1Char('~')); // a typed name never holds "-"
    return name;
}

card::Sheet makeSheet(const QString& name, int version)
{
    Draw d(seedOf(name, version));
    card::Sheet s;
    s.text[0] = name;
    s.text[card::ReferenceField] = card::referenceText();
    const bool big = d.below(4) == 0;
    const int bigField = d.below(card::NoteColumnCount);
    for (int i = 1; i < card::FieldCount; ++i) {
        if (i == card::ReferenceField)
            continue;
        if (card::isMultiLine(i)) {
            const int column = i == card::RacialTraitsField ? 0 : i - card::FirstNoteField + 1;
            const qsizetype size = big && column == bigField ? 60000 + d.below(120000) : d.below(300);
            s.text[i] = note(d, size);
        } else if (d.below(3) != 0) {
            s.text[i] = line(d, d.below(6), true);
        }
    }
    s.text[6] = QString::number(version);
    s.text[8] = from(d, Races);
    s.text[1] = from(d, Classes);
    s.text[2] = from(d, Alignments);
    for (bool& b : s.checkF)
        b = d.below(2) == 1;
    for (bool& b : s.checkWN)
        b = d.below(2) == 1;
    return s;
}

int claimedVersion(const QString& info)
{
    // Field 6 is value 5 of the info string.
    const QStringList values = info.split(QLatin1Char('@'));
    if (values.size() != card::InfoValueCount)
        return -1;
    bool ok = false;
    const int v = values.at(5).toInt(&ok);
    return ok ? v : -1;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = f.readAll();
    if (bytes.isNull())
        bytes = QByteArray("");
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

bool makeStore(const QString& path)
{
    QString error;
    return store::Module1::createStore(path, &error);
}

} // namespace rel
