#include "list/ListSearch.h"

#include <algorithm>

namespace list {

namespace {

// Characters that no normalisation changes or joins to a neighbour and whose case folding is at most
// that of an ASCII capital: ASCII and the CJK unified ideographs (with extension A). Most lines of a
// Chinese list consist of nothing else.
bool isPlain(char16_t c)
{
    return c < 0x80 || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF);
}

char16_t folded(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// Whether a line of plain characters contains the search form: the line is its own normal form and
// folds its capitals alone, so each character is folded as it is compared, without a copy.
bool plainContains(QStringView text, QStringView form)
{
    const char16_t* t = text.utf16();
    const char16_t* f = form.utf16();
    const qsizetype m = form.size();
    for (qsizetype i = 0; i + m <= text.size(); ++i) {
        if (folded(t[i]) != f[0])
            continue;
        qsizetype j = 1;
        while (j < m && folded(t[i + j]) == f[j])
            ++j;
        if (j == m)
            return true;
    }
    return false;
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
    const char16_t* t = QStringView(lineText).utf16();
    if (std::all_of(t, t + lineText.size(), isPlain))
        return plainContains(lineText, form);
    // The case-insensitive search folds each character of the line as it goes: only the
    // normalisation needs a copy, and the library returns a text that is already normal unchanged.
    return lineText.normalized(QString::NormalizationForm_KC).contains(form, Qt::CaseInsensitive);
}

} // namespace list
