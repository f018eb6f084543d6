// The database's care under the faults an audit meets: damage of every
// kind, a disk that fails, locks left behind, kills at each step.
#include "MaintenanceTest.h"

#include "DailyCopies.h"
#include "Database.h"
#include "DatabaseMaintenance.h"
#include "FaultRuns.h"
#include "InstanceLock.h"
#include "SqliteFile.h"
#include "TemporaryFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kHelper = QStringLiteral(FALMIDE_FAULT_HELPER);
const QStringList kOwnTables{"Clienti",  "Fornitori", "Fatture",
                             "Parcelle", "Movimenti", "datipers"};

// An archive shaped as the program fills it: clients with notes long enough
// to spill onto overflow pages, a few years of invoices and purchases.
bool makeArchive(const QString& path)
{
    QString error;
    if (!Database::createFile(path, &error))
        return false;
    SqliteFile file;
    if (!file.open(path) || !file.exec("BEGIN"))
        return false;
    auto* random = QRandomGenerator::global();
    for (int i = 1; i <= 400; ++i) {
        const QString code = QStringLiteral("C%1").arg(i, 4, 10, QLatin1Char('0'));
        if (!file.rows("INSERT INTO Clienti (Chiave, CodCliente, Denominazione, Citta, Note) "
                       "VALUES (?, ?, ?, ?, ?)",
                       {code.leftJustified(10), code, QStringLiteral("Studio Cliente %1").arg(i),
                        "Forlì", QString(i % 7 == 0 ? 5000 : 40, QChar(u'a' + i % 26))},
                       nullptr))
            return false;
    }
    for (int year = 2021; year <= 2024; ++year)
        for (int n = 1; n <= 400; ++n)
            if (!file.rows(
                    "INSERT INTO Fatture (Chiave, Data, Numero, CodCli, Oggetto, "
                    "Descrizione, Onorario, AliqIVA, ImportoIVA) VALUES "
                    "(?, ?, ?, ?, ?, ?, ?, 22, ?)",
                    {QStringLiteral("%1%2").arg(year).arg(n, 10),
                     QStringLiteral("%1-03-%2").arg(year).arg(n % 28 + 1, 2, 10, QLatin1Char('0')),
                     n, QStringLiteral("C%1").arg(n % 400 + 1, 4, 10, QLatin1Char('0')),
                     QStringLiteral("Rilievo e pratica catastale %1").arg(n),
                     QStringLiteral("Descrizione della prestazione numero %1").arg(n),
                     qint64(random->bounded(100000, 300000)),
                     qint64(random->bounded(20000, 60000))},
                    nullptr))
                return false;
    for (int n = 1; n <= 300; ++n)
        if (!file.rows("INSERT INTO Movimenti (Chiave, Data, Numero, CodFor, Imponibile) "
                       "VALUES (?, '2024-05-01', ?, 'F1', ?)",
                       {QStringLiteral("2024%1").arg(n, 10), n, qint64(n * 1000)}, nullptr))
            return false;
    return file.exec("COMMIT");
}

// Every row of the program's tables, as text, by table.
QMap<QString, QSet<QString>> rowsOf(const QString& path)
{
    QMap<QString, QSet<QString>> rows;
    SqliteFile file;
    if (!file.open(path, true))
        return rows;
    for (const QString& table : kOwnTables) {
        QList<QVariantList> data;
        file.rows(QStringLiteral("SELECT * FROM \"%1\"").arg(table), {}, &data);
        for (const QVariantList& row : data) {
            QStringList fields;
            for (const QVariant& v : row)
                fields << (v.isNull() ? QStringLiteral("<null>") : v.toString());
            rows[table].insert(fields.join('|'));
        }
    }
    return rows;
}

// The rows of the program's tables that `sqlite3 .dump` salvages, loaded into
// a new file as users do (sqlite3 damaged.db .dump | sqlite3 new.db); only
// rows of the sound file count: a page cut short dumps rows of nothing.
int dumpedRows(const QString& path, const QMap<QString, QSet<QString>>& original)
{
    QProcess dump;
    dump.start("sqlite3", {path, ".dump"});
    dump.waitForFinished(60000);
    const QString loaded = path + ".dump.db";
    QFile::remove(loaded);
    QProcess load;
    load.start("sqlite3", {loaded});
    // A dump that met damage ends by rolling everything back: what it wrote
    // before counts all the same.
    load.write(dump.readAllStandardOutput().replace("ROLLBACK; -- due to errors", "COMMIT;"));
    load.closeWriteChannel();
    load.waitForFinished(60000);
    int rows = 0;
    const auto salvaged = rowsOf(loaded);
    for (auto it = salvaged.begin(); it != salvaged.end(); ++it)
        for (const QString& row : it.value())
            rows += original.value(it.key()).contains(row) ? 1 : 0;
    return rows;
}

void overwrite(const QString& path, qint64 at, qint64 bytes, quint32 seed)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QRandomGenerator random(seed);
    QByteArray noise(bytes, '\0');
    for (char& c : noise)
        c = char(random.bounded(256));
    f.seek(at);
    f.write(noise);
}

QStringList hiddenFiles(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\."));
}

int links(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_nlink) : 0;
}

} // namespace

void MaintenanceTest::repairRecoversWhatPagesHold_data()
{
    // Each row: how the file is damaged (cut at half or mid-page, pages
    // overwritten with noise, or page 1 after its header), as audits damage files.
    QTest::addColumn<qint64>("cutAt");
    QTest::addColumn<int>("pages");
    QTest::addColumn<bool>("schemaPage");
    QTest::newRow("cut at half") << qint64(-2) << 0 << false;
    QTest::newRow("cut at three quarters, mid-page") << qint64(-3) << 0 << false;
    QTest::newRow("1 random page") << qint64(0) << 1 << false;
    QTest::newRow("20 random pages") << qint64(0) << 20 << false;
    QTest::newRow("schema page") << qint64(0) << 0 << true;
    QTest::newRow("schema page and 5 pages") << qint64(0) << 5 << true;
}

void MaintenanceTest::repairRecoversWhatPagesHold()
{
    QFETCH(qint64, cutAt);
    QFETCH(int, pages);
    QFETCH(bool, schemaPage);
    static QTemporaryDir dir;
    const QString sound = dir.filePath("sano.db");
    if (!QFileInfo::exists(sound))
        QVERIFY(makeArchive(sound));
    const auto original = rowsOf(sound);
    int total = 0;
    for (const auto& rows : original)
        total += int(rows.size());

    const QString path = dir.filePath(
        QStringLiteral("danneggiato-%1.db").arg(QTest::currentDataTag()).replace(' ', '_'));
    QFile::remove(path);
    QVERIFY(QFile::copy(sound, path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const qint64 size = QFileInfo(path).size();
    constexpr int kPage = 4096;
    if (cutAt != 0)
        QVERIFY(QFile::resize(path, cutAt == -2 ? size / 2 : size * 3 / 4 + 1000));
    const quint32 seed = quint32(qHash(QString::fromLatin1(QTest::currentDataTag())));
    QRandomGenerator random(seed);
    for (int i = 0; i < pages; ++i)
        overwrite(path, qint64(random.bounded(1, int(size / kPage))) * kPage, kPage, seed + i);
    if (schemaPage)
        overwrite(path, 100, kPage - 100, seed);

    const int dumped = dumpedRows(path, original);
    const MaintenanceResult result = repairDatabase(path);
    QVERIFY2(result.ok, qPrintable(result.error.description));
    QVERIFY(result.damaged);
    int recovered = 0;
    for (const TableRows& t : result.tables)
        recovered += kOwnTables.contains(t.table) ? int(t.rows) : 0;
    qInfo("%-34s recovered %5d of %d rows; sqlite3 .dump %5d", QTest::currentDataTag(), recovered,
          total, dumped);
    QVERIFY2(recovered >= dumped, qPrintable(QString("%1 < %2").arg(recovered).arg(dumped)));
    // Nothing invented: every row recovered is a row of the sound file.
    const auto repaired = rowsOf(path);
    for (auto it = repaired.begin(); it != repaired.end(); ++it)
        for (const QString& row : it.value())
            QVERIFY2(original.value(it.key()).contains(row),
                     qPrintable(it.key() + ": " + row.left(200)));
    Database db;
    QString error;
    QVERIFY2(db.open(path, &error), qPrintable(error));
}

void MaintenanceTest::repairStopsWhenTheDiskFails()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    QVERIFY(makeArchive(path));
    overwrite(path, 40 * 4096, 4096, 7);
    const QByteArray before = fileHash(path);
    // Early (the check) and late (the rebuild's own reading).
    for (const char* reads : {"3", "300"}) {
        const HelperRun run = runHelper({"repair-eio", path, reads});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.output.contains("Il disco non ha potuto leggere"), qPrintable(run.output));
        QCOMPARE(fileHash(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
}

void MaintenanceTest::lockFileNeverLocksOut()
{
    QTemporaryDir dir;
    const QString lockFile = dir.filePath("falmide.lock");
    // Left empty or garbled by a kill or a power cut: no lock at all.
    for (const QByteArray& content : {QByteArray(), QByteArray("\x01\xff garbage\n")}) {
        QFile f(lockFile);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        f.close();
        InstanceLock lock(dir.path());
        QString error;
        QVERIFY2(lock.acquire(&error), qPrintable(error));
    }
    // Held by another process: the message names the file and the process.
    QProcess holder;
    holder.start(kHelper, {"hold-lock", dir.path()});
    QVERIFY(holder.waitForReadyRead(10000));
    InstanceLock second(dir.path());
    QString error;
    QVERIFY(!second.acquire(&error));
    QVERIFY2(error.contains("già aperto") && error.contains(lockFile) &&
                 error.contains(QString("processo %1").arg(holder.processId())),
             qPrintable(error));
    // Killed outright: the kernel lets the lock go.
    holder.kill();
    holder.waitForFinished();
    QVERIFY2(second.acquire(&error), qPrintable(error));

    // A folder that takes no new file is said to be read-only, by an
    // ordinary user (root writes through permissions).
    const QString folder = dir.filePath("sola-lettura");
    QVERIFY(QDir().mkpath(folder));
    QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);
    QFile::setPermissions(folder,
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    const HelperRun run = runHelper({"lock", folder});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.output.contains("solo letto") && !run.output.contains("Impossibile bloccare la "
                                                                       "cartella"),
             qPrintable(run.output));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void MaintenanceTest::compactionNeverSharesAFile_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("copy written") << "compattamento: copia scritta";
    QTest::newRow("names exchanged") << "compattamento: scambio fatto";
}

void MaintenanceTest::compactionNeverSharesAFile()
{
    QFETCH(QString, step);
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    const QString kept = dir.filePath("falmide.BAK");
    QVERIFY(makeArchive(path));
    {
        QFile previous(kept);
        QVERIFY(previous.open(QIODevice::WriteOnly) && previous.write("la copia precedente") > 0);
    }
    const QByteArray original = fileHash(path);
    const auto rows = rowsOf(path);

    const HelperRun run = runHelper({"compact-kill", path, step});
    QCOMPARE(run.exitCode, -1); // killed
    QCOMPARE(links(path), 1);
    // What the next start does before it opens the file.
    finishInterruptedCompaction(path);
    QCOMPARE(links(path), 1);
    QCOMPARE(links(kept), 1);
    QCOMPARE(rowsOf(path), rows);
    if (step.endsWith("copia scritta")) {
        QCOMPARE(fileHash(path), original);
        QCOMPARE(fileHash(kept),
                 QCryptographicHash::hash("la copia precedente", QCryptographicHash::Sha256));
    } else {
        QCOMPARE(fileHash(kept), original);
    }
    QCOMPARE(hiddenFiles(dir.path()), QStringList());
    // Later saves change the database only.
    const QByteArray backup = fileHash(kept);
    SqliteFile file;
    QVERIFY(file.open(path) && file.exec("DELETE FROM Movimenti"));
    QCOMPARE(fileHash(kept), backup);
}

void MaintenanceTest::readOnlyAndLinkedDatabases()
{
    QTemporaryDir dir;
    const QString real = dir.filePath("altrove/falmide.db");
    QVERIFY(QDir().mkpath(dir.filePath("altrove")));
    QVERIFY(makeArchive(real));

    // Its owner may only read it: never compacted over.
    QFile::setPermissions(real, QFile::ReadOwner);
    const QByteArray before = fileHash(real);
    MaintenanceResult result = compactDatabase(real);
    QVERIFY(!result.ok);
    QVERIFY2(result.error.description.contains("solo letto"), qPrintable(result.error.description));
    QCOMPARE(fileHash(real), before);
    QVERIFY(!QFileInfo::exists(dir.filePath("altrove/falmide.BAK")));
    QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner);

    // A database that is a link: compacted and repaired in the file it names.
    const QString link = dir.filePath("falmide.db");
    QVERIFY(QFile::link(real, link));
    result = compactDatabase(link);
    QVERIFY2(result.ok, qPrintable(result.error.description));
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(QFileInfo::exists(dir.filePath("altrove/falmide.BAK")));
    overwrite(real, 30 * 4096, 4096, 3);
    result = repairDatabase(link);
    QVERIFY2(result.ok && result.damaged, qPrintable(result.error.description));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(result.keptFile).absolutePath(), dir.filePath("altrove"));
    QVERIFY(!checkDatabase(real).damaged);

    // A copy over the database by another name is refused.
    QVERIFY(::link(QFile::encodeName(real).constData(),
                   QFile::encodeName(dir.filePath("stesso.db")).constData()) == 0);
    for (const QString& target : {link, dir.filePath("stesso.db")}) {
        const QByteArray live = fileHash(real);
        result = backupDatabase(real, target);
        QVERIFY2(!result.ok && result.error.description.contains("archivio stesso"),
                 qPrintable(target));
        QCOMPARE(fileHash(real), live);
    }
}

void MaintenanceTest::killedWritersLeaveNothing()
{
    QTemporaryDir dir;
    const QString target = dir.filePath("Fattura_2026_1.pdf");
    // Killed outright: left behind until a later run finds its writer gone.
    QProcess killed;
    killed.start(kHelper, {"stage", target});
    QVERIFY(killed.waitForReadyRead(10000));
    const QString left = QString::fromUtf8(killed.readLine()).trimmed();
    QVERIFY2(QFileInfo(left).fileName().startsWith(".Fattura_2026_1.pdf."), qPrintable(left));
    QVERIFY(QFile(left + "-journal").open(QIODevice::WriteOnly));
    QCOMPARE(removeStaleTemporaries(dir.path()), QStringList()); // its writer still runs
    killed.kill();
    killed.waitForFinished();
    QCOMPARE(removeStaleTemporaries(dir.path()).size(), 2);
    QCOMPARE(hiddenFiles(dir.path()), QStringList());

    // Ended by SIGTERM: a command takes its temporaries with it.
    QProcess ended;
    ended.start(kHelper, {"stage", target, "term"});
    QVERIFY(ended.waitForReadyRead(10000));
    const QString own = QString::fromUtf8(ended.readLine()).trimmed();
    QVERIFY(QFileInfo::exists(own));
    ::kill(pid_t(ended.processId()), SIGTERM);
    QVERIFY(ended.waitForFinished(10000));
    QCOMPARE(ended.exitStatus(), QProcess::CrashExit);
    QVERIFY(!QFileInfo::exists(own));
    QCOMPARE(hiddenFiles(dir.path()), QStringList());
}
