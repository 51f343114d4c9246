#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace lang {

// The scan looks at no more than this many pack files.
constexpr int MaxPackFiles = 51;

// Of each pack the scan reads no more than its first 64 KiB. The name key stands in the first lines
// of a real pack, so a key further down, or a name that runs past the bound, is not a pack's name: a
// huge or endless file costs no more than this to look at.
constexpr qint64 MaxPackBytes = 64 * 1024;

// The built-in language: the first entry of the language box and the reset value of the stored choice.
QString builtInLanguage();

// The display name of one pack, from its UTF-8 text: what follows the first "LanguageName=" (the key
// is case-sensitive and may stand anywhere), up to the first carriage return or line feed or the end
// of the text. No key: no name.
std::optional<QString> packName(const QByteArray& content);

// The names of the packs in a folder: the "*.lng" files (plain files only, in name order), the first
// MaxPackFiles of them looked at, each through its first MaxPackBytes. A file that cannot be read or
// has no key there is skipped, but it still counts against the bound. A missing folder gives an
// empty list.
QStringList scanPacks(const QString& lngsDir);

// Whether a stored language occurs in the language box: a plain substring search in all entries
// joined without separators. An empty language counts as listed.
bool languageListed(const QStringList& entries, const QString& lng);

} // namespace lang
