#pragma once

#include <QString>

// What a failed statement means for the program, whichever engine reported
// it: the dialect reads it from Qt's error (its type, and the engine's own
// code where there is one), and each kind has one Italian sentence.
enum class DatabaseErrorKind {
    Other,
    Statement,    // the statement does not fit the database: no such table, bad SQL
    DiskFull,     // no room left for the change
    ReadOnly,     // the database may only be read
    Busy,         // another program holds it
    DiskError,    // the disk failed to read or write
    Damaged,      // the engine finds the database damaged
    NotADatabase, // the file is no database at all
    CannotOpen,   // the database file cannot be opened
    Unreachable,  // the server cannot be reached, or its database is not there
    Denied,       // permission denied
    Constraint,   // the data breaks a rule of the tables (a key given twice)
    OutOfMemory,
};

// "Spazio esaurito sul disco"
QString databaseErrorSentence(DatabaseErrorKind kind);
// The sentence, then the engine's own words in brackets when it gave any:
// "Spazio esaurito sul disco (database or disk is full)".
QString describeDatabaseError(DatabaseErrorKind kind, const QString& engineText);
// The database cannot be trusted: nothing more is written to it until it is
// repaired.
bool meansDamage(DatabaseErrorKind kind);
