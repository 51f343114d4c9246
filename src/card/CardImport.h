#pragma once

#include "card/CardFile.h"

#include <QList>
#include <QString>

#include <functional>

// Bringing card files into the store: what becomes of each chosen file, and the one summary shown
// when all of them are done. Plain decisions; the window asks the player and the store writes.
namespace card {

// What the import does with one file.
enum class ImportAction {
    Add,     // stored under the name it has
    Rename,  // its name is taken: stored under the first free "名字 (n)"
    Replace, // its name is taken: the stored card is kept among the deleted cards, the file's takes its place
    Skip,    // its name is taken and the player left it out
    Refuse,  // it cannot be stored: reason says why
    Fail,    // the store failed while adding it: reason says why
};

// What the player chose for a file whose card name is taken.
enum class TakenChoice { Rename, Replace, Skip };

struct ImportStep
{
    ImportAction action = ImportAction::Refuse;
    QString name;   // the name the card is stored under (Add, Rename, Replace)
    QString reason; // for Refuse and Fail, in the player's words
};

// Why the card read from a file cannot be stored, in the player's words ("名字里不能有“-”"); empty
// when it can.
QString importRefusal(const CardFileResult& read);

// The first of "名字 (2)", "名字 (3)", ... that isTaken does not know.
QString firstFreeName(const QString& name, const std::function<bool(const QString&)>& isTaken);

// What becomes of a readable card: Add where its name is free, else what the player chose.
ImportStep planImport(const QString& name, bool taken, TakenChoice choice,
                      const std::function<bool(const QString&)>& isTaken);

// One chosen file and what became of it.
struct ImportLine
{
    QString file; // the file's name, without its folder
    ImportStep step;
};

struct ImportReport
{
    QList<ImportLine> lines; // in the order the files were chosen
    int notReached = 0;      // files left when the import stopped
    bool cancelled = false;  // it stopped because the player cancelled (else: the store failed)
    int count(ImportAction action) const;
    int added() const; // Add, Rename and Replace
    // Whether the short notice says it all: every file added under its own name.
    bool plain() const;
};

// "已导入 3 张角色卡", with what was renamed, replaced, refused and skipped, each file on a line.
QString importSummary(const ImportReport& report);

} // namespace card
