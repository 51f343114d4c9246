#include "card/PdfText.h"

#include <QChar>
#include <QRegularExpression>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace card {

namespace {

// Radicals of the supplement block that the Chinese faces draw with an ideograph's glyph (Noto Sans
// CJK SC and Noto Serif CJK SC, regular and bold): unlike the Kangxi radicals they have no
// decomposition that names the ideograph.
constexpr std::pair<char16_t, char16_t> SupplementRadicals[] = {
    {0x2E82, 0x4E5B}, {0x2E83, 0x4E5A}, {0x2E85, 0x4EBB}, {0x2E89, 0x5202}, {0x2E8B, 0x353E},
    {0x2E8E, 0x5140}, {0x2E8F, 0x5C23}, {0x2E90, 0x5C22}, {0x2E92, 0x5DF3}, {0x2E93, 0x5E7A},
    {0x2E94, 0x5F51}, {0x2E95, 0x5F50}, {0x2E96, 0x5FC4}, {0x2E98, 0x624C}, {0x2E99, 0x6535},
    {0x2E9B, 0x65E1}, {0x2E9E, 0x6B7A}, {0x2E9F, 0x6BCD}, {0x2EA0, 0x6C11}, {0x2EA1, 0x6C35},
    {0x2EA3, 0x706C}, {0x2EA4, 0x722B}, {0x2EA6, 0x4E2C}, {0x2EA8, 0x72AD}, {0x2EAB, 0x7F52},
    {0x2EAD, 0x793B}, {0x2EAF, 0x7CF9}, {0x2EB0, 0x7E9F}, {0x2EB1, 0x7F53}, {0x2EB2, 0x7F52},
    {0x2EB3, 0x34C1}, {0x2EB9, 0x8002}, {0x2EBA, 0x8080}, {0x2EBE, 0x8279}, {0x2EC1, 0x864E},
    {0x2EC2, 0x8864}, {0x2EC3, 0x8980}, {0x2EC5, 0x89C1}, {0x2EC6, 0x89D2}, {0x2EC8, 0x8BA0},
    {0x2EC9, 0x8D1D}, {0x2ECB, 0x8F66}, {0x2ECC, 0x8FB6}, {0x2ED0, 0x9485}, {0x2ED1, 0x9577},
    {0x2ED2, 0x9578}, {0x2ED3, 0x957F}, {0x2ED4, 0x95E8}, {0x2ED6, 0x961D}, {0x2ED8, 0x9752},
    {0x2ED9, 0x97E6}, {0x2EDA, 0x9875}, {0x2EDB, 0x98CE}, {0x2EDC, 0x98DE}, {0x2EDD, 0x98DF},
    {0x2EDF, 0x98E0}, {0x2EE0, 0x9963}, {0x2EE2, 0x9A6C}, {0x2EE3, 0x9AA8}, {0x2EE4, 0x9B3C},
    {0x2EE5, 0x9C7C}, {0x2EE6, 0x9E1F}, {0x2EE7, 0x5364}, {0x2EE8, 0x9EA6}, {0x2EE9, 0x9EC4},
    {0x2EEA, 0x9EFE}, {0x2EEB, 0x6589}, {0x2EEC, 0x9F50}, {0x2EEE, 0x9F7F}, {0x2EEF, 0x7ADC},
    {0x2EF0, 0x9F99}, {0x2EF1, 0x9F9C}, {0x2EF2, 0x4E80}, {0x2EF3, 0x9F9F},
};

// One entry of a glyph-to-text map: the glyph's code, as many hex digits as it was written with, and
// the UTF-16 text it stands for.
struct Mapping
{
    uint code = 0;
    qsizetype digits = 4;
    std::vector<char16_t> text;
};

std::vector<char16_t> hexUnits(const QByteArray& hex)
{
    std::vector<char16_t> units;
    for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
        units.push_back(static_cast<char16_t>(hex.mid(i, 4).toUInt(nullptr, 16)));
    return units;
}

// The entries of the map's bfchar and bfrange sections, or nothing when it holds anything else.
std::optional<std::vector<Mapping>> readMappings(const QByteArray& body)
{
    static const QRegularExpression token(QStringLiteral("<([0-9A-Fa-f]*)>|\\[|\\]|[^\\s<>\\[\\]]+"));
    QStringList tokens;
    for (const QRegularExpressionMatch& m : token.globalMatch(QString::fromLatin1(body)))
        tokens << m.captured(0);
    std::vector<Mapping> mappings;
    const auto isHex = [](const QString& t) { return t.startsWith(QLatin1Char('<')); };
    const auto hex = [](const QString& t) { return t.mid(1, t.size() - 2).toLatin1(); };
    enum { None, Chars, Ranges } section = None;
    for (qsizetype i = 0; i < tokens.size();) {
        const QString& t = tokens[i];
        if (t == u"beginbfchar" || t == u"beginbfrange") {
            section = t == u"beginbfchar" ? Chars : Ranges;
            ++i;
        } else if (t == u"endbfchar" || t == u"endbfrange") {
            section = None;
            ++i;
        } else if (section == None) {
            bool number = false;
            t.toInt(&number); // the count before a section
            if (!number)
                return std::nullopt;
            ++i;
        } else if (section == Chars) {
            if (i + 1 >= tokens.size() || !isHex(t) || !isHex(tokens[i + 1]))
                return std::nullopt;
            mappings.push_back({hex(t).toUInt(nullptr, 16), hex(t).size(), hexUnits(hex(tokens[i + 1]))});
            i += 2;
        } else {
            if (i + 2 >= tokens.size() || !isHex(t) || !isHex(tokens[i + 1]))
                return std::nullopt;
            const uint low = hex(t).toUInt(nullptr, 16);
            const uint high = hex(tokens[i + 1]).toUInt(nullptr, 16);
            if (high < low || high - low > 0xFFFF)
                return std::nullopt;
            i += 2;
            for (uint code = low; code <= high; ++code) {
                std::vector<char16_t> text;
                if (tokens[i] == u"[") {
                    const qsizetype at = i + 1 + (code - low);
                    if (at >= tokens.size() || !isHex(tokens[at]))
                        return std::nullopt;
                    text = hexUnits(hex(tokens[at]));
                } else {
                    if (!isHex(tokens[i]) || hexUnits(hex(tokens[i])).empty())
                        return std::nullopt;
                    text = hexUnits(hex(tokens[i])); // each code one further than the last
                    text.back() = static_cast<char16_t>(text.back() + (code - low));
                }
                mappings.push_back({code, hex(t).size(), text});
            }
            if (tokens[i] == u"[") {
                i += 2 + (high - low + 1);
                if (i > tokens.size() || tokens[i - 1] != u"]")
                    return std::nullopt;
            } else {
                ++i;
            }
        }
    }
    return mappings;
}

// The map with its entries naming the drawn characters, or nothing when it needs no change (or
// cannot be read).
std::optional<QByteArray> rewriteMap(const QByteArray& cmap)
{
    const QByteArray start = "endcodespacerange";
    const qsizetype from = cmap.indexOf(start);
    const qsizetype to = cmap.indexOf("endcmap", from);
    if (from < 0 || to < 0)
        return std::nullopt;
    std::optional<std::vector<Mapping>> mappings =
        readMappings(cmap.mid(from + start.size(), to - from - start.size()));
    if (!mappings)
        return std::nullopt;
    bool changed = false;
    for (Mapping& m : *mappings) {
        for (char16_t& unit : m.text) {
            const char16_t drawn = drawnCharacter(unit);
            changed = changed || drawn != unit;
            unit = drawn;
        }
    }
    if (!changed)
        return std::nullopt;
    QByteArray body = "\n";
    for (size_t first = 0; first < mappings->size(); first += 100) {
        const size_t last = std::min(mappings->size(), first + 100);
        body += QByteArray::number(qulonglong(last - first)) + " beginbfchar\n";
        for (size_t k = first; k < last; ++k) {
            const Mapping& m = (*mappings)[k];
            body += '<' + QByteArray::number(m.code, 16).toUpper().rightJustified(m.digits, '0') + "> <";
            for (char16_t unit : m.text)
                body += QByteArray::number(unit, 16).toUpper().rightJustified(4, '0');
            body += ">\n";
        }
        body += "endbfchar\n";
    }
    return cmap.left(from + start.size()) + body + cmap.mid(to);
}

// A piece of the file replaced by other bytes.
struct Edit
{
    qsizetype from = 0;
    qsizetype to = 0;
    QByteArray bytes;
};

// The edits that put right one map, whose text holds the marker at hit; none when it needs nothing.
std::vector<Edit> mapEdits(const QByteArray& pdf, qsizetype hit)
{
    const qsizetype keyword = pdf.lastIndexOf("stream", hit);
    const qsizetype object = pdf.lastIndexOf(" obj", keyword);
    if (keyword < 3 || object < 0 || pdf.mid(keyword - 3, 3) == "end")
        return {};
    qsizetype data = keyword + 6;
    data += pdf.mid(data, 2) == "\r\n" ? 2 : 1;
    static const QRegularExpression length(QStringLiteral("/Length\\s+(\\d+)(\\s+\\d+\\s+R)?"));
    const QString dictionary = QString::fromLatin1(pdf.mid(object, keyword - object));
    const QRegularExpressionMatch m = length.match(dictionary);
    if (!m.hasMatch() || m.capturedLength(2) > 0 || dictionary.contains(QLatin1String("/Filter")))
        return {};
    const qsizetype size = m.captured(1).toLongLong();
    const qsizetype end = data + size;
    if (end > pdf.size() || hit >= end || !pdf.mid(end, 12).trimmed().startsWith("endstream"))
        return {};
    const std::optional<QByteArray> cmap = rewriteMap(pdf.mid(data, size));
    if (!cmap)
        return {};
    const qsizetype digits = object + m.capturedStart(1);
    return {{digits, digits + m.capturedLength(1), QByteArray::number(cmap->size())}, {data, end, *cmap}};
}

// Where a byte at offset of the original file stands after the edits.
qsizetype moved(const std::vector<Edit>& edits, qsizetype offset)
{
    qsizetype shift = 0;
    for (const Edit& e : edits) {
        if (e.to <= offset)
            shift += e.bytes.size() - (e.to - e.from);
    }
    return offset + shift;
}

// Moves the offsets of the classic cross-reference table at xref in out; false when out holds no such
// table there.
bool moveTable(QByteArray& out, qsizetype xref, const std::vector<Edit>& edits)
{
    if (out.mid(xref, 4) != "xref")
        return false;
    qsizetype at = xref + 4;
    static const QRegularExpression section(QStringLiteral("^\\s*(\\d+)\\s+(\\d+)[ \\t]*(\\r\\n|\\r|\\n)"));
    for (;;) {
        const QRegularExpressionMatch m = section.match(QString::fromLatin1(out.mid(at, 40)));
        if (!m.hasMatch())
            return out.mid(at, 40).trimmed().startsWith("trailer");
        at += m.capturedLength(0);
        for (int k = 0; k < m.captured(2).toInt(); ++k, at += 20) {
            const QByteArray entry = out.mid(at, 20);
            if (entry.size() != 20 || entry[10] != ' ' || entry[16] != ' ')
                return false;
            if (entry[17] != 'n')
                continue;
            bool number = false;
            const qsizetype offset = entry.left(10).toLongLong(&number);
            if (!number)
                return false;
            out.replace(at, 10, QByteArray::number(moved(edits, offset)).rightJustified(10, '0'));
        }
    }
}

} // namespace

char16_t drawnCharacter(char16_t code)
{
    if (code == u'\t')
        return u' ';
    if (code == 0x2F3E) // ⼾: the Simplified faces draw it as 户, not as its decomposition 戶
        return 0x6237;
    if (code >= 0x2F00 && code <= 0x2FD5) {
        const QChar radical(code);
        if (radical.decompositionTag() == QChar::Compat && radical.decomposition().size() == 1)
            return radical.decomposition().at(0).unicode();
    }
    const auto* end = std::end(SupplementRadicals);
    const auto* found = std::lower_bound(std::begin(SupplementRadicals), end, code,
                                         [](const auto& pair, char16_t c) { return pair.first < c; });
    return found != end && found->first == code ? found->second : code;
}

QByteArray withDrawnCharacters(const QByteArray& pdf)
{
    std::vector<Edit> edits;
    for (qsizetype hit = pdf.indexOf("begincmap"); hit >= 0; hit = pdf.indexOf("begincmap", hit + 1)) {
        if (!edits.empty() && hit < edits.back().to)
            continue; // the map just put right
        for (Edit& e : mapEdits(pdf, hit))
            edits.push_back(std::move(e));
    }
    if (edits.empty())
        return pdf;
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    static const QRegularExpression number(QStringLiteral("^\\s*(\\d+)"));
    const QRegularExpressionMatch m = number.match(QString::fromLatin1(pdf.mid(startxref + 9, 30)));
    if (startxref < 0 || !m.hasMatch() || pdf.indexOf("/Prev", pdf.lastIndexOf("trailer")) >= 0)
        return pdf;
    const qsizetype xref = m.captured(1).toLongLong();
    if (xref >= startxref)
        return pdf;
    QByteArray out;
    out.reserve(pdf.size() + 4096);
    qsizetype copied = 0;
    for (const Edit& e : edits) {
        out += pdf.mid(copied, e.from - copied);
        out += e.bytes;
        copied = e.to;
    }
    const qsizetype numberAt = moved(edits, startxref + 9 + m.capturedStart(1));
    out += pdf.mid(copied);
    if (!moveTable(out, moved(edits, xref), edits))
        return pdf;
    out.replace(numberAt, m.capturedLength(1), QByteArray::number(moved(edits, xref)));
    return out;
}

} // namespace card
