#include "list/ListSearch.h"

namespace list {

namespace {

// Characters that no normalisation changes or joins to a neighbour, and whose case folding is one
// step within their own block: ASCII, the middle dot of transcribed names, the basic Greek and
// Cyrillic letters, the CJK unified ideographs (with extension A) and the hexagram signs between
// them. Most lines of a Chinese list consist of nothing else.
bool isPlain(char16_t c)
{
    return c < 0x80 || c == 0xB7 || (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x3B1 && c <= 0x3C9) ||
           (c >= 0x410 && c <= 0x44F) || (c >= 0x3400 && c <= 0x9FFF);
}

char16_t folded(char16_t c)
{
    if ((c >= u'A' && c <= u'Z') || (c >= 0x391 && c <= 0x3A9) || (c >= 0x410 && c <= 0x42F))
        return char16_t(c + 0x20);
    return c == 0x3C2 ? char16_t(0x3C3) : c; // final sigma
}

} // namespace

QString searchForm(const QString& typed)
{
    return typed.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

bool matchesSearch(const QString& lineText, const QString& form)
{
    if (form.isEmpty())
        return true;
    // One pass: a line of plain characters is its own normal form and folds its capitals alone, so each
    // character is folded as it is compared, without a copy; the first other character sends the line
    // the long way.
    const char16_t* t = QStringView(lineText).utf16();
    const char16_t* f = QStringView(form).utf16();
    const qsizetype n = lineText.size();
    const qsizetype m = form.size();
    bool found = false;
    qsizetype i = 0;
    for (; i < n && isPlain(t[i]); ++i) {
        if (found || folded(t[i]) != f[0] || i + m > n)
            continue;
        qsizetype j = 1;
        while (j < m && folded(t[i + j]) == f[j])
            ++j;
        found = j == m;
    }
    if (i == n)
        return found;
    // The case-insensitive search folds each character of the line as it goes: only the
    // normalisation needs a copy, and the library returns a text that is already normal unchanged.
    return lineText.normalized(QString::NormalizationForm_KC).contains(form, Qt::CaseInsensitive);
}

} // namespace list
