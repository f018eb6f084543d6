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

namespace {

// Each row read as "key|amount|note", Null as "-".
QStringList readAll(const std::function<bool(const RowVisitor&)>& read, int stopAfter = -1)
{
    QStringList rows;
    const bool ok = read([&rows, stopAfter](const RowValues& row) {
        const auto value = [&row](int c) {
            return row.isNull(c) ? QStringLiteral("-") : QString::fromUtf8(row.utf8(c));
        };
        rows << QStringLiteral("%1|%2|%3|%4")
                    .arg(value(0), value(1), QString::number(row.integer(1)))
                    .arg(row.columnCount() == 3 ? value(2) : QStringLiteral("?"));
        return rows.size() != stopAfter;
    });
    return ok ? rows : QStringList{QStringLiteral("failed")};
}

} // namespace

void SqlDialectTest::rowsAreReadAsStored()
{
    QTemporaryDir dir;
    Database db;
    QString error;
    QVERIFY2(openTestDatabase(db, dir.filePath("falmide.db"), &error), qPrintable(error));
    const TableDef table{QStringLiteral("Prova"),
                         {{QStringLiteral("Chiave"), FieldType::Text, 12},
                          {QStringLiteral("Importo"), FieldType::Long, 8},
                          {QStringLiteral("Nota"), FieldType::Memo, 0}}};
    QVERIFY2(db.execute(createStatements(table, db.dialect()).constFirst(), {}, &error),
             qPrintable(error));
    const QString insert =
        QStringLiteral("INSERT INTO %1 VALUES (?, ?, ?)").arg(db.quoted("Prova"));
    const QList<QVariantList> stored{{QStringLiteral("A1"), 150, QStringLiteral("città")},
                                     {QStringLiteral("B2"), QVariant(), QVariant()},
                                     {QStringLiteral("C3"), -7, QStringLiteral(" TD04 ")},
                                     {QStringLiteral("D4"), qint64(1) << 40, QString()}};
    for (const QVariantList& row : stored)
        QVERIFY2(db.execute(insert, row, &error), qPrintable(error));

    const QString sql =
        QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %1 >= ? AND (%2 IS NULL OR %2 > ?) "
                       "ORDER BY %1")
            .arg(db.quoted("Chiave"), db.quoted("Importo"), db.quoted("Nota"), db.quoted("Prova"));
    const QVariantList bounds{QStringLiteral("B"), -100};
    const QStringList expected{"B2|-|0|-", "C3|-7|-7| TD04 ", "D4|1099511627776|1099511627776|-"};
    // The engine's own way and Qt's query read the same rows alike.
    QCOMPARE(readAll([&](const RowVisitor& v) { return db.readRows(sql, bounds, v, &error); }),
             expected);
    QCOMPARE(readAll([&](const RowVisitor& v) {
                 QSqlError failed;
                 return db.dialect().SqlDialect::readRows(db.connection(), sql, bounds, v, &failed);
             }),
             expected);
    // Text other than ASCII comes as UTF-8; a visitor may stop early.
    const QString all =
        QStringLiteral("SELECT %1, %2, %3 FROM %4 ORDER BY %1")
            .arg(db.quoted("Chiave"), db.quoted("Importo"), db.quoted("Nota"), db.quoted("Prova"));
    QCOMPARE(readAll([&](const RowVisitor& v) { return db.readRows(all, {}, v, &error); }, 1),
             QStringList{"A1|150|150|città"});
    // Two columns are two; a failed statement, or values that do not match
    // its placeholders, is a failure with the reason, never an empty list.
    const QString two = QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 = ?")
                            .arg(db.quoted("Chiave"), db.quoted("Importo"), db.quoted("Prova"));
    QCOMPARE(readAll([&](const RowVisitor& v) {
                 return db.readRows(two, {QStringLiteral("A1")}, v, &error);
             }),
             QStringList{"A1|150|150|?"});
    error.clear();
    QCOMPARE(readAll([&](const RowVisitor& v) {
                 return db.readRows(QStringLiteral("SELECT * FROM Nessuna"), {}, v, &error);
             }),
             QStringList{"failed"});
    QVERIFY(!error.isEmpty());
    error.clear();
    QCOMPARE(readAll([&](const RowVisitor& v) { return db.readRows(two, {}, v, &error); }),
             QStringList{"failed"});
    QVERIFY(!error.isEmpty());
    QVERIFY(!db.damaged());

    // A question mark in quotes is text, not a placeholder; inside a read
    // snapshot the rows are read in its transaction, which goes on after.
    const QString literal = QStringLiteral("SELECT %1, '?', %2 FROM %3 WHERE %1 = ?")
                                .arg(db.quoted("Chiave"), db.quoted("Nota"), db.quoted("Prova"));
    QVERIFY2(db.beginReadSnapshot(&error), qPrintable(error));
    QCOMPARE(readAll([&](const RowVisitor& v) {
                 return db.readRows(literal, {QStringLiteral("A1")}, v, &error);
             }),
             QStringList{"A1|?|0|città"});
    QVERIFY(db.inReadSnapshot());
    QCOMPARE(readAll([&](const RowVisitor& v) { return db.readRows(two, {"C3"}, v, &error); }),
             QStringList{"C3|-7|-7|?"});
    db.endReadSnapshot();
}

void SqlDialectTest::valueRowsAreTheDriversValues()
{
    QTemporaryDir dir;
    Database db;
    QString error;
    QVERIFY2(openTestDatabase(db, dir.filePath("falmide.db"), &error), qPrintable(error));
    const TableDef table{QStringLiteral("Tipi"),
                         {{QStringLiteral("Chiave"), FieldType::Text, 12},
                          {QStringLiteral("N"), FieldType::Long, 8},
                          {QStringLiteral("R"), FieldType::Single, 0},
                          {QStringLiteral("M"), FieldType::Memo, 0}}};
    QVERIFY2(db.execute(createStatements(table, db.dialect()).constFirst(), {}, &error),
             qPrintable(error));
    const QString insert =
        QStringLiteral("INSERT INTO %1 VALUES (?, ?, ?, ?)").arg(db.quoted("Tipi"));
    const QList<QVariantList> stored{
        {QStringLiteral("A"), qint64(1) << 40, 22.5, QStringLiteral("città €")},
        {QStringLiteral("B"), QVariant(), QVariant(), QVariant()},
        {QStringLiteral("C"), -7, 4.0, QString()}};
    for (const QVariantList& row : stored)
        QVERIFY2(db.execute(insert, row, &error), qPrintable(error));
    // Every value the engine's own reading makes is the one Qt's driver
    // makes, down to its type and nullness: reports that read variants
    // cannot tell which ran.
    const QString sql =
        QStringLiteral("SELECT %1, %2, %3, %4, %2 * 2, 'x' FROM %5 WHERE %2 >= ? OR %2 IS NULL "
                       "ORDER BY %1")
            .arg(db.quoted("Chiave"), db.quoted("N"), db.quoted("R"), db.quoted("M"),
                 db.quoted("Tipi"));
    const auto readAll = [&](auto read) {
        QList<QVariantList> rows;
        const bool ok = read([&rows](const QVariantList& row) {
            rows << row;
            return true;
        });
        return ok ? rows : QList<QVariantList>{};
    };
    const QList<QVariantList> engine =
        readAll([&](const ValueRowVisitor& v) { return db.readValueRows(sql, {-100}, v, &error); });
    const QList<QVariantList> driver = readAll([&](const ValueRowVisitor& v) {
        QSqlError failed;
        return db.dialect().SqlDialect::readValueRows(db.connection(), sql, {-100}, v, &failed);
    });
    QCOMPARE(engine.size(), 3);
    QCOMPARE(driver.size(), 3);
    for (int r = 0; r < 3; ++r) {
        QCOMPARE(engine[r].size(), 6);
        for (int c = 0; c < 6; ++c) {
            const QByteArray where = QByteArray::number(r) + ',' + QByteArray::number(c);
            QVERIFY2(engine[r][c].metaType() == driver[r][c].metaType(), where.constData());
            QVERIFY2(engine[r][c].isNull() == driver[r][c].isNull(), where.constData());
            QVERIFY2(engine[r][c] == driver[r][c], where.constData());
        }
    }
    QCOMPARE(engine[0][3].toString(), QStringLiteral("città €"));
    QCOMPARE(engine[0][1].toLongLong(), qint64(1) << 40);
    QCOMPARE(engine[0][2].toDouble(), 22.5);

    // A visitor may stop early; a failed statement is a failure with the
    // reason, never an empty list.
    int seen = 0;
    QVERIFY(db.readValueRows(
        sql, {-100}, [&seen](const QVariantList&) { return ++seen < 2; }, &error));
    QCOMPARE(seen, 2);
    error.clear();
    QVERIFY(!db.readValueRows(
        QStringLiteral("SELECT * FROM Nessuna"), {}, [](const QVariantList&) { return true; },
        &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!db.damaged());
}
