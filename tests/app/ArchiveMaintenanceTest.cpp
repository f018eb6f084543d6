#include "AppTests.h"

#include "AppContext.h"
#include "Clock.h"
#include "DailyCopies.h"
#include "DamagedPage.h"
#include "DatabaseMaintenance.h"
#include "FileDialogAnswer.h"
#include "Main.h"
#include "MessageBox.h"
#include "ModalHelper.h"
#include "PdfTestSupport.h"
#include "Recordset.h"
#include "Snapshot.h"
#include "StartUp.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

int clients(AppContext& context)
{
    QString error;
    auto rs = Recordset::OpenTable(context.DbArchivi, QStringLiteral("Clienti"), &error);
    return rs ? rs->RecordCount() : -1;
}

bool addClients(AppContext& context, int count)
{
    QString error;
    auto rs = Recordset::OpenTable(context.DbArchivi, QStringLiteral("Clienti"), &error);
    if (!rs || !context.DbArchivi.begin(&error))
        return false;
    for (int i = 0; i < count; ++i) {
        rs->AddNew();
        rs->setValue(0, QStringLiteral("C%1").arg(i));
        rs->setValue(2, QStringLiteral("Cliente con un nome abbastanza lungo %1").arg(i));
        if (!rs->Update())
            return false;
    }
    return context.DbArchivi.commit(&error);
}

// The program on a data folder, its main window made but not yet loaded.
struct Program
{
    explicit Program(const QString& folder) { context.programFolder = folder; }
    StartUpOutcome load()
    {
        QString error;
        const StartUpOutcome outcome = main.MDIForm_Load(&error);
        // The day's copy goes on meanwhile, on a thread of its own; one
        // that never ends fails the caller's comparison.
        if (!QTest::qWaitFor([this] { return !main.dailyCopyRunning(); }, 30000))
            return StartUpOutcome::DatabaseUnusable;
        return outcome;
    }
    AppContext context;
    Main main{context};
};

} // namespace

void ArchiveMaintenanceTest::init()
{
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 7));
}

void ArchiveMaintenanceTest::cleanup()
{
    Clock::setToday({});
}

void ArchiveMaintenanceTest::compactRepairAndCopyFromTheMenu()
{
    QTemporaryDir dir;
    Program program(dir.path());
    AppContext& context = program.context;
    Main& main = program.main;
    QCOMPARE(program.load(), StartUpOutcome::Ready);
    QVERIFY(QFileInfo::exists(dir.filePath("Backup/falmide-2026-12-07.db")));
    QVERIFY(addClients(context, 50));

    // A second program on the same data folder is refused.
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QCOMPARE(Program(dir.path()).load(), StartUpOutcome::AlreadyRunning);
    QVERIFY2(MessageBox::lastText().contains("già aperto"), qPrintable(MessageBox::lastText()));
    QString error;

    // Free pages for the compaction to drop; it says what it did.
    for (const char* sql : {"CREATE TABLE Zavorra AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                            "SELECT i + 1 FROM n WHERE i < 2000) SELECT randomblob(1000) FROM n",
                            "DROP TABLE Zavorra"})
        QVERIFY2(context.DbArchivi.execute(QString::fromLatin1(sql), {}, &error),
                 qPrintable(error));
    const qint64 before = QFileInfo(context.databaseFile()).size();
    QString title;
    MessageBox::setNextAnswer(QMessageBox::Ok);
    chooseInDialog(&main, context.databaseFile(), &title);
    main.voce("VoceCompArc")->trigger();
    QCOMPARE(title, QStringLiteral("Selezionare Database da Compattare"));
    QVERIFY(QFileInfo::exists(dir.filePath("falmide.BAK")));
    const qint64 after = QFileInfo(context.databaseFile()).size();
    QVERIFY(after < before);
    QCOMPARE(MessageBox::lastText(),
             QStringLiteral("Archivio compattato: %1 → %2; copia precedente in falmide.BAK")
                 .arg(describeSize(before, context.SepDecimali),
                      describeSize(after, context.SepDecimali)));
    QCOMPARE(QFileInfo(dir.filePath("falmide.BAK")).size(), before);
    QVERIFY(context.DbArchivi.isOpen());
    QCOMPARE(clients(context), 50);
    QCOMPARE(main.findChild<QLabel*>("Stato")->text(), QStringLiteral("Pronto"));

    MessageBox::setNextAnswer(QMessageBox::Ok);
    chooseInDialog(&main, context.databaseFile(), &title);
    main.voce("VoceRgnChv")->trigger();
    QCOMPARE(title, QStringLiteral("Selezionare Database da Riparare"));
    QVERIFY2(MessageBox::lastText().contains("è integro") &&
                 MessageBox::lastText().contains("Clienti: 50 record"),
             qPrintable(MessageBox::lastText()));

    // What is no database is refused with the error's description and number.
    const QString junk = dir.filePath("appunti.db");
    QFile(junk).open(QIODevice::WriteOnly);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    chooseInDialog(&main, junk, &title);
    main.voce("VoceRgnChv")->trigger();
    QVERIFY2(MessageBox::lastText().startsWith("The following Error occurred:\nIl file ") &&
                 MessageBox::lastText().contains("è vuoto") &&
                 MessageBox::lastText().contains("\nNumber: 26"),
             qPrintable(MessageBox::lastText()));
    QCOMPARE(MessageBox::lastIcon(), QMessageBox::Critical);
    QVERIFY(context.DbArchivi.isOpen());

    const QString copy = dir.filePath("copia.db");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    chooseInDialog(&main, copy, &title);
    main.voce("VoceSalvaCopia")->trigger();
    QCOMPARE(title, QStringLiteral("Salva copia archivi"));
    QCOMPARE(MessageBox::lastText(),
             QStringLiteral("Copia degli archivi salvata in %1.").arg(copy));
    // Never over a file the program keeps: tomorrow's copy would not be made.
    const QString tomorrow = dir.filePath("Backup/falmide-2026-12-08.db");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    chooseInDialog(&main, tomorrow, &title);
    main.voce("VoceSalvaCopia")->trigger();
    QVERIFY2(MessageBox::lastText().contains("è una copia giornaliera dell'archivio"),
             qPrintable(MessageBox::lastText()));
    QVERIFY(!QFileInfo::exists(tomorrow));
    Database saved;
    QVERIFY(saved.open(copy, &error));
    QCOMPARE(Recordset::OpenTable(saved, QStringLiteral("Clienti"), &error)->RecordCount(), 50);
}

void ArchiveMaintenanceTest::damageFoundAtStartUpIsRepaired()
{
    QTemporaryDir dir;
    {
        Program first(dir.path());
        QCOMPARE(first.load(), StartUpOutcome::Ready);
        QVERIFY(addClients(first.context, 1500));
    }
    QVERIFY(damageTablePage(dir.filePath("falmide.db")));
    Clock::setToday(QDate(2026, 12, 8)); // the day's first start checks the file

    Program program(dir.path());
    AppContext& context = program.context;
    QString warning;
    whenModal<QMessageBox>(&program.main, [&warning](QMessageBox* box) {
        warning = box->text();
        MessageBox::setNextAnswer(QMessageBox::Yes); // repair now
        MessageBox::setNextAnswer(QMessageBox::Ok);  // the records recovered
        box->accept();
    });
    QCOMPARE(program.load(), StartUpOutcome::Ready);
    QVERIFY2(warning.startsWith("ATTENZIONE! DATABASE DANNEGGIATO\n\n"), qPrintable(warning));
    QVERIFY(warning.size() > 40); // the reason under it
    QVERIFY2(MessageBox::lastText().contains("Record recuperati:\n"),
             qPrintable(MessageBox::lastText()));
    // Yesterday's copy, made before the clients were added, is offered in
    // place of the repair, with what it lacks.
    QVERIFY2(MessageBox::lastText().contains("ripristinare la copia del 07/12/2026") &&
                 MessageBox::lastText().contains("Clienti assenti dalla copia: C0, C1"),
             qPrintable(MessageBox::lastText()));
    QVERIFY(context.DbArchivi.isOpen() && context.DbArchivi.acceptsWrites());
    const int left = clients(context);
    QVERIFY2(left > 1400 && left < 1500, qPrintable(QString::number(left)));
    // The damaged day was not copied over the good copies.
    QVERIFY(!QFileInfo::exists(dir.filePath("Backup/falmide-2026-12-08.db")));

    // Damage met while working stops the saves; the repair is offered once
    // the user is back at the main window.
    QVERIFY(damageTablePage(context.DbArchivi.path()));
    const int shown = MessageBox::shownCount();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    MessageBox::setNextAnswer(QMessageBox::No);
    QString error;
    QVERIFY(!Snapshot::Open(context.DbArchivi, "SELECT * FROM Clienti", {}, &error));
    QVERIFY(!context.DbArchivi.acceptsWrites());
    QTRY_COMPARE(MessageBox::shownCount(), shown + 2);
    QVERIFY(MessageBox::lastText().startsWith("Riparare ora l'archivio"));
}

void ArchiveMaintenanceTest::changeSinceCleanExitIsChecked()
{
    QTemporaryDir dir;
    {
        Program first(dir.path());
        QCOMPARE(first.load(), StartUpOutcome::Ready);
        QVERIFY(addClients(first.context, 1500));
        noteCleanExit(first.context);
    }
    // The same day, after the day's check: unchanged, opened without a check.
    QCOMPARE(Program(dir.path()).load(), StartUpOutcome::Ready);
    QCOMPARE(MessageBox::shownCount(), 0);
    // Changed while the program was not running: checked again, and a repair
    // declined stops the program with a last word, the file left as it is.
    const QString file = dir.filePath("falmide.db");
    QVERIFY(damageTablePage(file));
    const QByteArray damaged = pdftest::readFile(file);
    Program program(dir.path());
    MessageBox::setNextAnswer(QMessageBox::Ok);
    MessageBox::setNextAnswer(QMessageBox::No);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QCOMPARE(program.load(), StartUpOutcome::DatabaseDamaged);
    // The question, then a last word on what to do.
    QCOMPARE(MessageBox::shownCount(), 3);
    const QString last = MessageBox::lastText();
    QVERIFY2(last.startsWith("Il programma si chiude: l'archivio danneggiato " + file) &&
                 last.contains("falmide ripara") &&
                 last.contains("La copia giornaliera più recente è del 07/12/2026"),
             qPrintable(last));
    QVERIFY(!program.context.DbArchivi.isOpen());
    QCOMPARE(pdftest::readFile(file), damaged);
}

void ArchiveMaintenanceTest::dailyCopyWhileTheUserWorks()
{
    QTemporaryDir dir;
    const QString backup = dir.filePath("Backup");
    {
        Program first(dir.path());
        QCOMPARE(first.load(), StartUpOutcome::Ready);
        QVERIFY(addClients(first.context, 3000));
        noteCleanExit(first.context);
    }
    const QStringList firstCopies{"falmide-2026-12-07.db"};
    QCOMPARE(QDir(backup).entryList(QDir::Files | QDir::Hidden), firstCopies);

    // The day's first start: the copy is made while the program's own
    // connection saves, and the status bar says when it is done.
    Clock::setToday(QDate(2026, 12, 8));
    {
        Program program(dir.path());
        QString error;
        QCOMPARE(program.main.MDIForm_Load(&error), StartUpOutcome::Ready);
        auto* panel = program.main.findChild<QLabel*>("CopiaGiornaliera");
        QVERIFY(panel);
        QVERIFY2(program.context.DbArchivi.execute(
                     "UPDATE datipers SET Denominazione = 'Studio Rossi'", {}, &error),
                 qPrintable(error));
        QTRY_VERIFY(!program.main.dailyCopyRunning());
        QVERIFY2(panel->text().startsWith("Copia giornaliera dell'archivio salvata alle "),
                 qPrintable(panel->text()));
        QVERIFY(QFileInfo::exists(dir.filePath("Backup/falmide-2026-12-08.db")));
        QTest::qWait(300); // a message would come once the main window is idle
        QCOMPARE(MessageBox::shownCount(), 0);
        noteCleanExit(program.context);
    }

    // A copy that cannot be written: said in the status bar, then in a
    // message.
    Clock::setToday(QDate(2026, 12, 9));
    QVERIFY(QDir(dir.path()).rename("Backup", "Copie"));
    QFile(backup).open(QIODevice::WriteOnly);
    {
        Program program(dir.path());
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QCOMPARE(program.load(), StartUpOutcome::Ready);
        QCOMPARE(program.main.findChild<QLabel*>("CopiaGiornaliera")->text(),
                 QStringLiteral("Copia giornaliera dell'archivio non salvata"));
        QTRY_COMPARE(MessageBox::shownCount(), 1);
        QVERIFY2(MessageBox::lastText().startsWith("La copia giornaliera dell'archivio non è "
                                                   "stata salvata:\nImpossibile creare la "
                                                   "cartella"),
                 qPrintable(MessageBox::lastText()));
        noteCleanExit(program.context);
    }
    QVERIFY(QFile::remove(backup));
    QVERIFY(QDir(dir.path()).rename("Copie", "Backup"));
    const QStringList copies{"falmide-2026-12-07.db", "falmide-2026-12-08.db"};

    // Closing the window while the copy works calls it off: no file is
    // left under today's name unless it is the whole checked copy.
    Clock::setToday(QDate(2026, 12, 10));
    {
        Program program(dir.path());
        QString error;
        QCOMPARE(program.main.MDIForm_Load(&error), StartUpOutcome::Ready);
        program.main.close();
        QVERIFY(!program.main.dailyCopyRunning());
        const QString today = dir.filePath("Backup/falmide-2026-12-10.db");
        const QString said = program.main.findChild<QLabel*>("CopiaGiornaliera")->text();
        if (QFileInfo::exists(today)) {
            QVERIFY2(said.startsWith("Copia giornaliera dell'archivio salvata"), qPrintable(said));
            const MaintenanceResult check = checkDatabase(today);
            QVERIFY(check.ok && !check.damaged);
            QVERIFY(QFile::remove(today));
        } else {
            QCOMPARE(said, QStringLiteral("Copia giornaliera dell'archivio interrotta"));
        }
        QCOMPARE(QDir(backup).entryList(QDir::Files | QDir::Hidden), copies);
    }

    // Damage the record of the last exit cannot see: the day's copy finds
    // it, the saves stop at once and the repair is offered; declined, no
    // copy of the damaged file joins the others.
    QVERIFY(damageTablePage(dir.filePath("falmide.db")));
    recordCleanExit(dir.filePath("falmide.ini"), dir.filePath("falmide.db"));
    Clock::setToday(QDate(2026, 12, 11));
    {
        Program program(dir.path());
        const int shown = MessageBox::shownCount();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        MessageBox::setNextAnswer(QMessageBox::No);
        QCOMPARE(program.load(), StartUpOutcome::Ready);
        QVERIFY(!program.context.DbArchivi.acceptsWrites());
        QCOMPARE(program.main.findChild<QLabel*>("CopiaGiornaliera")->text(),
                 QString::fromUtf8("Copia giornaliera non salvata: l'archivio è danneggiato"));
        QTRY_COMPARE(MessageBox::shownCount(), shown + 2);
        QVERIFY2(MessageBox::lastText().startsWith("Riparare ora l'archivio"),
                 qPrintable(MessageBox::lastText()));
        QCOMPARE(QDir(backup).entryList(QDir::Files | QDir::Hidden), copies);
    }
}
