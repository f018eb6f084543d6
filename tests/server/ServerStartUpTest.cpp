#include "ServerStartUpTest.h"

#include "AppContext.h"
#include "DataFolder.h"
#include "Main.h"
#include "StartUp.h"
#include "TestDataFolder.h"
#include "TestDatabase.h"

#include <QLabel>
#include <QStatusBar>
#include <QtTest>

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

    // The main window says where its archives are, in the status panel.
    QString error;
    Main window(desk.context());
    QCOMPARE(window.MDIForm_Load(&error), StartUpOutcome::Ready);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto* where = window.statusBar()->findChild<QLabel*>(QStringLiteral("Archivi"));
    QVERIFY(where && where->isVisible());
    const Database& db = desk.context().DbArchivi;
    QCOMPARE(where->text(), serverPanelText(db.location()));
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
}
