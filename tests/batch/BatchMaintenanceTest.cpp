// The database's care from the command line: copies, checks, compaction,
// repair and restore, the folder's lock, and what commands leave behind.
#include "BatchTest.h"

#include "BatchTestSupport.h"
#include "Clock.h"
#include "DamagedPage.h"
#include "Database.h"
#include "InstanceLock.h"
#include "PdfTestSupport.h"
#include "Schema.h"
#include "SqliteFile.h"
#include "TestDatabase.h"

#include <QProcess>
#include <QtTest>
#include <sys/resource.h>

void BatchTest::maintenance()
{
    if (testsOnServer())
        QSKIP("about copies, compaction and repair of the database file");
    const QString home = folder(m_dir, QStringLiteral("care"));
    const QString db = home + "/falmide.db";
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "80", "--movimenti", "30"}).status, 0);
    const auto rows = rowCounts(db);
    QCOMPARE(rows.value(1), 80);

    // A checked copy, its folder made.
    const QString copy = m_dir.filePath("copie/falmide-copia.db");
    Outcome outcome = run({"backup", "--dir", home, copy});
    QCOMPARE(outcome.out, copy + '\n');
    QCOMPARE(rowCounts(copy), rows);

    outcome = run({"verifica", "--dir", home});
    QCOMPARE(outcome.status, 0);
    QVERIFY2(outcome.out.contains("è integro (Clienti:"), qPrintable(outcome.out));

    outcome = run({"compatta", "--dir", home});
    QVERIFY2(outcome.out.contains(home + "/falmide.BAK"), qPrintable(outcome.out));
    QCOMPARE(rowCounts(db), rows);
    QCOMPARE(rowCounts(home + "/falmide.BAK"), rows);

    // A sound file is left as it is.
    const QByteArray sound = pdftest::readFile(copy);
    QVERIFY(run({"ripara", "--file", copy}).out.contains("non è stato modificato"));
    QVERIFY(pdftest::readFile(copy) == sound);

    // A damaged file: the verdict, then the repair with what it recovered.
    QVERIFY(damageTablePage(copy));
    outcome = run({"verifica", "--file", copy});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("è DANNEGGIATO: ") && outcome.err.count('\n') == 1,
             qPrintable(outcome.err));
    outcome = run({"ripara", "--file", copy});
    QCOMPARE(outcome.status, 0);
    const auto recovered = rowCounts(copy);
    QVERIFY(recovered != rows);
    const char* tables[] = {"Clienti", "Fatture", "Movimenti", "Parcelle"};
    for (int i = 0; i < 4; ++i)
        QVERIFY2(outcome.out.contains(
                     QStringLiteral("\n  %1: %2 record").arg(tables[i]).arg(recovered.value(i))),
                 qPrintable(outcome.out));
    QCOMPARE(QDir(m_dir.filePath("copie")).entryList({"falmide-copia-danneggiato-*.db"}).size(), 1);
    QCOMPARE(run({"verifica", "--file", copy}).status, 0);
}

void BatchTest::maintenanceRefusals_data()
{
    // Each row: the command, the file's content and the message; each is
    // refused with one line and the file left as it is.
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("repair junk") << "ripara" << QByteArray("not a database").repeated(300)
                                 << "non è un archivio del programma (SQLite)";
    QTest::newRow("check newer") << "verifica" << QByteArray("NEWER")
                                 << QStringLiteral(
                                        "versione più recente del programma (versione %1")
                                        .arg(kSchemaVersion + 1);
    QTest::newRow("check another database")
        << "verifica" << QByteArray("CREATE TABLE Clienti (Codice)")
        << "non è un archivio del programma";
    // Files the program refuses to open (the schema's own tests tell why):
    // the check refuses them as well.
    QTest::newRow("check extra column")
        << "verifica" << QByteArray("SQL:ALTER TABLE Clienti ADD COLUMN Sito VARCHAR(60)")
        << "la tabella Clienti ha 16 colonne invece di 15";
    for (const char* version : {"0", "-1", "'abc'"})
        QTest::addRow("check version %s", version)
            << "verifica" << QByteArray("SQL:UPDATE SchemaVersion SET Version = ") + version
            << "versione dell'archivio sconosciuta";
}

void BatchTest::maintenanceRefusals()
{
    if (testsOnServer())
        QSKIP("about files that are no database of the program");
    QFETCH(QString, command);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QString file = m_dir.filePath(QStringLiteral("refused/falmide.db"));
    QVERIFY(QDir(m_dir.filePath("refused")).removeRecursively());
    QVERIFY(QDir().mkpath(m_dir.filePath("refused")));
    if (content == "NEWER" || content.startsWith("CREATE") || content.startsWith("SQL:")) {
        // An SQLite file: one of a later version, or another program's.
        Database db;
        QString error;
        QVERIFY(db.open(file, &error));
        db.close();
        SqliteFile changed;
        QVERIFY(changed.open(file) &&
                changed.exec(
                    content == "NEWER" ? QStringLiteral("UPDATE SchemaVersion SET Version = %1")
                                             .arg(kSchemaVersion + 1)
                    : content.startsWith("SQL:") ? QString::fromUtf8(content.mid(4))
                                                 : QStringLiteral("DROP TABLE SchemaVersion")));
    } else {
        QVERIFY(pdftest::writeFile(file, content));
    }
    const QByteArray before = pdftest::readFile(file);
    const Outcome outcome = run({command, "--file", file});
    QCOMPARE(outcome.status, 1);
    QCOMPARE(outcome.out, QString());
    QVERIFY2(outcome.err.contains(message) && outcome.err.count('\n') == 1,
             qPrintable(outcome.err));
    QVERIFY(pdftest::readFile(file) == before);
    QCOMPARE(QDir(m_dir.filePath("refused")).entryList(QDir::Files).size(), 1);
}

void BatchTest::lockedDataFolder()
{
    if (testsOnServer())
        QSKIP("the folder's lock guards the database file; the server guards its own");
    const QString home = folder(m_dir, QStringLiteral("locked"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "5"}).status, 0);
    const QByteArray db = pdftest::readFile(home + "/falmide.db");
    const QString empty = folder(m_dir, QStringLiteral("empty"));
    QVERIFY(QDir().mkpath(empty));
    {
        // The program is open on both folders: what writes is refused.
        InstanceLock program(home), other(empty);
        QVERIFY(program.acquire(nullptr) && other.acquire(nullptr));
        for (const QStringList& arguments :
             {QStringList{"compatta", "--dir", home},
              {"ripara", "--dir", home},
              {"ripara", "--file", home + "/falmide.db"},
              {"fatturapa", "--dir", home, "--dal", "01/01/2000", "--al", "31/12/2099"},
              {"demo", "--dir", empty}}) {
            const Outcome outcome = run(arguments);
            QCOMPARE(outcome.status, 1);
            QVERIFY2(outcome.err.contains("Il programma è già aperto sulla cartella dei dati") &&
                         outcome.err.count('\n') == 1,
                     qPrintable(outcome.err));
        }
        QVERIFY(pdftest::readFile(home + "/falmide.db") == db);
        QVERIFY(!QFile::exists(empty + "/falmide.db"));
        // What only reads goes ahead.
        QCOMPARE(run({"verifica", "--dir", home}).status, 0);
        QCOMPARE(run({"backup", "--dir", home, m_dir.filePath("locked.db")}).status, 0);
    }
    QCOMPARE(run({"compatta", "--dir", home}).status, 0);
}

void BatchTest::verificaWaitsForABusyFile()
{
    if (testsOnServer())
        QSKIP("about another program's lock on the database file");
    const QString home = folder(m_dir, QStringLiteral("busy"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "5"}).status, 0);
    // Another program writing: waited for, then "occupato", never damage.
    for (const int held : {1000, 9000}) {
        QProcess writer;
        writer.start(FALMIDE_FAULT_HELPER,
                     {"hold-db", home + "/falmide.db", QString::number(held)});
        QVERIFY(writer.waitForReadyRead(10000));
        const Outcome outcome = run({"verifica", "--dir", home});
        if (held < 5000) {
            QCOMPARE(outcome.status, 0);
        } else {
            QCOMPARE(outcome.status, 1);
            QVERIFY2(outcome.err.contains("è occupato") && !outcome.err.contains("DANNEGGIATO"),
                     qPrintable(outcome.err));
        }
        writer.kill();
        writer.waitForFinished();
    }
}

void BatchTest::repairOffersTheDailyCopy()
{
    if (testsOnServer())
        QSKIP("about a damaged page of the database file");
    const QString home = folder(m_dir, QStringLiteral("offer"));
    const QString db = home + "/falmide.db";
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "400", "--clienti", "40"}).status, 0);
    // Yesterday's copy, and an invoice written since.
    QVERIFY(QDir().mkpath(home + "/Backup"));
    const QDate yesterday = Clock::today().addDays(-1);
    const QString copy =
        home + QStringLiteral("/Backup/falmide-%1.db").arg(yesterday.toString(Qt::ISODate));
    // (backup refuses to write a daily copy: it is the program's to keep.)
    QVERIFY(QFile::copy(db, copy));
    {
        Database database;
        QString error;
        QVERIFY(database.open(db, &error));
        QVERIFY(database.execute("INSERT INTO Fatture (Chiave, Data, Numero, CodCli) VALUES "
                                 "('2099      9001', '2099-01-02', 9001, 'X')",
                                 {}, &error));
    }
    QVERIFY(damageTablePage(db));
    Outcome outcome = run({"ripara", "--dir", home});
    QCOMPARE(outcome.status, 0);
    QVERIFY2(outcome.out.contains("non recuperat") &&
                 outcome.out.contains("Ripristina dalla copia del " +
                                      yesterday.toString("dd/MM/yyyy") + ": falmide ripristina " +
                                      copy) &&
                 outcome.out.contains("Fatture assenti dalla copia: 2099/9001"),
             qPrintable(outcome.out));
    const auto repaired = rowCounts(db);

    outcome = run({"ripristina", "--dir", home, copy});
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.status, 0);
    QVERIFY2(outcome.out.contains("Fatture assenti dalla copia: 2099/9001"),
             qPrintable(outcome.out));
    QCOMPARE(rowCounts(db), rowCounts(copy));
    QVERIFY(rowCounts(db) != repaired);
    QCOMPARE(QDir(home).entryList({"falmide-sostituito-*.db"}).size(), 1);
    QCOMPARE(run({"verifica", "--dir", home}).status, 0);
}

void BatchTest::commandsLeaveNothingBehind()
{
    const QString home = dataHome(m_dir, QStringLiteral("limits"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "300"}).status, 0);
    const QString out = m_dir.filePath("limiti");
    QVERIFY(QDir().mkpath(out));
    // A file-size limit: a write error said as such, not a silent death,
    // and nothing half-written left.
    QProcess process;
    process.setChildProcessModifier([] {
        rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start(FALMIDE_PROGRAM, {"backup", "--dir", home, out + "/copia.db"});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(!process.readAllStandardError().isEmpty());
    QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList());

    // A temporary a killed run left in the data folder goes at the next command.
    QVERIFY(QDir().mkpath(home + "/Fatture/2025"));
    QProcess killed;
    killed.start(FALMIDE_FAULT_HELPER, {"stage", home + "/Fatture/2025/Fattura_2025_1.pdf"});
    QVERIFY(killed.waitForReadyRead(10000));
    const QString left = QString::fromUtf8(killed.readLine()).trimmed();
    killed.kill();
    killed.waitForFinished();
    QVERIFY(QFileInfo::exists(left));
    QCOMPARE(run({"verifica", "--dir", home}).status, 0);
    QVERIFY(!QFileInfo::exists(left));
}
