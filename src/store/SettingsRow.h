#pragma once

#include "store/Module1.h"

#include <QString>
#include <QVariant>

#include <optional>

namespace store::settings {

// What the start-up read found in the settings row "XD".
struct StoredSettings
{
    bool ok = false;            // the store could be read
    bool found = false;         // the table holds the row "XD"
    std::optional<qint16> magw; // the edge auto-hide switch, when it converts to a 16-bit integer
    QString lng;                // the chosen language, as text (empty when null)
    QString error;              // the cause, when not ok
};

// The value of magw as a 16-bit integer: numbers and numeric texts are rounded half to even;
// null, other texts and values out of range give nothing.
std::optional<qint16> toInt16(const QVariant& value);

// Reads magw and Lng of the row "XD", the row every write changes. Writes nothing.
StoredSettings readSettings(Module1& db);

// Each write changes the row "XD" only; without that row nothing is written and the call fails.
// On failure the cause goes to error.
bool writeMagw(Module1& db, qint16 magw, QString* error = nullptr);
// An empty text writes nothing and succeeds.
bool writeLanguage(Module1& db, const QString& lng, QString* error = nullptr);
// Sets Lng back to the built-in language.
bool resetLanguage(Module1& db, QString* error = nullptr);

// Once at start-up: a store without the row "XD" gets ('XD', 0, built-in language) inserted in a
// write transaction. Does nothing when the row is there, and fails without writing on a read-only
// or unusable store.
bool ensureSettingsRow(Module1& db, QString* error = nullptr);

} // namespace store::settings
