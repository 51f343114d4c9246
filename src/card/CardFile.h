#pragma once

#include "card/Sheet.h"

#include <QByteArray>
#include <QString>

// Card files: one card in a UTF-8 JSON text that leaves the program and comes back unchanged. Every
// stored field by its index with its caption beside it, and every box (docs/card-file.md).
namespace card {

inline constexpr char CardFileFormat[] = "quillmark-card";
constexpr int CardFileVersion = 1;
// A card file is read whole; anything longer is no card file of ours. A card with a 1 MB note and
// 10 KB in every other field makes a file of about 4 MB. Reading a file of this size that is made
// of nothing but tiny JSON values (the worst case) takes under 200 MB of memory.
constexpr qint64 MaxCardFileBytes = qint64(16) * 1024 * 1024;

struct CardFileResult
{
    bool ok = false;
    Sheet sheet;   // the card, when ok; field 289 is left empty
    QString error; // why the text was refused, in the player's words
};

// The whole card as a card file: fields 0..288 and 290..300, then the 30 CheckF and 57 CheckWN boxes.
QByteArray writeCardFile(const Sheet& sheet);
// Reads a card file's text. Refuses anything that is not a whole card file of a version this program
// knows: every field and box it names must be named once, with a value of the right type.
CardFileResult parseCardFile(const QByteArray& bytes);
// Reads the file at path, at most MaxCardFileBytes of it, then parses it.
CardFileResult readCardFile(const QString& path);

// The caption a card file writes beside field i, or beside box i of CheckF or CheckWN.
QString fieldCaption(int field);
QString checkFCaption(int box);
QString checkWNCaption(int box);

// "名字" for n <= 1, "名字 (n)" after: the free names offered when a name is taken.
QString numberedName(const QString& name, int n);
// A file name made from a card name, safe on every platform: no path separators, no characters
// file systems refuse, no reserved device names, not too long; with the extension ".json".
QString cardFileBaseName(const QString& cardName);

} // namespace card
