#include "ArchiveTransferTest.h"

#include "ArchiveTally.h"
#include "ArchiveTransfer.h"
#include "Database.h"
#include "DemoData.h"
#include "FileSizeLimit.h"
#include "Schema.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Every row of a table as the engine gives it back, in key order.
QList<QVariantList> rowsOf(Database& db, const TableDef& table)
{
    QStringList columns;
    for (const ColumnDef& column : table.columns)
        columns << db.quoted(column.name);
    QSqlQuery q(db.connection());
    q.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
               .arg(columns.join(QStringLiteral(", ")), db.quoted(table.name), columns.front()));
    QList<QVariantList> rows;
    while (q.next()) {
        QVariantList row;
        for (qsizetype i = 0; i < columns.size(); ++i)
            row << q.value(int(i));
        rows << row;
    }
    return rows;
}

bool run(Database& db, const QString& sql, const QVariantList& values = {})
{
    QString error;
    if (!db.execute(sql, values, &error))
        qWarning("%s", qPrintable(error));
    return error.isEmpty();
}

// The demo data of the commands, and what it leaves out: sendings with a
// gap in their counter, a supplier's invoice and a purchase whose texts
// hold every kind of character, a rate that is no whole number, an amount
// below zero, Nulls and empty texts side by side.
bool fillSource(Database& db)
{
    QStringList heading(6); // the six heading fields, blank: the demo fills them
    QString error;
    if (!fillDemoDatabase(db, DemoCounts(), 7, 2025, FeeProfile::Geometra, &heading, &error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    const QString odd = QStringLiteral("Società «Ünità» 😀 l'\"altra\"\n\triga   ");
    return run(db, "INSERT INTO Invii (Chiave, Fattura, Progressivo, NomeFile, Errori) "
                   "VALUES (3, '2025         1', 'A0001', 'IT01234567897_A0001.xml', NULL), "
                   "(9, '2025         2', 'A0002', 'IT01234567897_A0002.xml', '')") &&
           run(db,
               "INSERT INTO FattureRicevute (Chiave, CodFornitore, Numero, Firma, Movimenti) "
               "VALUES (4, 'F1', ?, ?, '')",
               {odd, odd.repeated(200)}) &&
           run(db,
               "INSERT INTO Movimenti (Chiave, Numero, Imponibile, AliqIVA, Deducibilita, Note, "
               "Esente) VALUES ('ZZ', 1, -12345, 0.1, 0.333333, ?, NULL)",
               {odd}) &&
           run(db, "INSERT INTO STAMPA (Chiave, Pagina) VALUES (1, 1), (2, 2)");
}

// A small original whose totals the messages can be read against.
bool fillSmallSource(Database& db)
{
    return run(db, "UPDATE datipers SET Denominazione = 'Studio Bianchi', Citta = 'Torino'") &&
           run(db, "INSERT INTO Clienti (Chiave, CodCliente, Denominazione, Note) VALUES "
                   "('C1        ', 'C1', 'Rossi Maria', NULL), "
                   "('C2        ', 'C2', 'Verdi Luca', 'paga a 30 giorni')") &&
           run(db, "INSERT INTO Fatture (Chiave, Numero, CodCli, Onorario, ImportoIVA) VALUES "
                   "('2026         1', 1, 'C1', 10000, 2200), "
                   "('2026         2', 2, 'C2', 5000, NULL)");
}

bool tallyOf(Database& db, ArchiveTally* tally)
{
    QString error;
    if (!tallyArchives(db, tally, &error))
        qWarning("%s", qPrintable(error));
    return error.isEmpty();
}

} // namespace

void ArchiveTransferTest::demoDataRoundTrips()
{
    QTemporaryDir dir;
    Database source;
    Database target;
    QString error;
    QVERIFY2(source.open(dir.filePath("falmide.db"), &error), qPrintable(error));
    QVERIFY(fillSource(source));
    QVERIFY2(target.open(dir.filePath("copia.db"), &error), qPrintable(error));

    ArchiveTally copied;
    QVERIFY2(copyArchives(source, target, &error, &copied), qPrintable(error));
    ArchiveTally original;
    ArchiveTally copy;
    QVERIFY(tallyOf(source, &original) && tallyOf(target, &copy));
    QCOMPARE(copied, original);
    QCOMPARE(copy, original);
    QCOMPARE(copied.tables.size(), schemaTables().size());
    QVERIFY(describeTally(copied).contains(QStringLiteral("Fatture: 240 record")));

    // Every value as stored: its kind, and its text to the last byte.
    for (const TableDef& table : schemaTables()) {
        const QList<QVariantList> wanted = rowsOf(source, table);
        const QList<QVariantList> found = rowsOf(target, table);
        QVERIFY2(!wanted.isEmpty(), qPrintable(table.name));
        QCOMPARE(found.size(), wanted.size());
        for (qsizetype r = 0; r < wanted.size(); ++r) {
            for (qsizetype c = 0; c < wanted[r].size(); ++c) {
                const QVariant& a = wanted[r][c];
                const QVariant& b = found[r][c];
                const QString where =
                    QStringLiteral("%1 row %2 column %3").arg(table.name).arg(r).arg(c);
                QVERIFY2(a.isNull() == b.isNull(), qPrintable(where));
                if (!a.isNull()) {
                    QVERIFY2(a.typeId() == b.typeId(), qPrintable(where));
                    QVERIFY2(a == b, qPrintable(where));
                    QVERIFY2(a.toString().toUtf8() == b.toString().toUtf8(), qPrintable(where));
                }
            }
        }
    }

    // A counter goes on after the keys copied, never giving one twice.
    QVERIFY(run(target, "INSERT INTO Invii (Fattura) VALUES ('2025         3')"));
    QSqlQuery q(target.connection());
    QVERIFY(q.exec("SELECT MAX(Chiave), COUNT(*) FROM Invii") && q.next());
    QCOMPARE(q.value(0).toInt(), 10);
    QCOMPARE(q.value(1).toInt(), 3);
}

void ArchiveTransferTest::targetWithRecordsRefused_data()
{
    QTest::addColumn<QString>("sql"); // what the target holds
    QTest::addColumn<QString>("named");

    QTest::newRow("a client") << "INSERT INTO Clienti (Chiave, CodCliente) VALUES ('X', 'X')"
                              << "Clienti: 1 record";
    QTest::newRow("a sending") << "INSERT INTO Invii (Fattura) VALUES ('X')"
                               << "Invii: 1 record";
    QTest::newRow("the heading filled in") << "UPDATE datipers SET Denominazione = 'Studio Neri'"
                                           << "datipers: 1 record";
    QTest::newRow("a second heading") << "INSERT INTO datipers DEFAULT VALUES"
                                      << "datipers: 2 record";
}

void ArchiveTransferTest::targetWithRecordsRefused()
{
    QFETCH(QString, sql);
    QFETCH(QString, named);
    QTemporaryDir dir;
    Database source;
    Database target;
    QString error;
    QVERIFY(source.open(dir.filePath("falmide.db"), &error) && fillSmallSource(source));
    QVERIFY(target.open(dir.filePath("copia.db"), &error) && run(target, sql));
    ArchiveTally before;
    QVERIFY(tallyOf(target, &before));

    QVERIFY(!copyArchives(source, target, &error));
    QVERIFY2(error.startsWith(QStringLiteral("L'archivio di destinazione contiene già dei dati (")),
             qPrintable(error));
    QVERIFY2(error.contains(named), qPrintable(error));
    ArchiveTally after;
    QVERIFY(tallyOf(target, &after));
    QCOMPARE(after, before);
    QVERIFY(!source.inReadSnapshot());

    // Nor onto itself.
    QVERIFY(!copyArchives(source, source, &error));
    QCOMPARE(error, QStringLiteral("Un archivio non può essere copiato su se stesso."));
}

void ArchiveTransferTest::tallyNamesWhatDiffers_data()
{
    QTest::addColumn<QString>("change"); // made in the copy
    QTest::addColumn<QStringList>("lines");

    const QString sameTotals =
        QStringLiteral("stessi record e importi, ma valori diversi nella copia");
    QTest::newRow("an amount by a cent")
        << "UPDATE Fatture SET Onorario = Onorario + 1 WHERE Numero = 2"
        << QStringList{"Fatture: Onorario 150,00 € nell'originale, 150,01 € nella copia"};
    QTest::newRow("one letter of a text")
        << "UPDATE Clienti SET Denominazione = 'Rossi Mario' WHERE CodCliente = 'C1'"
        << QStringList{"Clienti: " + sameTotals};
    QTest::newRow("the heading") << "UPDATE datipers SET Citta = 'Roma'"
                                 << QStringList{"datipers: " + sameTotals};
    QTest::newRow("a row lost")
        << "DELETE FROM Fatture WHERE Numero = 2"
        << QStringList{"Fatture: 2 record nell'originale, 1 nella copia; Onorario 150,00 € "
                       "nell'originale, 100,00 € nella copia"};
    QTest::newRow("two tables") << "DELETE FROM Clienti WHERE CodCliente = 'C2'; "
                                   "UPDATE Fatture SET ImportoIVA = 2199 WHERE Numero = 1"
                                << QStringList{"Clienti: 2 record nell'originale, 1 nella copia",
                                               "Fatture: ImportoIVA 22,00 € nell'originale, "
                                               "21,99 € nella copia"};
}

void ArchiveTransferTest::tallyNamesWhatDiffers()
{
    QFETCH(QString, change);
    QFETCH(QStringList, lines);
    QTemporaryDir dir;
    Database source;
    Database target;
    QString error;
    QVERIFY(source.open(dir.filePath("falmide.db"), &error) && fillSmallSource(source));
    QVERIFY(target.open(dir.filePath("copia.db"), &error));
    QVERIFY2(copyArchives(source, target, &error), qPrintable(error));
    for (const QString& sql : change.split(QStringLiteral("; ")))
        QVERIFY(run(target, sql));

    ArchiveTally original;
    ArchiveTally copy;
    QVERIFY(tallyOf(source, &original) && tallyOf(target, &copy));
    QCOMPARE(compareTallies(original, copy), lines);
    QVERIFY(compareTallies(original, original).isEmpty());
}

void ArchiveTransferTest::digestIgnoresHowTheEngineReads_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("one");
    QTest::addColumn<QVariant>("other");
    QTest::addColumn<bool>("same");

    const int whole = int(FieldType::Long);
    const int single = int(FieldType::Single);
    const int text = int(FieldType::Text);
    // Drivers give whole numbers in 32 or 64 bits, or as text; a single as
    // the float it is or widened to a double.
    QTest::newRow("32 and 64 bits")
        << whole << QVariant(qint32(1250)) << QVariant(qint64(1250)) << true;
    QTest::newRow("a number as text") << whole << QVariant(qint64(-7)) << QVariant("-7") << true;
    QTest::newRow("a float widened") << single << QVariant(0.1) << QVariant(double(0.1F)) << true;
    QTest::newRow("Nulls of any type") << text << QVariant(QMetaType::fromType<QString>())
                                       << QVariant(QMetaType::fromType<qint64>()) << true;
    QTest::newRow("a cent") << whole << QVariant(qint64(1250)) << QVariant(qint64(1251)) << false;
    QTest::newRow("Null and zero") << whole << QVariant() << QVariant(qint64(0)) << false;
    QTest::newRow("Null and empty") << text << QVariant() << QVariant(QString()) << false;
    QTest::newRow("a trailing blank") << text << QVariant("Rossi") << QVariant("Rossi ") << false;
    QTest::newRow("an accent") << text << QVariant("Citta") << QVariant("Città") << false;
}

void ArchiveTransferTest::digestIgnoresHowTheEngineReads()
{
    QFETCH(int, type);
    QFETCH(QVariant, one);
    QFETCH(QVariant, other);
    QFETCH(bool, same);
    const ColumnDef column{QStringLiteral("Campo"), FieldType(type), 8};
    QCOMPARE(digestBytes(one, column) == digestBytes(other, column), same);
    // A value never runs into the next: two fields never read as one.
    const ColumnDef memo{QStringLiteral("Note"), FieldType::Memo, 0};
    QVERIFY(digestBytes("ab", memo) + digestBytes("c", memo) !=
            digestBytes("a", memo) + digestBytes("bc", memo));
}

void ArchiveTransferTest::failedCopyLeavesTargetEmpty()
{
    QTemporaryDir dir;
    Database source;
    Database target;
    QString error;
    QVERIFY(source.open(dir.filePath("falmide.db"), &error) && fillSource(source));
    QVERIFY(target.open(dir.filePath("copia.db"), &error));
    ArchiveTally empty;
    QVERIFY(tallyOf(target, &empty));

    // The target fails at the thirtieth invoice of a year, after the clients
    // and some invoices were written.
    QVERIFY(run(target, "CREATE TRIGGER guasto BEFORE INSERT ON Fatture WHEN NEW.Numero = 30 "
                        "BEGIN SELECT RAISE(ABORT, 'guasto simulato'); END"));
    QVERIFY(!copyArchives(source, target, &error));
    QVERIFY2(
        error.startsWith(QStringLiteral("Impossibile scrivere nella tabella Fatture il record")),
        qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("guasto simulato")), qPrintable(error));
    ArchiveTally after;
    QVERIFY(tallyOf(target, &after));
    QCOMPARE(after, empty);
    QVERIFY(!source.inReadSnapshot());

    // Still empty, so still a target.
    QVERIFY(run(target, "DROP TRIGGER guasto"));
    QVERIFY2(copyArchives(source, target, &error), qPrintable(error));
}

void ArchiveTransferTest::snapshotFileHoldsTheSame()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    const QString copyPath = dir.filePath("copia archivi.db");
    QString error;
    {
        Database db;
        QVERIFY(db.open(path, &error) && fillSource(db));
    }
    // An archive that may only be read is copied as well.
    Database source;
    QVERIFY2(source.openForCheck(path, &error), qPrintable(error));
    ArchiveTally written;
    QVERIFY2(writeSnapshotFile(source, copyPath, &error, &written), qPrintable(error));

    Database copy;
    QVERIFY2(copy.open(copyPath, &error), qPrintable(error));
    ArchiveTally original;
    ArchiveTally found;
    QVERIFY(tallyOf(source, &original) && tallyOf(copy, &found));
    QCOMPARE(found, original);
    QCOMPARE(written, original);
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFile::permissions(copyPath) & others, QFile::Permissions());
    copy.close();

    // A later copy replaces the earlier one; nothing else is left in the folder.
    QVERIFY2(writeSnapshotFile(source, copyPath, &error), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"copia archivi.db", "falmide.db"}));

    // Never over the archive it is made from.
    QVERIFY(!writeSnapshotFile(source, path, &error));
    QVERIFY2(error.startsWith(QStringLiteral("La copia non può sostituire l'archivio")),
             qPrintable(error));
    QVERIFY(tallyOf(source, &found));
    QCOMPARE(found, original);
}

void ArchiveTransferTest::failedSnapshotFileLeavesNothing()
{
    QTemporaryDir dir;
    Database source;
    QString error;
    QVERIFY(source.open(dir.filePath("falmide.db"), &error) && fillSource(source));
    const QString copyPath = dir.filePath("copia.db");
    QFile earlier(copyPath);
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("copia precedente") > 0);
    earlier.close();
    const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);

    // A folder that is not there.
    QVERIFY(!writeSnapshotFile(source, dir.filePath("manca/copia.db"), &error));
    QVERIFY2(error.startsWith(QStringLiteral("Impossibile creare un file temporaneo")),
             qPrintable(error));

    // A disk that fills up once the new file holds its tables, mid-copy.
    {
        const FileSizeLimit limit(rlim_t(QFileInfo(dir.filePath("falmide.db")).size() / 2));
        QVERIFY(!writeSnapshotFile(source, copyPath, &error));
    }
    QVERIFY2(error.startsWith(QStringLiteral("Impossibile completare la copia degli archivi: "
                                             "Errore di lettura o scrittura sul disco")),
             qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("copia precedente"));

    // The original reads and writes on.
    QVERIFY(!source.inReadSnapshot());
    QVERIFY(run(source, "UPDATE datipers SET Citta = 'Asti'"));
}

void ArchiveTransferTest::readSnapshotAndWritesExclude()
{
    QTemporaryDir dir;
    Database db;
    QString error;
    QVERIFY(db.open(dir.filePath("falmide.db"), &error));
    QVERIFY2(db.beginReadSnapshot(&error), qPrintable(error));
    QVERIFY(!db.begin(&error));
    QVERIFY2(error.startsWith(QStringLiteral("Una lettura dell'archivio è in corso")),
             qPrintable(error));
    QVERIFY(!db.beginReadSnapshot(&error));
    db.endReadSnapshot();
    QVERIFY(db.begin(&error));
    QVERIFY(!db.beginReadSnapshot(&error));
    db.rollback();
    db.close();

    Database readOnly;
    QVERIFY(readOnly.openForCheck(dir.filePath("falmide.db"), &error));
    QVERIFY2(readOnly.beginReadSnapshot(&error), qPrintable(error));
    readOnly.endReadSnapshot();
}
