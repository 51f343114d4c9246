#include "list/ListSearch.h"

#include <memory>

namespace list {

namespace {

// Characters that no normalisation changes or joins to a neighbour: ASCII, the middle dot of
// transcribed names, the basic Greek and Cyrillic letters, the CJK unified ideographs (with extension
// A) and the hexagram signs between them. Most lines of a Chinese list consist of nothing else, and
// such a line needs no look at the normalisation tables.
bool isPlain(char16_t c)
{
    return c < 0x80 || c == 0xB7 || (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x3B1 && c <= 0x3C9) ||
           (c >= 0x410 && c <= 0x44F) || (c >= 0x3400 && c <= 0x9FFF);
}

// The case folding of each character of the basic plane, as a case-insensitive search compares them
// (128 KB, made at the first search).
const char16_t* foldTable()
{
    static const std::unique_ptr<char16_t[]> table = [] {
        auto t = std::make_unique<char16_t[]>(0x10000);
        for (char32_t c = 0; c < 0x10000; ++c) {
            const char32_t f = QChar::toCaseFolded(c);
            t[c] = QChar::isSurrogate(c) || f > 0xFFFF ? char16_t(c) : char16_t(f);
        }
        return t;
    }();
    return table.get();
}

bool hasSurrogates(const QString& text)
{
    for (const QChar c : text) {
        if (c.isSurrogate())
            return true;
    }
    return false;
}

} // namespace

QString searchForm(const QString& typed)
{
    return typed.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

bool isSearchNormal(const QString& lineText)
{
    bool plain = true;
    for (const QChar c : lineText)
        plain = plain && isPlain(c.unicode());
    if (plain)
        return true;
    return lineText.normalized(QString::NormalizationForm_KC) == lineText;
}

bool matchesSearch(const QString& lineText, bool normal, const QString& form)
{
    if (form.isEmpty())
        return true;
    // A case-insensitive search folds each character of both sides as it compares them; a normal line
    // of the basic plane needs nothing more, so the folding is looked up in one table as it goes.
    if (normal && !hasSurrogates(form)) {
        const char16_t* fold = foldTable();
        const char16_t* t = QStringView(lineText).utf16();
        const char16_t* f = QStringView(form).utf16();
        const char16_t first = fold[f[0]];
        const qsizetype m = form.size();
        const qsizetype last = lineText.size() - m;
        for (qsizetype i = 0; i <= last; ++i) {
            if (fold[t[i]] != first)
                continue;
            qsizetype j = 1;
            while (j < m && fold[t[i + j]] == fold[f[j]])
                ++j;
            if (j == m)
                return true;
        }
        return false;
    }
    // The others through their normal form; the library returns a text that is already normal
    // unchanged.
    return lineText.normalized(QString::NormalizationForm_KC).contains(form, Qt::CaseInsensitive);
}

bool matchesSearch(const QString& lineText, const QString& form)
{
    return form.isEmpty() || matchesSearch(lineText, isSearchNormal(lineText), form);
}

} // namespace list
