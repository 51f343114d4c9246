#pragma once

#include <QString>

namespace list {

// Finding lines of the card list: a line matches when its text contains what was typed, letter case
// and the full-width and half-width forms of a character not counting.

// The form both sides are compared in: compatibility-normalised (NFKC) and case-folded.
QString searchForm(const QString& typed);

// Whether a line's text is already in normal form (NFKC): such a line is matched character by
// character, each folded as it is compared, without a copy. Worked out once, when the line is made.
bool isSearchNormal(const QString& lineText);

// Whether the text of a line contains the search form of what was typed; `normal` is what
// isSearchNormal gave for the line.
bool matchesSearch(const QString& lineText, bool normal, const QString& searchForm);
bool matchesSearch(const QString& lineText, const QString& searchForm);

} // namespace list
