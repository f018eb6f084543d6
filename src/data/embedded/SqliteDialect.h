#pragma once

#include "SqlDialect.h"

// The embedded engine: SQLite, one file in the data folder, reached through
// Qt's QSQLITE driver. Its column types keep the names of the engine the
// program's records were first designed for (VARCHAR(40), LONGTEXT,
// SMALLINT, CURRENCY ...): SQLite stores them as written, and a file's
// types can be read back from its catalogue as the program declared them.
class SqliteDialect final : public SqlDialect
{
public:
    QString driverName() const override;
    QString readOnlyOptions() const override;
    bool onlyReads(const QSqlDatabase& db) const override;
    void tune(QSqlDatabase& db) const override;
    bool prepareForWrites(QSqlDatabase& db, QSqlError* error) const override;

    QString quoted(const QString& identifier) const override;
    QString columnType(FieldType type, int size) const override;
    QString keyConstraint(bool counter) const override;
    QString sameValue(const QString& column) const override;
    QString beginReadSnapshot() const override;
    QStringList resumeCounter(const QString& table, const QString& column) const override;
    QStringList compactInPlace() const override;

    bool readValueRows(QSqlDatabase& db, const QString& sql, const QVariantList& values,
                       const ValueRowVisitor& visit, QSqlError* error) const override;
    bool readRows(QSqlDatabase& db, const QString& sql, const QVariantList& values,
                  const RowVisitor& visit, QSqlError* error) const override;

    bool tableColumns(QSqlDatabase& db, const QString& table, std::vector<CatalogueColumn>* columns,
                      QSqlError* error) const override;

    DatabaseErrorKind classify(const QSqlError& error) const override;
    QStringList damageDetails(QSqlDatabase& db) const override;
};

// What a SQLite result code (plain or extended) means to the program; the
// care of the file, which talks to SQLite without Qt, reads its codes here.
DatabaseErrorKind sqliteErrorKind(int code);

// A declared column type read back as the program's type and width.
ColumnType sqliteColumnType(const QString& declared);
