#pragma once

#include "SqlDialect.h"

// A database on a PostgreSQL server, reached through Qt's QPSQL driver.
//
// The same records as in the embedded file, stored so that the program
// reads back exactly what it wrote: texts of a width as varchar(n) and
// memos as text, both with the "C" collation, so that keys sort by their
// bytes as the embedded engine sorts them (never by a language's rules);
// dates as the same ISO text (character(10)); amounts in cents as bigint.
// Counters are identity columns. Tables and columns are named in small
// letters, as the server folds names written without quotes.
class ServerDialect final : public SqlDialect
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
    QString writeStamp() const override;

    bool readRows(QSqlDatabase& db, const QString& sql, const QVariantList& values,
                  const RowVisitor& visit, QSqlError* error) const override;

    bool tableColumns(QSqlDatabase& db, const QString& table, std::vector<CatalogueColumn>* columns,
                      QSqlError* error) const override;

    DatabaseErrorKind classify(const QSqlError& error) const override;
    QString engineText(const QSqlError& error) const override;
    QStringList damageDetails(QSqlDatabase& db) const override;
};

// What a SQLSTATE (five characters) means to the program.
DatabaseErrorKind serverErrorKind(const QString& sqlState);

// A column as information_schema.columns describes it (data_type, and the
// width of a character type or the precision of a number) read back as the
// program's type and width.
ColumnType serverColumnType(const QString& dataType, int characters, int precision);

// Whether the connection's schema holds no table, view or sequence at all:
// a database made for the program and not used yet.
bool serverSchemaEmpty(QSqlDatabase& db, bool* empty, QSqlError* error);
