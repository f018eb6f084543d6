#include "AppTests.h"

#include "AppContext.h"
#include "HeadingData.h"
#include "PdfTestSupport.h"
#include "QtTranslations.h"
#include "Recordset.h"
#include "StartUp.h"

#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>
#include <csignal>

void StartUpTest::separators_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("thousands");
    QTest::newRow("Italian") << QStringLiteral("it_IT") << QStringLiteral(",") << ".";
    QTest::newRow("English") << QStringLiteral("en_US") << QStringLiteral(".") << ",";
    QTest::newRow("Swiss Italian") << QStringLiteral("it_CH") << QStringLiteral(".") << ",";
}

void StartUpTest::separators()
{
    QFETCH(QString, locale);
    QFETCH(QString, decimal);
    QFETCH(QString, thousands);
    const Separators s = separatorsFromLocale(QLocale(locale));
    QCOMPARE(s.decimal, decimal);
    QCOMPARE(s.thousands, thousands);
}

void StartUpTest::datePanel()
{
    // The panel follows the window's width; too narrow, it keeps its last.
    QCOMPARE(::datePanelWidth(1500, 12000, 3000), 12000.0 - 1500 - 120 - 90);
    QCOMPARE(::datePanelWidth(1500, 1620, 3000), 3000.0);
    QCOMPARE(::datePanelWidth(1500, 1621, 3000), 1621.0 - 1500 - 210);
}

void StartUpTest::freshFolderGetsDatabase()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("nuova/cartella");
    const QString before = QDir::currentPath();
    {
        AppContext context;
        context.programFolder = folder;
        QString error;
        QCOMPARE(openArchives(context, &error), StartUpOutcome::Ready);
        // Every file is found through the data folder, wherever the program was started.
        QCOMPARE(QDir::currentPath(), before);
        QCOMPARE(context.DbArchivi.path(), folder + "/falmide.db");
        QCOMPARE(context.DatiUtente, QStringList(6));
        // Without a heading record the data is six empty strings, not an error.
        QVERIFY(context.DbArchivi.execute("DELETE FROM datipers", {}, &error));
        QStringList dati;
        QVERIFY(loadHeadingData(context.DbArchivi, &dati, &error));
        QCOMPARE(dati, QStringList(6));

        auto rs = Recordset::OpenTable(context.DbArchivi, "Clienti", &error);
        rs->AddNew();
        rs->setValue(0, "c1");
        QVERIFY(rs->Update());
    }
    QVERIFY(QFile::exists(folder + "/falmide.db"));
    {
        // The second start opens the same file and finds the record.
        AppContext context;
        context.programFolder = folder;
        QString error;
        QCOMPARE(openArchives(context, &error), StartUpOutcome::Ready);
        auto rs = Recordset::OpenTable(context.DbArchivi, "Clienti", &error);
        QCOMPARE(rs->RecordCount(), 1);
    }
}

void StartUpTest::damagedDatabaseIsLeftAlone()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    const QByteArray junk = "SQLite format 3" + QByteArray(4096, '\x5a');
    QVERIFY(pdftest::writeFile(path, junk));
    AppContext context;
    context.programFolder = dir.path();
    QString error;
    QCOMPARE(openArchives(context, &error), StartUpOutcome::DatabaseDamaged);
    QVERIFY(!error.isEmpty());
    QVERIFY(!context.DbArchivi.isOpen());
    QCOMPARE(pdftest::readFile(path), junk);
}

void StartUpTest::unusableDataFolder()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("occupato");
    QFile(file).open(QIODevice::WriteOnly);
    AppContext context;
    context.programFolder = file + "/falmide";
    QString error;
    QCOMPARE(openArchives(context, &error), StartUpOutcome::DataFolderUnusable);
    QVERIFY2(error.contains(context.programFolder), qPrintable(error));
}

void StartUpTest::qtDialogsSpeakItalian()
{
    // Whatever the locale the test runs under.
    QTranslator* translator = installQtItalian();
    QVERIFY(translator);
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes |
                         QDialogButtonBox::No);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Annulla"));
    QCOMPARE(box.button(QDialogButtonBox::Yes)->text(), QString::fromUtf8("&Sì"));
    QCoreApplication::removeTranslator(translator);
    delete translator;
    QCOMPARE(QDialogButtonBox(QDialogButtonBox::Cancel).buttons().value(0)->text(),
             QStringLiteral("Cancel"));
}

void StartUpTest::signalEndsTheProgramCleanly_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void StartUpTest::signalEndsTheProgramCleanly()
{
    QFETCH(int, signal);
    QTemporaryDir home, temp;
    // Left by a run that was killed: swept at start-up.
    QProcess ended;
    ended.start("true", QStringList());
    QVERIFY(ended.waitForStarted());
    const QString leftBehind =
        temp.filePath(QStringLiteral("falmide-%1-aB3dE9").arg(ended.processId()));
    QVERIFY(ended.waitForFinished());
    QVERIFY(QDir().mkpath(leftBehind));
    QFile(leftBehind + "/.lock").open(QIODevice::WriteOnly);
    QFile(leftBehind + "/~WRK0000.Tmp").open(QIODevice::WriteOnly);

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("FALMIDE_HOME", home.path());
    environment.insert("TEMP", temp.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(FALMIDE_PROGRAM, QStringList());
    QVERIFY(program.waitForStarted());
    // The database is made after the handlers are in place; the folder
    // left behind is swept once the archives are open, the window up.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.filePath("falmide.db")), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(leftBehind), 30000);
    ::kill(pid_t(program.processId()), signal);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    // Everything a clean end does is done before the process goes: the
    // archive's lock released, the clean end noted, no page folder left.
    QVERIFY(!QFileInfo::exists(home.filePath("falmide.lock")));
    QFile settings(home.filePath("falmide.ini"));
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QVERIFY(settings.readAll().contains("Chiusura="));
    QCOMPARE(QDir(temp.path()).entryList({QStringLiteral("falmide-*")}, QDir::AllEntries),
             QStringList());
}
