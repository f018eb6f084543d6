#pragma once

#include "DatabaseError.h"
#include "FieldType.h"
#include "RowValues.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <vector>

class QSqlDatabase;
class QSqlError;

// A column as the database's own catalogue describes it.
struct CatalogueColumn
{
    QString name;
    QString declared; // the engine's words for its type, for messages
    ColumnType type;  // the same, as the program's schema says types
};

// Everything the program's database engines do differently, in one place.
// The data layer writes its SQL through it and reads the engine through it;
// nothing above the data layer knows which engine it uses. What the program
// needs to know of its tables (types, widths, keys, positions) comes from its
// own schema (Schema.h), never from the engine: the engine's catalogue is
// read only to check a database against that schema when it opens.
//
// A second engine is one more implementation of this class. The embedded
// engine's lives in embedded/, beside the care of its file (copies,
// compaction, check, repair, page salvage, daily copies): that care works on
// the file by path, is the embedded engine's by nature, and is reached
// through DatabaseMaintenance.h, never through this class.
class SqlDialect
{
public:
    virtual ~SqlDialect() = default;

    // Qt's driver for the engine.
    virtual QString driverName() const = 0;

    // The connection options of a database opened only to be checked, which
    // must not be written even by accident.
    virtual QString readOnlyOptions() const = 0;
    // After opening: whether the database can only be read (the file's
    // permissions or the disk's, a server's grants).
    virtual bool onlyReads(const QSqlDatabase& db) const = 0;
    // Settings of the connection that write nothing, run as it opens.
    virtual void tune(QSqlDatabase& db) const = 0;
    // Settings that may write to the database, run once it is known to be
    // the program's and is to be written.
    virtual bool prepareForWrites(QSqlDatabase& db, QSqlError* error) const = 0;

    // An identifier (a table or column name) as SQL text.
    virtual QString quoted(const QString& identifier) const = 0;
    // The type that declares a column of the program's type and width.
    virtual QString columnType(FieldType type, int size) const = 0;
    // What follows the type of a table's key column: a key the program
    // gives, or a counter the engine assigns.
    virtual QString keyConstraint(bool counter) const = 0;
    // A condition that the column (already quoted) holds the value bound
    // to its placeholder, Null included.
    virtual QString sameValue(const QString& column) const = 0;

    // The statement that starts a transaction which only reads and sees one
    // consistent state of the database, whatever other connections commit
    // meanwhile: a copy or a tally of every table is made inside one.
    virtual QString beginReadSnapshot() const = 0;
    // After rows were written with their counter keys given (a copy of
    // another database): the statements that make the table's counter go
    // on after the highest key written; none when the engine does so by
    // itself. Table and column are unquoted names.
    virtual QStringList resumeCounter(const QString& table, const QString& column) const = 0;
    // The statements that give back the room deleted and rewritten rows
    // left and refresh the statistics the engine plans its reads by, run
    // on the open database outside any transaction while other connections
    // go on working. The program runs them on a server only: the embedded
    // file is compacted by the care of its file, into a checked copy with
    // the old file kept.
    virtual QStringList compactInPlace() const = 0;
    // A query, run inside a write's transaction, for a number that no other
    // transaction ever gets: the row version a written record takes, so that
    // a record deleted and stored again by another desk never shows the
    // version a desk loaded. Empty where one program alone writes (the
    // embedded file): versions then count from 1 for a new record.
    virtual QString writeStamp() const { return {}; }

    // Runs a query with its values bound and hands its rows to `visit` in
    // order, until they end or `visit` returns false. This one reads them
    // through a forward-only Qt SQL query; an engine that can hand out its
    // own buffers does so instead. False, with the engine's error, when the
    // query or any row failed: a list cut short never passes for the whole.
    virtual bool readRows(QSqlDatabase& db, const QString& sql, const QVariantList& values,
                          const RowVisitor& visit, QSqlError* error) const;
    // The same handing out each row's values as variants, exactly as a
    // forward-only Qt SQL query gives them; an engine that can make them
    // straight from its own buffers, skipping the driver's row cache, does.
    virtual bool readValueRows(QSqlDatabase& db, const QString& sql, const QVariantList& values,
                               const ValueRowVisitor& visit, QSqlError* error) const;

    // The columns of a table of the open database, in position order; none
    // when there is no such table. False, with the engine's error, when the
    // catalogue could not be read.
    virtual bool tableColumns(QSqlDatabase& db, const QString& table,
                              std::vector<CatalogueColumn>* columns, QSqlError* error) const = 0;

    // What a failure means, from Qt's error: its type, and the engine's own
    // code where the engine gives one.
    virtual DatabaseErrorKind classify(const QSqlError& error) const = 0;
    // The engine's own words for a failure, on one line, to follow the
    // Italian sentence.
    virtual QString engineText(const QSqlError& error) const;
    // Once damage is met: the engine's own account of where, a few lines at
    // most (none when it has no such check).
    virtual QStringList damageDetails(QSqlDatabase& db) const = 0;
};

// The engine of the program's database file in the data folder.
const SqlDialect& embeddedDialect();
// The engine of a database on a server (ServerConnection.h).
const SqlDialect& serverDialect();
