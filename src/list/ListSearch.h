#pragma once

#include <QString>

namespace list {

// Finding lines of the card list: a line matches when its text contains what was typed, letter case
// and the full-width and half-width forms of a character not counting.

// The form both sides are compared in: compatibility-normalised (NFKC) and case-folded.
QString searchForm(const QString& typed);

// Whether the text of a line contains the search form of what was typed.
bool matchesSearch(const QString& lineText, const QString& searchForm);

} // namespace list
