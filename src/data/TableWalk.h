#pragma once

#include "Table.h"

#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>
#include <span>

class Database;

// Reads an archive table's rows in key order with one query, from the first
// key at or after `from` (compared as a seek compares it: letter case and
// trailing blanks do not count; empty: from the first row), until `visit`
// returns false. Values are as stored: dates as ISO text, amounts as cents.
// A report reads a hundred thousand rows this way in the time a record-by-
// record walk takes for a few thousand. `visit` runs no statement of its
// own on the database: a server's connection streams one query's rows at a
// time, and a second query would cut the walk short. False, with the reason
// in `error`, when the database failed.
bool walkTable(Database& db, Table table, const QString& from,
               const std::function<bool(const QVariantList& row)>& visit, QString* error);
// The same reading only the columns at the given record positions: the row
// keeps every position, those not read are Null. A report that prints a
// few columns reads its rows in a fraction of the time.
bool walkTable(Database& db, Table table, const QString& from, std::span<const int> columns,
               const std::function<bool(const QVariantList& row)>& visit, QString* error);

// Whether the table has no row; nothing, with the reason, on a failure.
std::optional<bool> tableIsEmpty(Database& db, Table table, QString* error);
