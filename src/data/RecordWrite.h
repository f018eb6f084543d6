#pragma once

#include "Table.h"

#include <QString>
#include <QVariantList>

class Database;

// What saving a record did.
enum class SaveResult {
    StoredNew, // no record had its key: it was added
    Replaced,  // the record of its key was overwritten
    Refused,   // nothing was written: the reason says why
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
};

// Stores `values` by record position, the key at position 0, as the record
// of that key in one transaction. Each value is checked for its column as
// the tables take them (a text beyond its width, a number that is none);
// positions beyond `values`, and those in `kept`, keep what a replaced
// record held (a new one has them Null). `taken` is the reason given when
// the key is stored already and `mode` is AddOnly.
SaveResult writeRecord(Database& db, Table table, const QVariantList& values, SaveMode mode,
                       const QString& taken, QString* why, const QList<int>& kept = {});

// Deletes the record of `key` in one transaction.
DeleteResult deleteRecord(Database& db, Table table, const QString& key, QString* why);
