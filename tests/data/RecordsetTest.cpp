#include "RecordsetTest.h"

#include "Database.h"
#include "Recordset.h"
#include "Schema.h"
#include "Snapshot.h"
#include "TestDatabase.h"

#include "OlderSchema.h"
#include <QCryptographicHash>
#include <QDate>
#include <QFile>
#include <QSqlQuery>

#include <QtTest>

namespace {

void addClient(Recordset& rs, const QString& code, const QString& name)
{
    rs.AddNew();
    QVERIFY(rs.setValue(0, code));
    QVERIFY(rs.setValue(1, code.toUpper()));
    QVERIFY(rs.setValue(2, name));
    QVERIFY2(rs.Update(), qPrintable(rs.lastError()));
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

void RecordsetTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = std::make_unique<Database>();
    QString error;
    QVERIFY2(openTestDatabase(*m_db, m_dir->filePath("falmide.db"), &error), qPrintable(error));
}

void RecordsetTest::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

void RecordsetTest::newDatabaseHasSchema()
{
    QCOMPARE(m_db->schemaVersion(), kSchemaVersion);
    QString error;
    // Every table with a key ends with its row version.
    auto fatture = Recordset::OpenTable(*m_db, "Fatture", &error);
    QCOMPARE(fatture->fieldCount(), 25);
    QCOMPARE(fatture->fieldInfo(1).name, QStringLiteral("Data"));
    QCOMPARE(fatture->fieldInfo(1).type, FieldType::Date);
    QCOMPARE(fatture->fieldInfo(4).size, 240);
    QCOMPARE(Recordset::OpenTable(*m_db, "STAMPA", &error)->fieldCount(), 3);

    // One empty heading record, whose Null fields read back as "".
    auto dati = Recordset::OpenTable(*m_db, "datipers", &error);
    QCOMPARE(dati->RecordCount(), 1);
    QVERIFY(!dati->Eof());
    for (int i = 0; i < 6; ++i) {
        QVERIFY(dati->value(i).isNull());
        QCOMPARE(dati->text(i), QString());
    }
}

void RecordsetTest::seekIgnoresCaseAndTrailingBlanks()
{
    QString error;
    auto rs = Recordset::OpenTable(*m_db, "Clienti", &error);
    addClient(*rs, "ab1", "Rossi Mario");
    QCOMPARE(rs->value(0).toString(), QStringLiteral("AB1       "));

    for (const QString& key : {QStringLiteral("ab1"), QStringLiteral("AB1"),
                               QStringLiteral("Ab1   "), QStringLiteral("AB1                 ")}) {
        QVERIFY(rs->Seek("=", key));
        QVERIFY2(!rs->NoMatch(), qPrintable(key));
        QCOMPARE(rs->text(2), QStringLiteral("Rossi Mario"));
    }
    QVERIFY(rs->Seek("=", " ab1"));
    QVERIFY(rs->NoMatch());
    QVERIFY(rs->Eof());

    // The same code with trailing blanks is the same record, not a second one.
    rs->AddNew();
    QVERIFY(rs->setValue(0, "AB1  "));
    QVERIFY(!rs->Update());
    rs->CancelUpdate();
    QCOMPARE(rs->RecordCount(), 1);

    addClient(*rs, "b", "Bianchi");
    QVERIFY(rs->Seek(">=", "ab2"));
    QVERIFY(!rs->NoMatch());
    QCOMPARE(rs->text(2), QStringLiteral("Bianchi"));
    QVERIFY(rs->Seek(">=", "c"));
    QVERIFY(rs->NoMatch());
}

void RecordsetTest::addUpdateDelete()
{
    QString error;
    auto rs = Recordset::OpenTable(*m_db, "Clienti", &error);
    addClient(*rs, "x1", "Verdi");

    QVERIFY(rs->Seek("=", "x1"));
    QVERIFY(rs->Edit());
    QVERIFY(rs->setValue(2, "Verdi Giuseppe"));
    QVERIFY(rs->setValue(8, "riga uno\nriga due"));
    QVERIFY(rs->setValue(9, ""));
    QVERIFY(rs->Update());
    QCOMPARE(rs->RecordCount(), 1);

    // A second recordset on the same table sees the change at once.
    auto other = Recordset::OpenTable(*m_db, "Clienti", &error);
    QVERIFY(other->Seek("=", "X1"));
    QCOMPARE(other->text(2), QStringLiteral("Verdi Giuseppe"));
    QCOMPARE(other->text(8), QStringLiteral("riga uno\nriga due"));
    QVERIFY(other->value(9).isNull()); // empty text is stored as Null
    QCOMPARE(other->text(9), QString());

    QVERIFY(other->Delete());
    QVERIFY(other->Eof());
    QVERIFY(rs->Seek("=", "x1"));
    QVERIFY(rs->NoMatch());
    QCOMPARE(rs->RecordCount(), 0);
    QVERIFY(!rs->Delete()); // nothing current: refused, not a crash
}

void RecordsetTest::recordsKnownByKey()
{
    // A record deleted and stored anew under its key while a window holds
    // it (another window's save, at the version it had) is still the one its
    // edit changes: records are known by their key, not by where they lie.
    QString error;
    auto rs = Recordset::OpenTable(*m_db, "Clienti", &error);
    addClient(*rs, "a1", "Alfa");
    addClient(*rs, "b2", "Beta");
    QVERIFY(rs->Seek("=", "a1") && rs->Edit());
    const qint64 version = rs->version();
    auto storeAnew = [this, &error, version](const char* name) {
        return m_db->execute("DELETE FROM Clienti WHERE CodCliente = 'A1'", {}, &error) &&
               m_db->execute("INSERT INTO Clienti (Chiave, CodCliente, Denominazione, Versione) "
                             "VALUES ('A1        ', 'A1', ?, ?)",
                             {name, version}, &error);
    };
    QVERIFY2(storeAnew("Alfa bis"), qPrintable(error));
    QVERIFY(rs->setValue(8, "nota") && rs->Update());
    QVERIFY(!rs->Eof());
    QCOMPARE(rs->text(8), QStringLiteral("nota"));
    QVERIFY(rs->Seek("=", "A1"));
    QCOMPARE(rs->text(2), QStringLiteral("Alfa"));
    QCOMPARE(rs->text(8), QStringLiteral("nota"));
    // Stored anew since it was read, it is not deleted until read again:
    // the row version is no longer the one read.
    QVERIFY(storeAnew("Alfa ter"));
    QVERIFY(!rs->Delete());
    QCOMPARE(rs->lastFailure(), Recordset::Failure::ChangedElsewhere);
    QVERIFY(rs->Seek("=", "a1") && rs->Delete());
    QVERIFY(rs->Seek("=", "a1") && rs->NoMatch());
    QCOMPARE(rs->RecordCount(), 1);

    // A table without a key knows its record by all its fields.
    auto dati = Recordset::OpenTable(*m_db, "datipers", &error);
    QVERIFY(m_db->execute("DELETE FROM datipers", {}, &error));
    QVERIFY(m_db->execute("INSERT INTO datipers DEFAULT VALUES", {}, &error));
    QVERIFY(dati->Edit() && dati->setValue(0, "Studio Rossi") && dati->Update());
    QCOMPARE(dati->text(0), QStringLiteral("Studio Rossi"));
    QVERIFY(dati->MoveFirst());
    QCOMPARE(dati->text(0), QStringLiteral("Studio Rossi"));
    QCOMPARE(dati->RecordCount(), 1);
}

void RecordsetTest::walkInKeyOrder()
{
    QString error;
    auto rs = Recordset::OpenTable(*m_db, "Fatture", &error);
    QVERIFY(rs->Eof());
    QVERIFY(rs->MoveLast());
    QVERIFY(rs->Eof());

    const struct
    {
        const char* date;
        int number;
    } invoices[] = {{"10/01/2025", 2}, {"05/03/2024", 10}, {"01/02/2024", 9}, {"02/01/2025", 1}};
    for (const auto& inv : invoices) {
        rs->AddNew();
        const QString year = QString::fromLatin1(inv.date).right(4);
        QVERIFY(rs->setValue(0, year + QString::number(inv.number).rightJustified(10)));
        QVERIFY(rs->setValue(1, QString::fromLatin1(inv.date)));
        QVERIFY(rs->setValue(2, inv.number));
        QVERIFY2(rs->Update(), qPrintable(rs->lastError()));
    }

    QList<int> order;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        order << rs->value(2).toInt();
    QCOMPARE(order, (QList<int>{9, 10, 1, 2}));

    QVERIFY(rs->MoveLast());
    QCOMPARE(rs->value(2).toInt(), 2);
    QCOMPARE(rs->value(1).toDate(), QDate(2025, 1, 10));
    QVERIFY(rs->MoveNext());
    QVERIFY(rs->Eof());
}

void RecordsetTest::valuesConvertByType()
{
    QString error;
    auto rs = Recordset::OpenTable(*m_db, "Movimenti", &error);
    rs->AddNew();
    QVERIFY(rs->setValue(0, "2024         7"));
    QVERIFY(rs->setValue(1, QDate(2024, 3, 15)));
    QVERIFY(rs->setValue(2, "7"));
    QVERIFY(rs->setValue(5, 123450.0)); // cents
    QVERIFY(rs->setValue(6, "22,5"));   // a decimal written with the locale's comma
    QVERIFY(rs->setValue(7, "0.5"));
    QVERIFY(rs->setValue(9, 0.4999 * 100)); // rounds to whole cents
    QVERIFY2(rs->Update(), qPrintable(rs->lastError()));

    QVERIFY(rs->Seek("=", "2024         7"));
    QCOMPARE(rs->text(1), QStringLiteral("15/03/2024"));
    QCOMPARE(rs->value(2).toLongLong(), 7);
    QCOMPARE(rs->value(5).toLongLong(), 123450);
    QCOMPARE(rs->value(6).toDouble(), 22.5);
    QCOMPARE(rs->text(7), QStringLiteral("0.5"));
    QCOMPARE(rs->value(9).toLongLong(), 50);
    QVERIFY(rs->value(3).isNull());

    // Values that do not fit their column are refused with a reason.
    QVERIFY(rs->Edit());
    QVERIFY(!rs->setValue(1, "31/02/2024"));
    QVERIFY(rs->lastError().contains("Data"));
    QVERIFY(!rs->setValue(2, "dodici"));
    QVERIFY(!rs->setValue(2, "99999999999"));
    QVERIFY(!rs->setValue(3, "CODICE-TROPPO-LUNGO"));
    QVERIFY(!rs->setValue(42, "x"));
    QVERIFY(rs->setValue(2, " ")); // blank number is Null
    rs->CancelUpdate();

    auto fatture = Recordset::OpenTable(*m_db, "Fatture", &error);
    fatture->AddNew();
    QVERIFY(fatture->setValue(0, "2024         1"));
    QVERIFY(!fatture->setValue(7, 40000)); // a rate is a 16-bit integer
}

void RecordsetTest::failedSaveLeavesTableAsItWas()
{
    QString error;
    auto rs = Recordset::OpenTable(*m_db, "Clienti", &error);
    addClient(*rs, "k1", "Primo");

    // An empty key is never stored.
    rs->AddNew();
    QVERIFY(rs->setValue(2, "Senza codice"));
    QVERIFY(!rs->Update());
    QVERIFY(!rs->lastError().isEmpty());
    rs->CancelUpdate();

    // A write the database refuses (the table is gone from under us) is
    // reported, and the records already there are untouched.
    if (testsOnServer())
        QVERIFY2(m_db->execute("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                               "$$BEGIN RAISE EXCEPTION 'scrittura rifiutata'; END$$",
                               {}, &error) &&
                     m_db->execute("CREATE TRIGGER refuse BEFORE UPDATE ON Clienti FOR EACH ROW "
                                   "EXECUTE FUNCTION refuse()",
                                   {}, &error),
                 qPrintable(error));
    else
        QVERIFY(m_db->execute("CREATE TRIGGER refuse BEFORE UPDATE ON Clienti BEGIN "
                              "SELECT RAISE(ABORT, 'scrittura rifiutata'); END",
                              {}, &error));
    QVERIFY(rs->Seek("=", "k1"));
    QVERIFY(rs->Edit());
    QVERIFY(rs->setValue(2, "Cambiato"));
    QVERIFY(!rs->Update());
    QVERIFY(rs->lastError().contains("rifiutata"));
    QVERIFY(rs->editing()); // the buffer is kept for another try
    rs->CancelUpdate();
    QVERIFY(rs->Seek("=", "k1"));
    QCOMPARE(rs->text(2), QStringLiteral("Primo"));
    QCOMPARE(rs->RecordCount(), 1);

    // A save after the failure still works: no transaction was left open.
    QVERIFY(m_db->execute(
        testsOnServer() ? "DROP TRIGGER refuse ON Clienti" : "DROP TRIGGER refuse", {}, &error));
    QVERIFY(rs->Edit());
    QVERIFY(rs->setValue(2, "Cambiato"));
    QVERIFY2(rs->Update(), qPrintable(rs->lastError()));
}

void RecordsetTest::snapshotBindsValues()
{
    QString error;
    auto rs = Recordset::OpenTable(*m_db, "Clienti", &error);
    addClient(*rs, "a", "Alfa");
    addClient(*rs, "o'b", "D'Angelo");
    addClient(*rs, "c", "Gamma");

    auto all = Snapshot::Open(*m_db, "SELECT * FROM Clienti ORDER BY Chiave", {}, &error);
    QVERIFY2(all, qPrintable(error));
    QCOMPARE(all->RecordCount(), 3);
    QCOMPARE(all->fieldCount(), 15);
    QStringList names;
    for (all->MoveFirst(); !all->Eof(); all->MoveNext())
        names << all->text(2);
    QCOMPARE(names, (QStringList{"Alfa", "Gamma", "D'Angelo"}));
    QVERIFY(all->value(2).isNull()); // past the end

    // A quote in a bound value is data, not SQL.
    auto one = Snapshot::Open(*m_db, "SELECT * FROM Clienti WHERE CodCliente = ?", {"O'B"}, &error);
    QVERIFY2(one, qPrintable(error));
    QCOMPARE(one->RecordCount(), 1);
    QCOMPARE(one->text(2), QStringLiteral("D'Angelo"));

    QVERIFY(!Snapshot::Open(*m_db, "SELECT * FROM Nessuna", {}, &error));
    QVERIFY(!error.isEmpty());
}

void RecordsetTest::olderFileMigratedInPlace()
{
    if (testsOnServer())
        QSKIP("the embedded engine's file, copied and compared byte by byte");
    // A file of the first version: clients without the last four columns.
    QString error;
    QVERIFY2(dropRowVersions(*m_db, &error), qPrintable(error));
    QVERIFY(m_db->execute("ALTER TABLE Clienti DROP COLUMN Provincia", {}, &error));
    QVERIFY(m_db->execute("ALTER TABLE Clienti DROP COLUMN Nazione", {}, &error));
    QVERIFY(m_db->execute("ALTER TABLE Clienti DROP COLUMN PEC", {}, &error));
    QVERIFY(m_db->execute("ALTER TABLE Clienti DROP COLUMN CodDestinatario", {}, &error));
    QVERIFY(m_db->execute("UPDATE SchemaVersion SET Version = 1", {}, &error));
    QVERIFY(m_db->execute("INSERT INTO Clienti (Chiave, CodCliente, Denominazione) VALUES "
                          "('AB1       ', 'AB1', 'Rossi Mario')",
                          {}, &error));
    const QString indexes = QStringLiteral(
        "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name IN "
        "('Fatture_CodCli', 'Parcelle_CodCli', 'Fatture_Chiave_Onorario', 'Invii_Fattura')");
    const auto indexCount = [&] {
        QSqlQuery q(m_db->connection());
        return q.exec(indexes) && q.next() ? q.value(0).toInt() : -1;
    };
    QCOMPARE(indexCount(), 0);
    const QString older = m_dir->filePath("older.db");
    QVERIFY(m_db->execute("VACUUM INTO ?", {older}, &error));

    // One that cannot be migrated (a column of that name is already there)
    // stays as it was.
    QVERIFY(m_db->execute("ALTER TABLE Clienti ADD COLUMN PEC TEXT", {}, &error));
    const QString broken = m_db->path();
    m_db->close();
    const QByteArray before = fileHash(broken);
    QVERIFY(!m_db->open(broken, &error));
    QVERIFY(error.contains("PEC"));
    QCOMPARE(fileHash(broken), before);

    QVERIFY2(m_db->open(older, &error), qPrintable(error));
    QCOMPARE(m_db->schemaVersion(), kSchemaVersion);
    QCOMPARE(indexCount(), 4); // made at the update
    auto clienti = Recordset::OpenTable(*m_db, "Clienti", &error);
    QCOMPARE(clienti->fieldCount(), 15);
    QVERIFY(clienti->Seek("=", "ab1") && !clienti->NoMatch());
    QCOMPARE(clienti->text(2), QStringLiteral("Rossi Mario"));
    QVERIFY(clienti->value(10).isNull() && clienti->value(11).isNull());
    QCOMPARE(clienti->text(12), QStringLiteral("IT"));
}
