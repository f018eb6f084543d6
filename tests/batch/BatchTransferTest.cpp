// `falmide trasferisci`: a desk's archives onto an empty server database and
// back into a file, against the tests' own server.
#include "BatchTestSupport.h"
#include "Database.h"
#include "ServerConnection.h"
#include "TestDatabase.h"

#include <QtTest>

class BatchTransferTest : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip();
    void refusals();

private:
    QTemporaryDir m_dir;
};

void BatchTransferTest::roundTrip()
{
    if (!testsOnServer())
        QSKIP("needs the tests' database server");
    const QString home = m_dir.filePath(QStringLiteral("desk"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "40", "--parcelle", "6"}).status, 0);
    ServerConnection server;
    QString error;
    QVERIFY2(testServerDatabase(m_dir.filePath("studio"), &server, &error), qPrintable(error));

    Outcome outcome = run({"trasferisci", "--dir", home, "--verso", describeServer(server)});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    QVERIFY2(outcome.out.contains("Fatture: 40 record"), qPrintable(outcome.out));
    QVERIFY(outcome.out.contains("verificati"));

    // Back into a new file: every row, amount and text as on the desk.
    const QString back = m_dir.filePath(QStringLiteral("back/falmide.db"));
    outcome = run({"trasferisci", "--dir", home, "--da", describeServer(server), "--file", back});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    const ArchiveTally original = tallyOfFile(home + "/falmide.db");
    QVERIFY(!original.tables.empty());
    QCOMPARE(compareTallies(original, tallyOfFile(back)), QStringList());

    // A server database that already holds archives is never written over.
    outcome = run({"trasferisci", "--dir", home, "--verso", describeServer(server)});
    QCOMPARE(outcome.status, 1);
    QVERIFY(!outcome.err.isEmpty());
    // Nor is a file that exists.
    outcome = run({"trasferisci", "--dir", home, "--da", describeServer(server), "--file", back});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("esiste già"), qPrintable(outcome.err));
    QCOMPARE(compareTallies(original, tallyOfFile(back)), QStringList());
}

void BatchTransferTest::refusals()
{
    const QString home = m_dir.filePath(QStringLiteral("usage"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "2"}).status, 0);
    // One direction at a time, a server written as HOST/DATABASE.
    QCOMPARE(run({"trasferisci", "--dir", home}).status, 2);
    QCOMPARE(run({"trasferisci", "--dir", home, "--verso", "a/b", "--da", "a/b"}).status, 2);
    QCOMPARE(run({"trasferisci", "--dir", home, "--verso", "senza-database"}).status, 2);
    QCOMPARE(run({"trasferisci", "--dir", home, "--da", "127.0.0.1/x"}).status, 2);
    // A server that does not answer: said, nothing changed on the desk.
    const Outcome outcome = run({"trasferisci", "--dir", home, "--verso", "127.0.0.1:1/falmide"});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("127.0.0.1:1/falmide"), qPrintable(outcome.err));
}

QTEST_GUILESS_MAIN(BatchTransferTest)
#include "BatchTransferTest.moc"
