#include "ServerStartUpTest.h"

#include "AppContext.h"
#include "DataFolder.h"
#include "StartUp.h"
#include "TestDataFolder.h"
#include "TestDatabase.h"

#include <QProcess>
#include <QtTest>

namespace {

const QString kProgram = QStringLiteral(FALMIDE_PROGRAM);

struct Ran
{
    int status = -1;
    QString out;
    QString err;
};

Ran runProgram(const QString& folder, const QStringList& arguments)
{
    QProcess p;
    p.start(kProgram, QStringList{QStringLiteral("--dir"), folder} + arguments);
    if (!p.waitForFinished(60000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

void ServerStartUpTest::initTestCase()
{
    if (!testsOnServer())
        QSKIP("only on the tests' server (FALMIDE_TEST_ENGINE=server)");
}

void ServerStartUpTest::startsOnTheServerWithoutTheFolderLock()
{
    TestDataFolder desk;
    desk.setUpFolder();
    const QByteArray settings = testDatabaseSettings(desk.filePath("archivi"));
    QVERIFY(!settings.isEmpty());
    QVERIFY(desk.writeSettings(settings));

    QString error;
    QCOMPARE(openArchives(desk.context(), &error), StartUpOutcome::Ready);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const Database& db = desk.context().DbArchivi;
    QVERIFY(db.onServer());
    QVERIFY(!desk.context().instanceLock);
    QVERIFY(!QFile::exists(desk.context().databaseFile()));
    ServerConnection server;
    QVERIFY(testServerDatabase(desk.filePath("archivi"), &server, &error));
    QCOMPARE(serverPanelText(db.location()), QStringLiteral("Archivi sul server %1@127.0.0.1:%2/%3")
                                                 .arg(server.user)
                                                 .arg(server.port)
                                                 .arg(server.database));

    // A second desk (another data folder, the same settings) starts beside
    // the first.
    TestDataFolder other;
    other.setUpFolder();
    QVERIFY(other.writeSettings(settings));
    QCOMPARE(openArchives(other.context(), &error), StartUpOutcome::Ready);
    QVERIFY(other.context().DbArchivi.onServer());
}

void ServerStartUpTest::refusesAServerItCannotReach()
{
    TestDataFolder desk;
    desk.setUpFolder();
    QVERIFY(desk.writeSettings("[Database]\nServer=127.0.0.1\nPorta=1\nDatabase=falmide\n"
                               "Utente=rossi\n"));
    QString error;
    QCOMPARE(openArchives(desk.context(), &error), StartUpOutcome::DatabaseUnusable);
    QVERIFY2(error.contains("rossi@127.0.0.1:1/falmide non risponde"), qPrintable(error));
    QVERIFY(!desk.context().DbArchivi.isOpen());
    QVERIFY(!QFile::exists(desk.context().databaseFile()));

    // A command says so on its error output and fails.
    const Ran ran = runProgram(desk.path(), {"fattura-pdf", "2026", "1"});
    QCOMPARE(ran.status, 1);
    QVERIFY2(ran.err.contains("non risponde"), qPrintable(ran.err));
    QVERIFY(!QFile::exists(desk.context().databaseFile()));
}

void ServerStartUpTest::commandsWorkOnTheServer()
{
    // The invoice stored on the server is printed by a command of a desk
    // whose data folder holds no database at all.
    TestDataFolder desk;
    QString error;
    QVERIFY2(desk.setUp(&error), qPrintable(error));
    QVERIFY2(desk.addSendableInvoice(&error), qPrintable(error));
    QVERIFY(desk.context().DbArchivi.onServer());
    QVERIFY(desk.writeSettings(testDatabaseSettings(desk.context().databaseFile())));
    desk.context().DbArchivi.close();

    const Ran ran = runProgram(desk.path(), {"fattura-pdf", "2026", "1"});
    QVERIFY2(ran.status == 0, qPrintable(ran.err));
    const QString written = ran.out.trimmed();
    QVERIFY2(written.endsWith("Fatture/2026/Fattura_2026_1.pdf"), qPrintable(written));
    QVERIFY(QFile::exists(written));
    QVERIFY(!QFile::exists(desk.context().databaseFile()));
    QVERIFY(!QFile::exists(desk.filePath(QString::fromLatin1(kLockFileName))));
}
