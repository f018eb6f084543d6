// The "Archivi" menu's care of a database on the tests' server: a copy
// saved as a file, compaction in place, no repair, and the day's copy taken
// once the database is open.
#include "AppContext.h"
#include "ArchiveMaintenance.h"
#include "ArchiveTally.h"
#include "Clock.h"
#include "DailyCopyJob.h"
#include "FileDialogAnswer.h"
#include "HeadingData.h"
#include "Main.h"
#include "MessageBox.h"
#include "ModalHelper.h"
#include "TestDatabase.h"

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

class ServerCareWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void menuOnServer();
};

namespace {

ArchiveTally tallyOf(Database& db)
{
    ArchiveTally tally;
    QString error;
    if (!tallyArchives(db, &tally, &error))
        qWarning("%s", qPrintable(error));
    return tally;
}

} // namespace

void ServerCareWindowTest::menuOnServer()
{
    if (!testsOnServer())
        QSKIP("needs the tests' database server");
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 8));
    QTemporaryDir dir;
    AppContext context;
    context.programFolder = dir.path();
    QString error;
    QVERIFY2(openTestDatabase(context.DbArchivi, dir.filePath("studio"), &error),
             qPrintable(error));
    QVERIFY2(context.DbArchivi.execute(
                 "INSERT INTO Clienti (Chiave, CodCliente, Denominazione) VALUES (?, ?, ?)",
                 {QStringLiteral("C1"), QStringLiteral("C1"), QStringLiteral("Studio Rossi")},
                 &error),
             qPrintable(error));
    QVERIFY2(loadHeadingData(context.DbArchivi, &context.DatiUtente, &error), qPrintable(error));
    const ArchiveTally tally = tallyOf(context.DbArchivi);
    Main main(context);
    main.show();

    // Start-up's day copy: a file of the embedded engine in Backup/, made
    // on a thread of its own with a connection of its own once the
    // database is open.
    bool dailyCopyNext = false;
    QVERIFY(ArchiveMaintenance(context, &main).afterOpen(&dailyCopyNext));
    QVERIFY(dailyCopyNext);
    ServerConnection server;
    QVERIFY2(testServerDatabase(dir.filePath("studio"), &server, &error), qPrintable(error));
    std::optional<DailyCopyOutcome> made;
    DailyCopyJob job({QString(), server, context.programFolder, Clock::today()},
                     [&made](const DailyCopyOutcome& outcome) { made = outcome; });
    QTRY_VERIFY_WITH_TIMEOUT(made.has_value(), 30000);
    QVERIFY2(made->kind == DailyCopyOutcome::Kind::Made, qPrintable(made->error.description));
    const QString daily = dir.filePath("Backup/falmide-2026-12-08.db");
    {
        Database copy;
        QVERIFY2(copy.open(daily, &error), qPrintable(error));
        QVERIFY(!copy.onServer());
        QCOMPARE(compareTallies(tally, tallyOf(copy)), QStringList());
    }

    const QString saved = dir.filePath("copia.db");
    QString title;
    MessageBox::setNextAnswer(QMessageBox::Ok);
    chooseInDialog(&main, saved, &title);
    main.voce("VoceSalvaCopia")->trigger();
    QCOMPARE(title, QStringLiteral("Salva copia archivi"));
    QVERIFY2(MessageBox::lastText().contains("salvata in " + saved),
             qPrintable(MessageBox::lastText()));
    {
        Database copy;
        QVERIFY2(copy.open(saved, &error), qPrintable(error));
        QCOMPARE(compareTallies(tally, tallyOf(copy)), QStringList());
    }

    // No file to choose for either: compacted in place, nothing repaired.
    MessageBox::setNextAnswer(QMessageBox::Ok);
    main.voce("VoceCompArc")->trigger();
    QVERIFY2(MessageBox::lastText().contains("compattato"), qPrintable(MessageBox::lastText()));
    MessageBox::setNextAnswer(QMessageBox::Ok);
    main.voce("VoceRgnChv")->trigger();
    QVERIFY2(MessageBox::lastText().contains("nulla da riparare") &&
                 MessageBox::lastText().contains("falmide trasferisci"),
             qPrintable(MessageBox::lastText()));
    QVERIFY(context.DbArchivi.isOpen());
    QCOMPARE(compareTallies(tally, tallyOf(context.DbArchivi)), QStringList());
    QVERIFY(!QFileInfo::exists(dir.filePath("falmide.BAK")));
    Clock::setToday({});
}

QTEST_MAIN(ServerCareWindowTest)
#include "ServerCareWindowTest.moc"
