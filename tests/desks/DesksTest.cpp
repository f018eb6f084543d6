#include "DesksTest.h"

#include "Client.h"
#include "Database.h"
#include "DocumentKey.h"
#include "FeeDocument.h"
#include "Supplier.h"
#include "TestDatabase.h"

#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>
#include <memory>

namespace {

// The desk program's dates (tests/desks/desk.cpp): new documents on the
// day it works on, the records every desk edits in the year before.
const QDate kSharedDate(2025, 6, 30);
constexpr int kSharedRecords = 3;
constexpr int kDeskTimeout = 240'000;

// One desk process and every line it said.
struct Desk
{
    QString mark;
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    QStringList lines;

    Desk() = default;
    Desk(const Desk&) = delete;
    Desk& operator=(const Desk&) = delete;
    // A desk the test gave up on goes with it.
    ~Desk()
    {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished();
        }
    }

    // Reads what the desk says until a line begins with `prefix`; false when
    // it ends or times out first.
    bool readUntil(const QString& prefix, int timeout = kDeskTimeout)
    {
        QDeadlineTimer deadline(timeout);
        for (;;) {
            while (process->canReadLine()) {
                lines << QString::fromUtf8(process->readLine()).trimmed();
                if (lines.last().startsWith(prefix))
                    return true;
            }
            if (deadline.hasExpired() || process->state() == QProcess::NotRunning)
                return false;
            process->waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        }
    }
    QStringList said(const QString& what) const
    {
        QStringList found;
        for (const QString& line : lines)
            if (line.startsWith(what + QLatin1Char(' ')))
                found << line.mid(what.size() + 1);
        return found;
    }
};

std::unique_ptr<Desk> startDesk(const ServerConnection& server, const QString& mark, int count,
                                int pauseAt = 0)
{
    auto desk = std::make_unique<Desk>();
    desk->mark = mark;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (pauseAt > 0)
        environment.insert(QStringLiteral("FALMIDE_DESK_PAUSE_AT"), QString::number(pauseAt));
    desk->process->setProcessEnvironment(environment);
    desk->process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    desk->process->start(QStringLiteral(FALMIDE_DESK_PROGRAM),
                         {describeServer(server), mark, QString::number(count)});
    return desk;
}

// Starts the desks together: each has connected and waits for the others.
void startTogether(const std::vector<std::unique_ptr<Desk>>& desks)
{
    for (const auto& desk : desks)
        QVERIFY2(desk->readUntil(QStringLiteral("ready")), qPrintable(desk->lines.join('\n')));
    // Written at once: a QProcess only sends what it buffered when waited on.
    for (const auto& desk : desks)
        desk->process->write("go\n");
    for (const auto& desk : desks)
        QVERIFY(desk->process->waitForBytesWritten());
}

void waitUntilDone(Desk& desk)
{
    QVERIFY2(desk.readUntil(QStringLiteral("done")),
             qPrintable(desk.mark + QLatin1String(": ") + desk.lines.join('\n')));
    QVERIFY(desk.process->waitForFinished(kDeskTimeout));
    QCOMPARE(desk.process->exitCode(), 0);
}

QList<QVariantList> rows(Database& db, const QString& sql)
{
    QSqlQuery q(db.connection());
    QList<QVariantList> found;
    if (!q.exec(sql)) {
        qWarning() << sql << q.lastError().text();
        return {{QStringLiteral("query failed")}};
    }
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i);
        found << row;
    }
    return found;
}

qint64 single(Database& db, const QString& sql)
{
    const auto found = rows(db, sql);
    return found.size() == 1 ? found.first().value(0).toLongLong() : -1;
}

// A client, a supplier, and the invoices and purchases every desk edits.
void prepare(Database& db)
{
    QString error;
    Client client;
    client.code = QStringLiteral("B1");
    client.name = QStringLiteral("Bianchi Anna");
    QCOMPARE(Clients(db).save(client, SaveMode::AddOnly, &error), SaveResult::StoredNew);
    Supplier supplier;
    supplier.code = QStringLiteral("F1");
    supplier.name = QStringLiteral("Cartoleria Verdi");
    QCOMPARE(Suppliers(db).save(supplier, SaveMode::AddOnly, &error), SaveResult::StoredNew);
    for (int n = 1; n <= kSharedRecords; ++n) {
        FeeDocument shared;
        shared.key = *DocumentKey::of(kSharedDate, n);
        shared.date = kSharedDate;
        shared.clientCode = client.code;
        shared.subject = QStringLiteral("condivisa");
        QCOMPARE(FeeDocuments(db, FeeDocumentKind::Invoice).save(shared, SaveMode::AddOnly, &error),
                 SaveResult::StoredNew);
        QVERIFY2(db.execute(QStringLiteral("INSERT INTO Movimenti (Chiave, Data, Numero, CodFor, "
                                           "Descrizione, Esente) VALUES (?, ?, ?, 'F1', "
                                           "'condiviso', 0)"),
                            {shared.key.stored(), kSharedDate.toString(Qt::ISODate), n}, &error),
                 qPrintable(error));
    }
}

// What the desks said they stored is what the server holds, each document
// under one number of its year and type and with the text its desk gave
// it; no refusal names a number that its own desk stored, and every
// accepted edit of a shared record is in it.
void checkServerAgainst(Database& db, const std::vector<std::unique_ptr<Desk>>& desks)
{
    QHash<QString, QString> saved; // "invoice 2026 17" -> its text "c-33"
    QHash<QString, QString> savedBy;
    QHash<QString, int> edits; // "invoice 1" -> accepted edits
    QHash<QString, QHash<QChar, int>> marks;
    QSet<QString> sent; // "2026 17 A0005"
    for (const auto& desk : desks) {
        for (const QString& line : desk->said(QStringLiteral("saved"))) {
            const QString key = line.section(QLatin1Char(' '), 0, 2);
            QVERIFY2(!saved.contains(key), qPrintable("number given twice: " + key));
            saved.insert(key, line.section(QLatin1Char(' '), 3));
            savedBy.insert(key, desk->mark);
        }
        for (const QString& line : desk->said(QStringLiteral("edited"))) {
            ++edits[line];
            ++marks[line][desk->mark.at(0)];
        }
        for (const QString& line : desk->said(QStringLiteral("sent"))) {
            QVERIFY2(!sent.contains(line), qPrintable(line));
            sent.insert(line);
        }
    }
    for (const auto& desk : desks)
        for (const QString& line : desk->said(QStringLiteral("refused-taken"))) {
            const QString key = line.section(QLatin1Char(' '), 0, 2);
            QVERIFY2(savedBy.value(key, desk->mark) != desk->mark,
                     qPrintable(desk->mark + QLatin1String(" refused ") + line));
        }

    QHash<QString, QString> stored;
    const QString year = QString::number(QDate(2026, 3, 2).year());
    for (const auto& row :
         rows(db, "SELECT Numero, Oggetto FROM Fatture WHERE Chiave LIKE '" + year + "%'"))
        stored.insert(QStringLiteral("invoice %1 %2").arg(year, row.at(0).toString()),
                      row.at(1).toString());
    for (const auto& row :
         rows(db, "SELECT Numero, Descrizione FROM Movimenti WHERE Chiave LIKE '" + year + "%'"))
        stored.insert(QStringLiteral("purchase %1 %2").arg(year, row.at(0).toString()),
                      row.at(1).toString());
    QCOMPARE(stored.size(), saved.size());
    QCOMPARE(stored, saved);
    for (const char* table : {"Fatture", "Movimenti"})
        QCOMPARE(single(db, QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 GROUP BY "
                                           "substr(Chiave, 1, 4), Numero HAVING count(*) > 1) d")
                                .arg(table)),
                 qint64(0));

    for (const auto& row : rows(db, "SELECT Numero, Note FROM Fatture WHERE Chiave LIKE "
                                    "'2025%' ORDER BY Numero")) {
        const QString name = QStringLiteral("invoice ") + row.at(0).toString();
        const QString notes = row.at(1).toString();
        QCOMPARE(notes.size(), edits.value(name));
        for (auto it = marks[name].cbegin(); it != marks[name].cend(); ++it)
            QCOMPARE(notes.count(it.key()), it.value());
    }
    for (const auto& row : rows(db, "SELECT Numero, Esente FROM Movimenti WHERE Chiave "
                                    "LIKE '2025%' ORDER BY Numero")) {
        const QString name = QStringLiteral("purchase ") + row.at(0).toString();
        QCOMPARE(row.at(1).toLongLong(), qint64(edits.value(name)));
    }

    // Each sending under a progressive of its own, of the invoice written.
    QSet<QString> recorded;
    for (const auto& row : rows(db, "SELECT Fattura, Progressivo FROM Invii")) {
        const auto key = DocumentKey::fromStored(row.at(0).toString());
        QVERIFY(key);
        recorded.insert(QStringLiteral("%1 %2 %3")
                            .arg(key->year())
                            .arg(key->number())
                            .arg(row.at(1).toString()));
    }
    QCOMPARE(recorded, sent);
    QCOMPARE(single(db, "SELECT count(DISTINCT Contatore) FROM Invii"), qint64(sent.size()));
    QCOMPARE(single(db, "SELECT count(*) FROM Invii WHERE Fattura NOT IN (SELECT Chiave FROM "
                        "Fatture WHERE XMLScritto IS NOT NULL)"),
             qint64(0));
    QCOMPARE(single(db, "SELECT count(*) FROM Fatture WHERE XMLScritto IS NOT NULL AND Chiave "
                        "NOT IN (SELECT Fattura FROM Invii)"),
             qint64(0));
}

int count(const std::vector<std::unique_ptr<Desk>>& desks, const QString& what)
{
    int n = 0;
    for (const auto& desk : desks)
        n += int(desk->said(what).size());
    return n;
}

} // namespace

void DesksTest::initTestCase()
{
    if (!testsOnServer())
        QSKIP("the desks share a database server");
}

void DesksTest::racingDesksLoseNothing()
{
    QTemporaryDir dir;
    ServerConnection server;
    QString error;
    QVERIFY2(testServerDatabase(dir.filePath("desks"), &server, &error), qPrintable(error));
    Database db;
    QVERIFY2(db.openServer(server, &error), qPrintable(error));
    prepare(db);
    QVERIFY(!QTest::currentTestFailed());

    constexpr int kDesks = 8;
    constexpr int kDocuments = 200;
    std::vector<std::unique_ptr<Desk>> desks;
    for (int i = 0; i < kDesks; ++i)
        desks.push_back(startDesk(server, QString(QChar('a' + i)), kDocuments));
    startTogether(desks);
    for (const auto& desk : desks)
        waitUntilDone(*desk);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(count(desks, "saved"), kDesks * kDocuments);
    qInfo("%d numbers taken meanwhile, %d records changed meanwhile, %d sendings",
          count(desks, "refused-taken"), count(desks, "refused-changed"), count(desks, "sent"));
    // Eight desks pressing "Nuovo" at once cannot all get a number free,
    QVERIFY(count(desks, "refused-taken") > 0);
    // and a shared record edited at once is saved by one of them only.
    QVERIFY(count(desks, "refused-changed") > 0);
    QCOMPARE(count(desks, "edited"), kDesks * kDocuments / 10);
    checkServerAgainst(db, desks);
}

void DesksTest::aDeskKilledMidSave()
{
    QTemporaryDir dir;
    ServerConnection server;
    QString error;
    QVERIFY2(testServerDatabase(dir.filePath("killed"), &server, &error), qPrintable(error));
    {
        Database db;
        QVERIFY2(db.openServer(server, &error), qPrintable(error));
        prepare(db);
    }
    QVERIFY(!QTest::currentTestFailed());

    // The killed desk stops inside the save of an invoice with its sending.
    std::vector<std::unique_ptr<Desk>> desks;
    desks.push_back(startDesk(server, QStringLiteral("k"), 60, 21));
    for (const char* mark : {"p", "q", "r"})
        desks.push_back(startDesk(server, QString::fromLatin1(mark), 60));
    startTogether(desks);
    Desk& killed = *desks.front();
    QVERIFY2(killed.readUntil(QStringLiteral("pausing")), qPrintable(killed.lines.join('\n')));
    killed.process->kill(); // SIGKILL
    QVERIFY(killed.process->waitForFinished(kDeskTimeout));
    QCOMPARE(killed.process->exitStatus(), QProcess::CrashExit);
    for (std::size_t i = 1; i < desks.size(); ++i)
        waitUntilDone(*desks[i]);
    if (QTest::currentTestFailed())
        return;

    // A new desk finds the server as the program checks it on opening, and
    // saves.
    desks.push_back(startDesk(server, QStringLiteral("n"), 6));
    QVERIFY(desks.back()->readUntil(QStringLiteral("ready")));
    desks.back()->process->write("go\n");
    QVERIFY(desks.back()->process->waitForBytesWritten());
    waitUntilDone(*desks.back());
    Database db;
    QVERIFY2(db.openServer(server, &error), qPrintable(error));
    QCOMPARE(single(db, "SELECT count(*) FROM Fatture WHERE Oggetto = 'k-21'"), qint64(0));
    QCOMPARE(count(desks, "saved"), 20 + 3 * 60 + 6);
    checkServerAgainst(db, desks);
}

QTEST_GUILESS_MAIN(DesksTest)
