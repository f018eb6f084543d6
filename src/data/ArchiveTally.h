#pragma once

#include "Money.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

class Database;
class QVariant;
struct ColumnDef;
struct TableDef;

// The total of one amount column, in cents.
struct AmountTotal
{
    QString column;
    Money total;
    friend bool operator==(const AmountTotal&, const AmountTotal&) = default;
};

// What a table holds, in a form two databases can be compared by: its rows,
// the total of each amount column, and a digest of every value, so that a
// text changed by one letter shows as well as a lost row.
struct TableTally
{
    QString table;
    qint64 rows = 0;
    std::vector<AmountTotal> totals; // the table's amount columns, in record position order
    QByteArray digest;               // SHA-256 over every row's values, in key order
    friend bool operator==(const TableTally&, const TableTally&) = default;
};

// Every table of a database's layout, in layout order.
struct ArchiveTally
{
    std::vector<TableTally> tables;
    friend bool operator==(const ArchiveTally&, const ArchiveTally&) = default;
};

// Reads every table of the database's layout. Run inside a read snapshot
// (Database::beginReadSnapshot) when other connections may write: the
// tables are read one after the other. False, with the reason, when the
// database failed.
bool tallyArchives(Database& db, ArchiveTally* tally, QString* error);
bool tallyTable(Database& db, const TableDef& table, TableTally* tally, QString* error);

// Where a copy differs from its original, one line per table in Italian
// ("Fatture: 240 record nell'originale, 239 nella copia; ..."); none when
// they are equal.
QStringList compareTallies(const ArchiveTally& original, const ArchiveTally& copy);

// One line per table for the user: "Fatture: 240 record".
QStringList describeTally(const ArchiveTally& tally);

// How one stored value enters a table's digest: by the column's type in the
// program's schema, never by what the engine's driver made of it, so the
// same data gives the same bytes from either engine. Exposed for tests.
QByteArray digestBytes(const QVariant& value, const ColumnDef& column);
