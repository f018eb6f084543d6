#pragma once

#include <QString>

class Database;
struct ArchiveTally;

// Moving the archives between databases of either engine: every table of the
// program's layout, row by row in key order, values exactly as stored
// (amounts in cents, dates as ISO text, texts character for character, Nulls
// as Nulls; counter keys keep their values and the counter goes on after
// them).

// Copies every table of `from` into `to`, which must be empty: just created,
// its empty heading record is replaced by the original's. `from` is read in
// one read snapshot, so a database other desks write meanwhile gives one
// consistent state; `to` is written in one transaction. Both are then
// tallied (rows, amount totals, a digest of every value) and the copy is
// committed only when the tallies are equal: on any failure `to` is left as
// it was. A target that holds records is refused. *tally, when given, gets
// what was copied.
bool copyArchives(Database& from, Database& to, QString* error, ArchiveTally* tally = nullptr);

// Writes `from` as a database file of the embedded engine at `path`, of the
// program's own layout, so that it opens anywhere without a server: the file
// is made under a temporary name in the target's folder, filled by
// copyArchives, opened again and tallied against the original, and only
// then takes the target's name (replacing an earlier file of that name).
// On failure nothing is left behind and an earlier file is untouched.
bool writeSnapshotFile(Database& from, const QString& path, QString* error,
                       ArchiveTally* tally = nullptr);
