#include "list/ListSearch.h"

namespace list {

QString searchForm(const QString& typed)
{
    return typed.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

bool matchesSearch(const QString& lineText, const QString& form)
{
    if (form.isEmpty())
        return true;
    // The case-insensitive search folds each character of the line as it goes: only the
    // normalisation needs a copy, and the library returns a text that is already normal unchanged.
    return lineText.normalized(QString::NormalizationForm_KC).contains(form, Qt::CaseInsensitive);
}

} // namespace list
