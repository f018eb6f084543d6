#include "MaintenanceTest.h"

#include "DailyCopies.h"
#include "DamagedPage.h"
#include "Database.h"
#include "DatabaseMaintenance.h"
#include "FaultRuns.h"
#include "FileSizeLimit.h"
#include "InstanceLock.h"
#include "Recordset.h"
#include "SchemaCheck.h"
#include "Snapshot.h"
#include "SqliteFile.h"
#include "TestDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

const QString kHelper = QStringLiteral(FALMIDE_FAULT_HELPER);

// A database of `clients` clients, saved in one transaction.
bool makeDatabase(const QString& path, int clients)
{
    Database db;
    QString error;
    if (!db.open(path, &error) || !db.begin(&error))
        return false;
    auto rs = Recordset::OpenTable(db, QStringLiteral("Clienti"), &error);
    for (int i = 0; rs && i < clients; ++i) {
        rs->AddNew();
        rs->setValue(0, QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0')));
        rs->setValue(2, QStringLiteral("Cliente numero %1 con un nome lungo").arg(i));
        rs->setValue(3, QStringLiteral("Via Roma %1").arg(i));
        if (!rs->Update())
            return false;
    }
    return rs && db.commit(&error);
}

// Every table's schema and rows, in a form two files can be compared by.
QStringList dump(const QString& path)
{
    SqliteFile file;
    QList<QVariantList> rows;
    if (!file.open(path, true) ||
        !file.rows(QStringLiteral("SELECT name, sql FROM sqlite_master ORDER BY name"), {}, &rows))
        return {QStringLiteral("unreadable")};
    QStringList out;
    for (const QVariantList& table : rows) {
        out << table.value(1).toString();
        QList<QVariantList> data;
        if (table.value(1).toString().startsWith(QLatin1String("CREATE TABLE")))
            file.rows(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid")
                          .arg(table.value(0).toString()),
                      {}, &data);
        for (const QVariantList& row : data) {
            QStringList fields;
            for (const QVariant& v : row)
                fields << v.toString();
            out << fields.join(QLatin1Char('|'));
        }
    }
    return out;
}

} // namespace

void MaintenanceTest::init()
{
    if (testsOnServer())
        QSKIP("the care of the embedded engine's file: its damage, copies, compaction and locks");
}

void MaintenanceTest::openRefusesWhatItCannotTrust()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    QVERIFY(makeDatabase(path, 3));
    QString error;
    {
        // Durability: the rollback journal, on the disk at every commit.
        Database db;
        QVERIFY(db.open(path, &error));
        QSqlQuery q(db.connection());
        QVERIFY(q.exec("PRAGMA journal_mode") && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("delete"));
        QVERIFY(q.exec("PRAGMA synchronous") && q.next());
        QCOMPARE(q.value(0).toInt(), 2);
    }

    struct Case
    {
        const char* sql;
        OpenFailure kind;
        const char* says;
    };
    const Case cases[] = {
        {"UPDATE SchemaVersion SET Version = 99", OpenFailure::Newer, "versione più recente"},
        {"DROP TABLE Clienti; CREATE TABLE Clienti (Chiave VARCHAR(10), CodCliente VARCHAR(10))",
         OpenFailure::Foreign, "la tabella Clienti ha 2 colonne invece di 15"},
        {"DROP TABLE Fornitori", OpenFailure::Foreign, "manca la tabella Fornitori"},
    };
    for (const Case& c : cases) {
        const QString copy = dir.filePath("copia.db");
        QFile::remove(copy);
        QVERIFY(QFile::copy(path, copy));
        {
            SqliteFile file;
            QVERIFY(file.open(copy) && file.exec(QString::fromUtf8(c.sql)));
        }
        const QByteArray before = fileHash(copy);
        Database db;
        QVERIFY(!db.open(copy, &error));
        QCOMPARE(db.openFailure(), c.kind);
        QVERIFY2(error.contains(QString::fromUtf8(c.says)), qPrintable(error));
        QCOMPARE(fileHash(copy), before);
    }

    // An empty file and a text file: refused, and no schema written into them.
    for (const QByteArray& content :
         {QByteArray(), QByteArray("non è un archivio\n").repeated(200)}) {
        QFile junk(dir.filePath("altro.db"));
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write(content) == content.size());
        junk.close();
        Database db;
        QVERIFY(!db.open(junk.fileName(), &error));
        QVERIFY(!db.isOpen());
        QCOMPARE(db.openFailure(), OpenFailure::Damaged);
        QCOMPARE(fileHash(junk.fileName()),
                 QCryptographicHash::hash(content, QCryptographicHash::Sha256));
    }
}

void MaintenanceTest::olderLayoutIsMigratedInPlace()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    QVERIFY(makeDatabase(path, 2));
    // The next version as a later program would have it: a column appended
    // to Clienti and a new table.
    std::vector<TableDef> next = schemaTables();
    for (TableDef& t : next)
        if (t.name == QLatin1String("Clienti"))
            t.columns.push_back({QStringLiteral("Sito"), FieldType::Text, 60});
    next.push_back({QStringLiteral("Nuova"), {{QStringLiteral("Chiave"), FieldType::Text, 10}}});

    Database db;
    QString error;
    QVERIFY(db.open(path, &error));
    const int later = kSchemaVersion + 1;
    QCOMPARE(checkSchemaTables(db, next, kSchemaVersion, later, true, &error),
             SchemaStatus::Migrated);
    QCOMPARE(checkSchemaTables(db, next, later, later, true, &error), SchemaStatus::Matches);
    auto rs = Recordset::OpenTable(db, QStringLiteral("Clienti"), &error);
    QCOMPARE(rs->fieldCount(), int(tableDef(Table::Clienti).columns.size()) + 1);
    QCOMPARE(rs->RecordCount(), 2);
    QVERIFY(Recordset::OpenTable(db, QStringLiteral("Nuova"), &error));
    QSqlQuery q(db.connection());
    QVERIFY(q.exec("SELECT Version FROM SchemaVersion") && q.next());
    QCOMPARE(q.value(0).toInt(), later);
    // A file that cannot be written is reported, not half-migrated.
    next.back().columns.push_back({QStringLiteral("Altro"), FieldType::Text, 10});
    QCOMPARE(checkSchemaTables(db, next, kSchemaVersion, later, false, &error),
             SchemaStatus::Mismatch);
}

void MaintenanceTest::readOnlyArchiveRefusesSaves()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    QVERIFY(makeDatabase(path, 1));
    QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther |
                                          QFile::ReadOther | QFile::WriteOther);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther);
    const HelperRun run = runHelper({"open", path});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.output.startsWith("readonly=1\nsave: L'archivio"), qPrintable(run.output));
    QVERIFY(run.output.contains("può essere solo letto"));
    QCOMPARE(dump(path).filter("NUOVO").size(), 0);
}

void MaintenanceTest::fullDiskSaveKeepsPreviousRecord()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    QVERIFY(makeDatabase(path, 1));
    Database db;
    QString error;
    QVERIFY(db.open(path, &error));
    auto rs = Recordset::OpenTable(db, QStringLiteral("Clienti"), &error);
    QVERIFY(rs->MoveFirst() && rs->Edit());
    QVERIFY(rs->setValue(8, QString(300000, QLatin1Char('n'))));
    {
        const FileSizeLimit limit(rlim_t(QFileInfo(path).size()));
        QVERIFY(!rs->Update());
    }
    QVERIFY2(rs->lastError().startsWith("Spazio esaurito") ||
                 rs->lastError().startsWith("Errore di lettura o scrittura"),
             qPrintable(rs->lastError()));
    rs->CancelUpdate();
    QVERIFY(!db.damaged());
    QVERIFY(rs->MoveFirst());
    QCOMPARE(rs->text(2), QStringLiteral("Cliente numero 0 con un nome lungo"));
    QCOMPARE(rs->text(8), QString());
    QVERIFY(rs->Edit() && rs->setValue(8, QStringLiteral("note")) && rs->Update());
}

void MaintenanceTest::damageStopsWritesAndRepairRecovers()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    QVERIFY(makeDatabase(path, 2000));
    QVERIFY(damageTablePage(path));
    {
        Database db;
        QString error;
        int reports = 0;
        db.setDamageHandler([&reports](const QString&) { ++reports; });
        // The header and schema are intact: the damage shows when it is read.
        QVERIFY2(db.open(path, &error), qPrintable(error));
        // Rows read straight from the engine meet it as a query does.
        int read = 0;
        QVERIFY(!db.readRows(
            QStringLiteral("SELECT * FROM Clienti"), {},
            [&read](const RowValues&) { return ++read > 0; }, &error));
        QVERIFY2(error.contains("danneggiato"), qPrintable(error));
        QVERIFY(db.damaged());
        QVERIFY(!Snapshot::Open(db, QStringLiteral("SELECT * FROM Clienti"), {}, &error));
        QVERIFY(db.damaged());
        QCOMPARE(reports, 1);
        auto rs = Recordset::OpenTable(db, QStringLiteral("Fornitori"), &error);
        rs->AddNew();
        rs->setValue(0, QStringLiteral("F1"));
        QVERIFY(!rs->Update());
        QVERIFY2(rs->lastError().contains("danneggiato"), qPrintable(rs->lastError()));
    }
    const QByteArray damaged = fileHash(path);
    const MaintenanceResult result = repairDatabase(path);
    QVERIFY2(result.ok, qPrintable(result.error.description));
    QVERIFY(result.damaged);
    QCOMPARE(fileHash(result.keptFile), damaged);
    qint64 recovered = -1;
    for (const TableRows& t : result.tables)
        if (t.table == QLatin1String("Clienti"))
            recovered = t.rows;
    QVERIFY2(recovered > 1900 && recovered < 2000, qPrintable(QString::number(recovered)));
    QVERIFY(checkDatabase(path).ok && !checkDatabase(path).damaged);
    Database db;
    QString error;
    QVERIFY2(db.open(path, &error), qPrintable(error));
    QCOMPARE(Recordset::OpenTable(db, QStringLiteral("Clienti"), &error)->RecordCount(), recovered);
    QVERIFY(describeTables(result.tables)
                .join('\n')
                .contains(QStringLiteral("Clienti: %1 record").arg(recovered)));
}

void MaintenanceTest::repairRefusesWhatIsNoDatabase_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("says");
    QTest::newRow("random bytes") << QByteArray(8192, '\x5a') << "non è un archivio";
    QTest::newRow("empty") << QByteArray() << "è vuoto";
    QTest::newRow("folder") << QByteArray("dir") << "è una cartella";
}

void MaintenanceTest::repairRefusesWhatIsNoDatabase()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    if (content == "dir") {
        QVERIFY(QDir(dir.path()).mkdir("falmide.db"));
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
    }
    const MaintenanceResult result = repairDatabase(path);
    QVERIFY(!result.ok);
    QVERIFY2(result.error.description.contains(says), qPrintable(result.error.description));
    QCOMPARE(QDir(dir.path()).count(), 3u); // ".", ".." and the file: nothing written
}

void MaintenanceTest::compactionKeepsEveryRecord()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    QVERIFY(makeDatabase(path, 10000));
    {
        // Free pages for the compaction to drop.
        SqliteFile file;
        QVERIFY(file.open(path) && file.exec("DELETE FROM Clienti WHERE rowid % 3 = 0"));
    }
    QFile old(dir.filePath("falmide.BAK"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an older copy") > 0);
    old.close();
    const QStringList before = dump(path);
    const QByteArray original = fileHash(path);
    const qint64 size = QFileInfo(path).size();

    const MaintenanceResult result = compactDatabase(path);
    QVERIFY2(result.ok, qPrintable(result.error.description));
    QCOMPARE(result.keptFile, dir.filePath("falmide.BAK"));
    QCOMPARE(fileHash(result.keptFile), original);
    QCOMPARE(dump(path), before);
    QVERIFY(before.size() > 6000);
    QVERIFY(QFileInfo(path).size() < size);
    QCOMPARE(result.sizeBefore, size);
    QCOMPARE(result.sizeAfter, QFileInfo(path).size());
    QCOMPARE(backupFileName("/a/b/archivio.old.db"), QStringLiteral("/a/b/archivio.old.BAK"));

    // The sizes as the compaction's message gives them.
    const std::tuple<qint64, const char*, const char*> sizes[] = {
        {512, ",", "512 byte"},       {96'449, ",", "96,4 kB"},       {24'100'000, ",", "24,1 MB"},
        {18'749'999, ".", "18.7 MB"}, {3'000'000'000, ",", "3,0 GB"},
    };
    for (const auto& [bytes, separator, text] : sizes)
        QCOMPARE(describeSize(bytes, separator), QString::fromUtf8(text));
}

void MaintenanceTest::failedStepLeavesOriginal_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("fault");
    for (const char* command : {"compact", "backup"})
        for (const char* fault : {"no space", "read-only folder", "rename fails"})
            QTest::addRow("%s, %s", command, fault) << command << fault;
}

void MaintenanceTest::failedStepLeavesOriginal()
{
    QFETCH(QString, command);
    QFETCH(QString, fault);
    QTemporaryDir dir;
    const QString folder = dir.filePath("dati");
    QVERIFY(QDir(dir.path()).mkdir("dati"));
    const QString path = folder + "/falmide.db";
    QVERIFY(makeDatabase(path, 3000));
    const QByteArray original = fileHash(path);
    // The copy goes to the same folder, so a read-only folder stops both.
    const QString target = folder + "/copia.db";
    if (fault == QLatin1String("rename fails")) {
        // A folder that is not empty cannot be replaced by a file.
        const QString blocker = command == QLatin1String("compact") ? "falmide.BAK" : "copia.db";
        QVERIFY(QDir(folder).mkpath(blocker + "/dentro"));
    }
    const int entries = int(QDir(folder).count());

    MaintenanceResult result;
    if (fault == QLatin1String("read-only folder")) {
        QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                          QFile::ExeOther);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        const HelperRun run = runHelper({command, path, target});
        result.ok = run.exitCode == 0;
        result.error.description = run.output;
    } else {
        const FileSizeLimit limit(fault == QLatin1String("no space")
                                      ? rlim_t(QFileInfo(path).size() / 2)
                                      : RLIM_INFINITY);
        result = command == QLatin1String("compact") ? compactDatabase(path)
                                                     : backupDatabase(path, target);
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!result.ok);
    QVERIFY(!result.error.description.trimmed().isEmpty());
    QCOMPARE(fileHash(path), original);
    QCOMPARE(int(QDir(folder).count()), entries); // no temporary file left
    QVERIFY(!QFileInfo::exists(folder + "/falmide.BAK") ||
            QFileInfo(folder + "/falmide.BAK").isDir());
    Database db;
    QString error;
    QVERIFY2(db.open(path, &error), qPrintable(error));
}

void MaintenanceTest::dailyCopiesKeepSeven()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    QVERIFY(makeDatabase(path, 10));
    const QDate first(2026, 3, 1);
    for (int day = 0; day < 9; ++day) {
        const DailyCopyOutcome made = makeDailyCopy(path, dir.path(), first.addDays(day));
        QVERIFY2(made.kind == DailyCopyOutcome::Kind::Made, qPrintable(made.error.description));
    }
    QCOMPARE(makeDailyCopy(path, dir.path(), first.addDays(8)).kind,
             DailyCopyOutcome::Kind::NotDue);
    const QStringList copies = QDir(dailyCopyFolder(dir.path())).entryList(QDir::Files);
    QCOMPARE(copies.size(), 7);
    QCOMPARE(copies.first(), QStringLiteral("falmide-2026-03-03.db"));
    QCOMPARE(dump(dailyCopyPath(dir.path(), first.addDays(8))), dump(path));

    // A damaged database is never copied over the good copies.
    const QString other = dir.filePath("altro.db");
    QVERIFY(makeDatabase(other, 2000));
    QVERIFY(damageTablePage(other));
    const DailyCopyOutcome damaged = makeDailyCopy(other, dir.path(), first.addDays(9));
    QCOMPARE(damaged.kind, DailyCopyOutcome::Kind::Damaged);
    QVERIFY(!damaged.problems.isEmpty());
    QCOMPARE(QDir(dailyCopyFolder(dir.path())).entryList(QDir::Files), copies);

    // A clock that ran ahead left copies dated in the future: today's copy
    // is made and kept beside the six newest before it; those are left alone.
    for (int ahead = 1; ahead <= 8; ++ahead)
        QVERIFY(QFile::copy(path, dailyCopyPath(dir.path(), first.addYears(1).addDays(ahead))));
    const DailyCopyOutcome today = makeDailyCopy(path, dir.path(), first.addDays(10));
    QCOMPARE(today.kind, DailyCopyOutcome::Kind::Made);
    QCOMPARE(today.future.size(), 8);
    QVERIFY(QFileInfo::exists(today.file));
    QCOMPARE(today.removed, QStringList{"falmide-2026-03-03.db"});
    QCOMPARE(QDir(dailyCopyFolder(dir.path())).entryList(QDir::Files).size(), 15);
}

void MaintenanceTest::pageCopyIsCheckedAndCalledOff()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    QVERIFY(makeDatabase(path, 500));
    const QString target = dir.filePath("copia.db");
    MaintenanceResult copy = checkedPageCopy(path, target);
    QVERIFY2(copy.ok && !copy.damaged, qPrintable(copy.error.description));
    QCOMPARE(dump(target), dump(path));
    // Nothing else is left in the folder: no journal, no temporary name.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"copia.db", "falmide.db"}));

    // The copy's check is the file's own: a damaged file is found by it,
    // with the problems a full check of the file reports, and no copy stays.
    const QString other = dir.filePath("altro.db");
    QVERIFY(makeDatabase(other, 2000));
    QVERIFY(damageTablePage(other));
    copy = checkedPageCopy(other, dir.filePath("rifiutata.db"));
    QVERIFY2(copy.ok && copy.damaged, qPrintable(copy.error.description));
    QVERIFY(!copy.problems.isEmpty());
    QCOMPARE(copy.problems, checkDatabase(other).problems);
    const DailyCopyOutcome daily = makeDailyCopy(other, dir.path(), QDate(2026, 3, 1));
    QCOMPARE(daily.kind, DailyCopyOutcome::Kind::Damaged);
    QCOMPARE(daily.problems, copy.problems);
    QVERIFY(QDir(dailyCopyFolder(dir.path())).entryList(QDir::Files).isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             (QStringList{"altro.db", "copia.db", "falmide.db"}));

    // Another program holds the file: the copy waits for it, and a cancel
    // from another thread ends the wait with nothing left behind (without
    // it the wait would end as busy).
    SqliteFile holder;
    QVERIFY(holder.open(path));
    QVERIFY(holder.exec("BEGIN EXCLUSIVE"));
    std::atomic<bool> cancel{false};
    MaintenanceResult stopped;
    std::thread worker(
        [&] { stopped = checkedPageCopy(path, dir.filePath("interrotta.db"), &cancel); });
    QTest::qWait(50);
    cancel = true;
    worker.join();
    QVERIFY(!stopped.ok);
    QVERIFY2(stopped.error.description.contains("interrotta"),
             qPrintable(stopped.error.description));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             (QStringList{"altro.db", "copia.db", "falmide.db"}));
    QVERIFY(holder.exec("ROLLBACK"));
}

void MaintenanceTest::killedWhileSavingLosesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("falmide.db");
    QVERIFY(makeDatabase(path, 0));
    QStringList saved;
    auto* random = QRandomGenerator::global();
    for (int round = 0; round < 200; ++round) {
        QProcess p;
        p.start(kHelper, {"save-loop", path});
        QVERIFY(p.waitForStarted());
        // Mostly while saving; sometimes before the first save.
        if (round % 4 != 0)
            p.waitForReadyRead(5000);
        QThread::usleep(random->bounded(4000));
        p.kill();
        p.waitForFinished();
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        // Only whole lines: a code is printed after its commit returned.
        saved << out.left(out.lastIndexOf(QLatin1Char('\n')) + 1).split('\n', Qt::SkipEmptyParts);

        // Opened for writing, as the next start would: a save cut short
        // is rolled back from its journal.
        SqliteFile file;
        QVERIFY(file.open(path));
        QCOMPARE(file.value("PRAGMA integrity_check").toString(), QStringLiteral("ok"));
        const int rows = file.value("SELECT count(*) FROM Clienti").toInt();
        QVERIFY2(rows >= saved.size(), qPrintable(QString("round %1").arg(round)));
    }
    QList<QVariantList> rows;
    SqliteFile file;
    QVERIFY(file.open(path, true) && file.rows("SELECT trim(Chiave) FROM Clienti", {}, &rows));
    QSet<QString> present;
    for (const QVariantList& row : rows)
        present.insert(row.value(0).toString());
    for (const QString& code : std::as_const(saved))
        QVERIFY2(present.contains(code), qPrintable(code));
    QVERIFY(saved.size() > 100);
}
