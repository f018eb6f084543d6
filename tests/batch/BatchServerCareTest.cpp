// The database's care on a server: the commands, and the daily copies the
// program takes at start-up, against the tests' own server.
#include "BatchTestSupport.h"
#include "DailyCopies.h"
#include "Database.h"
#include "ServerConnection.h"
#include "TestDatabase.h"

#include <QtTest>

class BatchServerCareTest : public QObject
{
    Q_OBJECT

private slots:
    void commandsOnServer();
    void dailyCopies();

private:
    QTemporaryDir m_dir;
};

namespace {

ArchiveTally tallyOf(Database& db)
{
    QString error;
    ArchiveTally tally;
    if (!tallyArchives(db, &tally, &error))
        qWarning("%s", qPrintable(error));
    return tally;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

void BatchServerCareTest::commandsOnServer()
{
    if (!testsOnServer())
        QSKIP("needs the tests' database server");
    // A desk's demo archives moved onto the server a studio's folder names.
    const QString desk = m_dir.filePath(QStringLiteral("desk"));
    QCOMPARE(run({"demo", "--dir", desk, "--fatture", "30", "--parcelle", "4"}).status, 0);
    const QString studio = m_dir.filePath(QStringLiteral("studio"));
    QVERIFY(QDir().mkpath(studio));
    writeFile(studio + "/falmide.ini", testDatabaseSettings(studio));
    ServerConnection server;
    QString error;
    QVERIFY2(testServerDatabase(studio, &server, &error), qPrintable(error));
    Outcome outcome = run({"trasferisci", "--dir", desk, "--verso", describeServer(server)});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    const ArchiveTally original = tallyOfFile(desk + "/falmide.db");
    const QStringList before = QDir(studio).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    // The copy is a file of the embedded engine with every row of the server.
    const QString copy = m_dir.filePath(QStringLiteral("copie/falmide-copia.db"));
    outcome = run({"--dir", studio, "backup", copy});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    QCOMPARE(outcome.out.trimmed(), copy);
    QCOMPARE(compareTallies(original, tallyOfFile(copy)), QStringList());

    outcome = run({"--dir", studio, "compatta"});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    QVERIFY2(outcome.out.contains("compattato"), qPrintable(outcome.out));

    outcome = run({"--dir", studio, "verifica"});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    QVERIFY2(outcome.out.contains("cura da sé l'integrità"), qPrintable(outcome.out));
    outcome = run({"--dir", studio, "ripara"});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    QVERIFY2(outcome.out.contains("nulla da riparare"), qPrintable(outcome.out));

    // A copy is not put back onto the server from here: the command says how.
    outcome = run({"--dir", studio, "ripristina", copy});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("falmide trasferisci --dir CARTELLA --verso SERVER"),
             qPrintable(outcome.err));

    // No file was made or kept in the studio's folder, and the server holds
    // what it held.
    QCOMPARE(QDir(studio).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    Database db;
    QVERIFY2(db.openServer(server, &error), qPrintable(error));
    QCOMPARE(compareTallies(original, tallyOf(db)), QStringList());

    // --file still names a file, on the embedded engine.
    outcome = run({"--dir", studio, "verifica", "--file", copy});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    QVERIFY2(outcome.out.contains("è integro"), qPrintable(outcome.out));

    // A server that does not answer is said, not taken for sound.
    const QString away = m_dir.filePath(QStringLiteral("away"));
    QVERIFY(QDir().mkpath(away));
    writeFile(away + "/falmide.ini", "[Database]\nServer=127.0.0.1\nPorta=1\nDatabase=falmide\n");
    for (const char* command : {"verifica", "compatta"}) {
        outcome = run({"--dir", away, command});
        QCOMPARE(outcome.status, 1);
        QVERIFY2(outcome.err.contains("127.0.0.1:1/falmide"), qPrintable(outcome.err));
    }
}

void BatchServerCareTest::dailyCopies()
{
    // On the embedded engine the same copy is taken from the open file.
    const QString home = m_dir.filePath(QStringLiteral("daily"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "12"}).status, 0);
    Database db;
    QString error;
    if (testsOnServer()) {
        const QString shared = m_dir.filePath(QStringLiteral("daily-server"));
        ServerConnection server;
        QVERIFY2(testServerDatabase(shared, &server, &error), qPrintable(error));
        QCOMPARE(run({"trasferisci", "--dir", home, "--verso", describeServer(server)}).status, 0);
        QVERIFY2(db.openServer(server, &error), qPrintable(error));
    } else
        QVERIFY2(db.open(home + "/falmide.db", &error), qPrintable(error));
    const ArchiveTally tally = tallyOf(db);

    // Older copies, one of another name, and one a clock that ran ahead left.
    const QString folder = m_dir.filePath(QStringLiteral("desk-folder"));
    QVERIFY(QDir().mkpath(folder + "/Backup"));
    const QDate today(2026, 12, 8);
    for (const char* name : {"falmide-2026-12-05.db", "falmide-2026-12-06.db",
                             "falmide-2026-12-07.db", "falmide-2026-12-31.db", "altro.db"})
        writeFile(folder + "/Backup/" + name, "x");

    const DailyCopyOutcome outcome = makeDailyCopy(db, folder, today, 3);
    QVERIFY2(outcome.kind == DailyCopyOutcome::Kind::Made, qPrintable(outcome.error.description));
    QCOMPARE(outcome.file, dailyCopyPath(folder, today));
    QCOMPARE(compareTallies(tally, tallyOfFile(outcome.file)), QStringList());
    QCOMPARE(outcome.removed, QStringList({"falmide-2026-12-05.db"}));
    QCOMPARE(outcome.future, QStringList({"falmide-2026-12-31.db"}));
    QVERIFY(QFileInfo::exists(folder + "/Backup/altro.db"));
    // Today's is taken once.
    QCOMPARE(makeDailyCopy(db, folder, today, 3).kind, DailyCopyOutcome::Kind::NotDue);

    // A folder that cannot be made is said, and nothing else changes.
    const QString blocked = m_dir.filePath(QStringLiteral("blocked"));
    QVERIFY(QDir().mkpath(blocked));
    writeFile(blocked + "/Backup", "not a folder");
    const DailyCopyOutcome failed = makeDailyCopy(db, blocked, today, 3);
    QCOMPARE(failed.kind, DailyCopyOutcome::Kind::Failed);
    QVERIFY(!failed.error.description.isEmpty());
}

QTEST_GUILESS_MAIN(BatchServerCareTest)
#include "BatchServerCareTest.moc"
