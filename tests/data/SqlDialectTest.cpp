#include "SqlDialectTest.h"

#include "Database.h"
#include "Schema.h"
#include "SqlDialect.h"
#include "SqliteDialect.h"
#include "TestDatabase.h"

#include <QSqlError>
#include <QTemporaryDir>
#include <QtTest>

void SqlDialectTest::errorsByKind_data()
{
    QTest::addColumn<QString>("code"); // the engine's own code, as Qt passes it on
    QTest::addColumn<int>("type");     // Qt's type of error
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("damage");

    const int statement = QSqlError::StatementError;
    QTest::newRow("disk full") << "13" << statement
                               << "Spazio esaurito sul disco (database or disk is full)" << false;
    QTest::newRow("busy") << "5" << statement
                          << "L'archivio è in uso da un altro programma (database is locked)"
                          << false;
    QTest::newRow("damaged, extended code")
        << "779" << statement << "L'archivio è danneggiato (database disk image is malformed)"
        << true;
    QTest::newRow("no database") << "26" << int(QSqlError::ConnectionError)
                                 << "Il file non è un archivio (file is not a database)" << true;
    QTest::newRow("no such table")
        << "1" << statement << "Errore dell'archivio (no such table: Nessuna)" << false;
    QTest::newRow("key given twice")
        << "19" << statement
        << "I dati non rispettano le regole dell'archivio (UNIQUE constraint failed)" << false;
    // Qt's own failures carry no code of the engine's.
    QTest::newRow("Qt, connection")
        << "" << int(QSqlError::ConnectionError)
        << "Impossibile aprire il file dell'archivio (Driver not loaded)" << false;
    QTest::newRow("Qt, statement") << "" << statement << "Errore dell'archivio (No query)" << false;
}

void SqlDialectTest::errorsByKind()
{
    QFETCH(QString, code);
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(bool, damage);
    const QString engineText = text.section(QLatin1Char('('), 1).chopped(1);
    const QSqlError error(QStringLiteral("driver"), engineText, QSqlError::ErrorType(type), code);
    const DatabaseErrorKind kind = embeddedDialect().classify(error);
    QCOMPARE(describeDatabaseError(kind, engineText), text);
    QCOMPARE(meansDamage(kind), damage);
}

void SqlDialectTest::catalogueReadsTheSchemaBack()
{
    // Every table the dialect creates reads back from the engine's catalogue
    // as the program's schema says it: the check at open depends on it.
    QTemporaryDir dir;
    Database db;
    QString error;
    QVERIFY2(openTestDatabase(db, dir.filePath("falmide.db"), &error), qPrintable(error));
    const SqlDialect& dialect = db.dialect();
    for (const TableDef& table : schemaTables()) {
        std::vector<CatalogueColumn> found;
        QSqlError failure;
        QVERIFY(dialect.tableColumns(db.connection(), table.name, &found, &failure));
        QCOMPARE(found.size(), table.columns.size());
        for (std::size_t i = 0; i < found.size(); ++i) {
            const ColumnDef& wanted = table.columns[i];
            // Names compare as SQL compares them: the server keeps them in
            // small letters.
            QCOMPARE(found[i].name.toLower(), wanted.name.toLower());
            QCOMPARE(found[i].type.type, wanted.type);
            QCOMPARE(found[i].type.size, wanted.size);
        }
    }
    std::vector<CatalogueColumn> none;
    QSqlError failure;
    QVERIFY(dialect.tableColumns(db.connection(), QStringLiteral("Nessuna"), &none, &failure));
    QVERIFY(none.empty());

    // A name with a quote in it is one identifier, not SQL.
    TableDef odd{QStringLiteral("Strana \"tabella\""),
                 {{QStringLiteral("Chiave \"1\""), FieldType::Text, 12},
                  {QStringLiteral("Importo"), FieldType::Long, 8}}};
    QVERIFY2(db.execute(createStatements(odd, dialect).constFirst(), {}, &error),
             qPrintable(error));
    std::vector<CatalogueColumn> oddColumns;
    QVERIFY(dialect.tableColumns(db.connection(), odd.name, &oddColumns, &failure));
    QCOMPARE(oddColumns.size(), std::size_t(2));
    QCOMPARE(oddColumns.front().name.toLower(), odd.columns.front().name.toLower());
    QCOMPARE(oddColumns.back().type.size, 8);
}

void SqlDialectTest::declaredTypesOfOlderFiles()
{
    // Files written by other programs declare text widths with blanks and in
    // any case; anything unknown is read as a memo.
    const struct
    {
        const char* declared;
        FieldType type;
        int size;
    } cases[] = {
        {"VARCHAR(10)", FieldType::Text, 10},     {" char ( 12 ) ", FieldType::Text, 12},
        {"VarChar(\t255)", FieldType::Text, 255}, {"CHAR(0)", FieldType::Text, 0},
        {"VARCHAR()", FieldType::Memo, 0},        {"VARCHAR(10", FieldType::Memo, 0},
        {"CHARACTER(5)", FieldType::Memo, 0},     {"VARVARCHAR(5)", FieldType::Memo, 0},
        {"CHAR(1 0)", FieldType::Memo, 0},        {"CHAR(-3)", FieldType::Memo, 0},
        {"INTEGER", FieldType::Long, 4},          {"bigint", FieldType::Long, 8},
        {"LONGTEXT", FieldType::Memo, 0},         {"", FieldType::Memo, 0},
    };
    for (const auto& c : cases) {
        const ColumnType read = sqliteColumnType(QString::fromLatin1(c.declared));
        QVERIFY2(read.type == c.type && read.size == c.size, c.declared);
    }
}
