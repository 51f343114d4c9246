#pragma once

// Shared by the reliability tests and the card writer: reproducible cards and the check that a store holds
// exactly the expected cards, whole.

#include "RawDb.h"
#include "card/CardRecord.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace rel {

// The name of card k of writer run `run`. Names mix quotes, "%", "_", SQL words, emoji and
// right-to-left text; no two (run, k) pairs give the same name.
QString makeName(int run, int k);

// Version `version` of the card called `name`. The same arguments give the same sheet in every
// process. Field 6 (level) holds the version, so a row tells which version it claims to be.
card::Sheet makeSheet(const QString& name, int version);

// The version a stored info string claims (its field 6), or -1.
int claimedVersion(const QString& info);

// The whole content of a file, or a null array when it cannot be read.
QByteArray fileBytes(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);

// A store file with the schema and the settings row, made the way the program makes one.
bool makeStore(const QString& path);

// Expected store content: name -> version. AnyVersion: the card must be there, whole, in some
// version (a card that two writers share).
constexpr int AnyVersion = -2;
constexpr int Absent = -1;
using Model = QMap<QString, int>;

// An operation whose outcome is not known (the writer died before reporting it): the card may be
// found in either state, but only whole.
struct InFlight
{
    QString name;
    int before = Absent;
    int after = Absent;
};

struct StoreCheck
{
    bool opened = false;
    QString integrity;    // the answer of PRAGMA integrity_check
    QStringList problems; // everything that is wrong, one line each
    int halfWritten = 0;  // cards whose two rows disagree or whose row is not a whole version
    int lost = 0;         // reported cards that are missing or older than reported
    Model found;          // name -> version of every whole card found
    bool ok() const { return opened && problems.isEmpty(); }
};

// Opens the file with its own connection (rolling back a hot journal, as any next user of the file
// does) and compares it with the model.
StoreCheck checkStore(const QString& path, const Model& expected, const QList<InFlight>& inFlight = {});

} // namespace rel
