#pragma once

#include "Table.h"

#include <QList>
#include <QString>
#include <QVariantList>

class Database;

// What saving a record did.
enum class SaveResult {
    StoredNew, // no record had its key: it was added
    Replaced,  // the record of its key was overwritten
    Refused,   // nothing was written: the reason says why
    // Nothing was written: the record loaded for editing was changed, or
    // deleted, by another desk since it was loaded. The reason says so in
    // the user's words.
    ChangedElsewhere,
    DeletedElsewhere,
};

// Whether a save may overwrite the record stored under the same key. A
// window replaces the record it shows; a record made as new never silently
// takes the place of one stored under its key meanwhile.
enum class SaveMode { AddOrReplace, AddOnly };

// What deleting a record did.
enum class DeleteResult {
    Deleted,
    NotFound, // no record has the key
    Refused,  // nothing was deleted: the reason says why
    // Nothing was deleted: another desk changed the record since it was
    // loaded, and the user has not seen what it holds now.
    ChangedElsewhere,
};

// How messages name a record: "La fattura 12/2026", "Il cliente ROSSI",
// with the gender the rest of the sentence agrees with.
struct RecordName
{
    QString subject;
    bool feminine = false;
};

// "La fattura 12/2026 è già in archivio".
QString takenText(const RecordName& name);
// "La fattura 12/2026 è stata modificata da un'altra postazione:
// ricaricarla?"
QString changedElsewhereText(const RecordName& name);
// "La fattura 12/2026 è stata eliminata da un'altra postazione."
QString deletedElsewhereText(const RecordName& name);

// Stores `values` by record position, the key at position 0, as the record
// of that key in one transaction. Each value is checked for its column as
// the tables take them (a text beyond its width, a number that is none);
// positions beyond `values`, and those in `kept`, keep what a replaced
// record held (a new one has them Null). A record stored under the key
// refuses an AddOnly save (takenText). The row version is the data layer's
// own: `version`, when given, holds the version the record had when it was
// loaded for editing (0 for one not loaded: whatever is stored is
// replaced), and the save goes ahead only while the stored record still
// has it; it then gets the version now stored.
SaveResult writeRecord(Database& db, Table table, const QVariantList& values, SaveMode mode,
                       const RecordName& name, QString* why, const QList<int>& kept = {},
                       qint64* version = nullptr);

// Deletes the record of `key` in one transaction; with a `version` other
// than 0, only while the stored record still has that version.
DeleteResult deleteRecord(Database& db, Table table, const QString& key, QString* why,
                          const RecordName& name = {}, qint64 version = 0);
