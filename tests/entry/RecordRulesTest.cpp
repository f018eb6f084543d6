#include "EntryCoreTests.h"

#include "CodeList.h"
#include "FieldSnapshot.h"
#include "GridModel.h"
#include "HeadingData.h"
#include "MasterDataFields.h"
#include "PlainFields.h"
#include "Recordset.h"
#include "Snapshot.h"

#include <QtTest>
#include <map>

namespace {

// An invoice-like window: date and number form the key, then amounts.
FieldTable documentFields()
{
    return {{0, "Data", "TOLD-", 10, 0, 1},       {1, "Numero", "LOL", 10, 1, 2},
            {2, "Cliente", "AOLA0002", 10, 2, 3}, {3, "Oggetto", "AOL", 240, 3, 4},
            {4, "Descrizione", "MOL", 0, 4, 5},   {5, "Onorario", "EOLZZ", 14, 5, 6},
            {6, "IVA", "IOLZZ", 5, 6, 7}};
}

// Fields of table holding the given texts, the others empty.
PlainFields filled(const FieldTable& table, const std::map<int, QString>& texts)
{
    PlainFields fields(table);
    for (const auto& [index, text] : texts)
        fields.setText(index, text);
    return fields;
}

} // namespace

void RecordRulesTest::init()
{
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
}

void RecordRulesTest::cleanup()
{
    m_data.tearDown();
}

void RecordRulesTest::clientSavedAndFound()
{
    QString error;
    auto rs = Recordset::OpenTable(m_data.context().DbArchivi, "Clienti", &error);
    PlainFields f =
        filled(clientFields(),
               {{0, "ab1"}, {1, "Rossi Mario"}, {8, "Sig."}, {7, "Prima riga\nSeconda riga"}});
    QCOMPARE(MemorizzaRecord(*rs, 8, 0, f, ".", ",", &error), SaveOutcome::StoredNew);

    // The key and the code in upper case; the other fields as typed; empty
    // fields stored as Null.
    QVERIFY(rs->Seek("=", "AB1"));
    QCOMPARE(rs->value(0).toString(), QStringLiteral("AB1       "));
    QCOMPARE(rs->text(1), QStringLiteral("AB1"));
    QCOMPARE(rs->text(2), QStringLiteral("Rossi Mario"));
    QCOMPARE(rs->text(9), QStringLiteral("Sig."));
    QVERIFY(rs->value(3).isNull());

    // Saving again with the same code updates the one record, and says so;
    // a record saved as new never takes the place of the stored one.
    f.setText(2, "Via Roma 1");
    QCOMPARE(MemorizzaRecord(*rs, 8, 0, f, ".", ",", &error), SaveOutcome::Replaced);
    QCOMPARE(rs->RecordCount(), 1);
    f.setText(2, "Via Milano 2");
    QCOMPARE(MemorizzaRecord(*rs, 8, 0, f, ".", ",", &error, SaveMode::AddOnly),
             SaveOutcome::KeyTaken);
    QVERIFY(!rs->editing());

    PlainFields loaded(clientFields());
    loaded.setText(0, "ab1  ");
    for (int i = 1; i <= 8; ++i)
        loaded.setText(i, "stale");
    QCOMPARE(CaricaRecord(*rs, 8, 0, loaded, &error), LoadOutcome::Found);
    QCOMPARE(loaded.text(0), QStringLiteral("AB1"));
    QCOMPARE(loaded.text(2), QStringLiteral("Via Roma 1"));
    QCOMPARE(loaded.text(3), QString()); // Null comes back as ""
    QCOMPARE(loaded.text(7), QStringLiteral("Prima riga\nSeconda riga"));

    // A code not in the table clears everything but the code.
    loaded.setText(0, "zz");
    QCOMPARE(CaricaRecord(*rs, 8, 0, loaded, &error), LoadOutcome::NotFound);
    QCOMPARE(loaded.text(0), QStringLiteral("zz"));
    for (int i = 1; i <= 8; ++i)
        QCOMPARE(loaded.text(i), QString());

    // Blank key: nothing is looked up, stored or deleted.
    loaded.setText(0, "  ");
    QCOMPARE(CaricaRecord(*rs, 8, 0, loaded, &error), LoadOutcome::NoKey);
    QCOMPARE(MemorizzaRecord(*rs, 8, 0, loaded, ".", ",", &error), SaveOutcome::NoKey);
    QCOMPARE(EliminaRecord(*rs, 8, 0, loaded, &error), DeleteOutcome::NoKey);

    loaded.setText(0, "zz");
    QCOMPARE(EliminaRecord(*rs, 8, 0, loaded, &error), DeleteOutcome::NotFound);
    loaded.setText(0, "AB1");
    loaded.setText(1, "x");
    QCOMPARE(EliminaRecord(*rs, 8, 0, loaded, &error), DeleteOutcome::Deleted);
    for (int i = 0; i <= 8; ++i)
        QCOMPARE(loaded.text(i), QString());
    QCOMPARE(rs->RecordCount(), 0);
}

// Upper-casing never merges two typed codes nor lengthens one: "ß" stays.
void RecordRulesTest::codesKeepEveryLetter()
{
    QString error;
    auto rs = Recordset::OpenTable(m_data.context().DbArchivi, "Clienti", &error);
    PlainFields f(clientFields());
    const QStringList codes{"SSABCDEFGH", QString::fromUtf8("ßABCDEFGH"),
                            QString::fromUtf8("ßabcdefghi")};
    for (const QString& code : codes) {
        f.setText(0, code);
        f.setText(1, "Cliente " + code);
        QCOMPARE(MemorizzaRecord(*rs, 8, 0, f, ".", ",", &error), SaveOutcome::StoredNew);
    }
    QCOMPARE(rs->RecordCount(), 3);
    QVERIFY(rs->Seek("=", "SSABCDEFGH"));
    QCOMPARE(rs->text(2), QStringLiteral("Cliente SSABCDEFGH"));
    QVERIFY(rs->Seek("=", QString::fromUtf8("ßabcdefghi")));
    QCOMPARE(rs->text(1), QString::fromUtf8("ßABCDEFGHI"));

    QStringList lines;
    int width = 0;
    QVERIFY(codeListLines(m_data.context().DbArchivi, "Clienti", 2, &lines, &width, &error));
    QCOMPARE(lines.at(2), QString::fromUtf8("ßABCDEFGHI - cliente ßabcdefghi"));
}

void RecordRulesTest::documentKeysAndAmounts()
{
    QString error;
    auto rs = Recordset::OpenTable(m_data.context().DbArchivi, "Fatture", &error);
    PlainFields f =
        filled(documentFields(), {{0, "05/03/2024"}, {1, "12"}, {5, "1 234.56"}, {6, "22"}});
    QCOMPARE(MemorizzaRecord(*rs, 6, 1, f, ".", ",", &error), SaveOutcome::StoredNew);
    QVERIFY(rs->Seek("=", "2024" + QString(8, ' ') + "12"));
    QCOMPARE(rs->value(6).toLongLong(), 123456);
    QCOMPARE(rs->value(7).toInt(), 22);
    QCOMPARE(rs->text(1), QStringLiteral("05/03/2024"));

    // Another date of the same year and the same number is the same document.
    PlainFields g = filled(documentFields(), {{0, "20/11/2024"}, {1, "12"}});
    QCOMPARE(CaricaRecord(*rs, 6, 1, g, &error), LoadOutcome::Found);
    QCOMPARE(g.text(0), QStringLiteral("05/03/2024"));
    QCOMPARE(g.text(5), QStringLiteral("1 234.56"));
    QCOMPARE(MemorizzaRecord(*rs, 6, 1, g, ".", ",", &error), SaveOutcome::Replaced);
    QVERIFY(rs->Seek("=", "2024" + QString(8, ' ') + "12"));
    QCOMPARE(rs->value(6).toLongLong(), 123456); // stored again unchanged

    // An empty amount is stored as 0 and a stored 0 shows as an empty field.
    g.setText(5, "");
    QCOMPARE(MemorizzaRecord(*rs, 6, 1, g, ".", ",", &error), SaveOutcome::Replaced);
    QVERIFY(rs->Seek("=", "2024" + QString(8, ' ') + "12"));
    QCOMPARE(rs->value(6).toLongLong(), 0);
    QCOMPARE(CaricaRecord(*rs, 6, 1, g, &error), LoadOutcome::Found);
    QCOMPARE(g.text(5), QString());

    // A date that is not one gives no key: nothing is stored under a wrong key.
    g.setText(0, "31/02/2024");
    QCOMPARE(MemorizzaRecord(*rs, 6, 1, g, ".", ",", &error), SaveOutcome::NoKey);
    QCOMPARE(rs->RecordCount(), 1);
}

void RecordRulesTest::refusedValuesLeaveTableAsItWas()
{
    QString error;
    auto rs = Recordset::OpenTable(m_data.context().DbArchivi, "Fatture", &error);
    PlainFields f = filled(documentFields(), {{0, "05/03/2024"}, {1, "1"}, {3, "Primo"}});
    QCOMPARE(MemorizzaRecord(*rs, 6, 1, f, ".", ",", &error), SaveOutcome::StoredNew);

    // A value the column cannot hold is reported and nothing is written.
    f.setText(3, "Cambiato");
    f.setText(5, "12x");
    QCOMPARE(MemorizzaRecord(*rs, 6, 1, f, ".", ",", &error), SaveOutcome::Failed);
    QVERIFY2(error.contains("Onorario"), qPrintable(error));
    f.setText(5, "");
    f.setText(6, "99999999");
    QCOMPARE(MemorizzaRecord(*rs, 6, 1, f, ".", ",", &error), SaveOutcome::Failed);
    QVERIFY(rs->Seek("=", "2024         1"));
    QCOMPARE(rs->text(4), QStringLiteral("Primo"));
    QVERIFY(!rs->editing());
}

void RecordRulesTest::codeListAndGrid()
{
    QString error;
    QStringList lines;
    int width = 0;
    QVERIFY(codeListLines(m_data.context().DbArchivi, "Clienti", 2, &lines, &width, &error));
    QVERIFY(lines.isEmpty());
    QCOMPARE(width, 10);

    auto rs = Recordset::OpenTable(m_data.context().DbArchivi, "Clienti", &error);
    PlainFields f =
        filled(clientFields(), {{0, "b2"}, {1, "BIANCHI Costruzioni S.r.l Sede di Milano"}});
    QCOMPARE(MemorizzaRecord(*rs, 8, 0, f, ".", ",", &error), SaveOutcome::StoredNew);
    f.setText(0, "a1");
    f.setText(1, "");
    QCOMPARE(MemorizzaRecord(*rs, 8, 0, f, ".", ",", &error), SaveOutcome::StoredNew);

    QVERIFY(codeListLines(m_data.context().DbArchivi, "Clienti", 2, &lines, &width, &error));
    QCOMPARE(lines, (QStringList{"A1         - ",
                                 "B2         - bianchi costruzioni s.r.l sede di milano"}));
    QCOMPARE(codeOfLine(lines.at(1), width), QStringLiteral("B2"));

    auto all = Snapshot::Open(m_data.context().DbArchivi, "SELECT * FROM Clienti ORDER BY Chiave",
                              {}, &error);
    GridModel grid;
    QCOMPARE(RiempiGriglia(grid, *all, 2000, 0, 100), 2);
    QCOMPARE(grid.columnCount(), 14);
    QCOMPARE(grid.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("CODCLIENTE"));
    QCOMPARE(grid.cell(0, 0), QStringLiteral("1"));
    QCOMPARE(grid.cell(1, 1), QStringLiteral("B2"));
    QCOMPARE(grid.columnWidthTwips(0), 360.0);
    QCOMPARE(grid.columnWidthTwips(1), 100 * 1.2 * 10); // text of 10
    QCOMPARE(grid.columnWidthTwips(2), 100 * 1.2 * 15); // text of 40
    QCOMPARE(grid.columnWidthTwips(8), 100 * 1.2 * 15); // memo
    QCOMPARE(RiempiGriglia(grid, *all, 1, 10, 100), 1); // limit and offset
    QCOMPARE(grid.cell(0, 0), QStringLiteral("11"));

    // Amount columns show euros, not the stored cents.
    auto invoiceTable = Recordset::OpenTable(m_data.context().DbArchivi, "Fatture", &error);
    PlainFields invoice = filled(documentFields(), {{0, "05/03/2024"}, {1, "1"}, {5, "1 000.00"}});
    QCOMPARE(MemorizzaRecord(*invoiceTable, 6, 1, invoice, ".", ",", &error),
             SaveOutcome::StoredNew);
    QVERIFY(m_data.context().DbArchivi.execute(
        "UPDATE Fatture SET Bollo = 0, SpeseEsenti = -123456789", {}, &error));
    auto invoices = Snapshot::Open(m_data.context().DbArchivi, "SELECT * FROM Fatture", {}, &error);
    RiempiGriglia(grid, *invoices, 10, 0, 100);
    QCOMPARE(grid.cell(0, 6), QStringLiteral("1 000.00"));
    QCOMPARE(grid.cell(0, 15), QStringLiteral("-1 234 567.89"));
    QCOMPARE(grid.cell(0, 16), QStringLiteral("0.00"));
    QCOMPARE(grid.cell(0, 12), QString()); // never written
    QCOMPARE(grid.cell(0, 2), QStringLiteral("1"));
    QCOMPARE(grid.columnAlignment(6), Qt::Alignment(Qt::AlignRight));
    QCOMPARE(grid.columnWidthTwips(6), 100 * 1.2 * 10);
    QCOMPARE(grid.columnAlignment(1), Qt::Alignment(Qt::AlignHCenter)); // date
    QCOMPARE(grid.columnAlignment(2), Qt::Alignment(Qt::AlignRight));   // number
    QCOMPARE(grid.columnWidthTwips(1), 100 * 1.2 * 8);
    QCOMPARE(grid.columnWidthTwips(2), 100 * 1.2 * 7);
    QCOMPARE(gridText("a\r\nb\tc"), QStringLiteral("a  b c"));
}

void RecordRulesTest::headingDataCreatedWhenMissing()
{
    QString error;
    QVERIFY(m_data.context().DbArchivi.execute("DELETE FROM datipers", {}, &error));
    auto rs = Recordset::OpenTable(m_data.context().DbArchivi, "datipers", &error);
    QStringList dati(6);
    const QStringList values{"Studio Rossi", "Via Po 3",    "Torino",
                             "10100",        "01234567897", "RSSMRA70A01L219K"};
    QVERIFY(saveHeadingData(*rs, values, &dati, &error));
    QCOMPARE(dati, values);
    QCOMPARE(rs->RecordCount(), 1);
    QVERIFY(saveHeadingData(*rs, {"Studio Bianchi"}, &dati, &error));
    QCOMPARE(rs->RecordCount(), 1);
    QCOMPARE(dati.at(0), QStringLiteral("Studio Bianchi"));
    QCOMPARE(dati.at(1), QString());

    // A value too long for its column is refused and DatiUtente kept.
    QVERIFY(!saveHeadingData(*rs, {"x", "y", "z", "123456"}, &dati, &error));
    QCOMPARE(dati.at(0), QStringLiteral("Studio Bianchi"));
}

void RecordRulesTest::fieldChecksBeforeSaving()
{
    const DescriptionLookup clients = [](Table table, const QString& key, int field) {
        return table == Table::Clienti && field == 2 && key.trimmed().toUpper() == "R1"
                   ? QStringLiteral("Rossi")
                   : QString();
    };
    PlainFields f = filled(documentFields(), {{0, "050324"}, {1, "12"}, {2, "r1"}});
    QCOMPARE(checkFields(f, clients), std::nullopt);
    QCOMPARE(f.text(0), QStringLiteral("05/03/2024")); // written back as leaving writes it
    f.setText(2, "");
    QCOMPARE(checkFields(f, clients), std::nullopt); // a blank code is no code

    f.setText(2, "XX");
    auto refusal = checkFields(f, clients);
    QVERIFY(refusal);
    QCOMPARE(refusal->index, 2);
    QCOMPARE(refusal->message, QStringLiteral("Cliente: il codice \"XX\" non esiste in archivio."));

    // The first refused field in tab order, whatever its index.
    PlainFields g = filled({{0, "Cliente", "AOLA0002", 10, 1, 1}, {1, "Data", "TOLD+", 10, 0, 2}},
                           {{0, "XX"}, {1, "31/02/2024"}});
    refusal = checkFields(g, clients);
    QVERIFY(refusal);
    QCOMPARE(refusal->index, 1);
    QCOMPARE(refusal->message, QStringLiteral("Data: \"31/02/2024\" non è una data valida."));
}

void RecordRulesTest::recordNamesInMessages()
{
    PlainFields f(documentFields());
    f.setText(0, "05/03/2026");
    for (const auto& [typed, shown] :
         {std::pair{"12", "12/2026"}, {"1 234", "1234/2026"}, {"0012", "12/2026"}}) {
        f.setText(1, typed);
        QCOMPARE(recordName(1, f), QString::fromLatin1(shown));
    }
    PlainFields client(clientFields());
    client.setText(0, " rossi ");
    QCOMPARE(recordName(0, client), QStringLiteral("ROSSI"));
}

void RecordRulesTest::changesToldFromShownTexts()
{
    PlainFields f(documentFields());
    FieldSnapshot shown;
    QVERIFY(!shown.differs(f)); // nothing remembered, nothing to lose
    f = filled(documentFields(),
               {{0, "05/03/2024"}, {1, "1 234"}, {3, "Rilievo"}, {5, "1 000.00"}});
    shown.take(f, true);
    QVERIFY(!shown.differs(f));

    // Numbers and amounts being edited show without their grouping.
    f.setText(1, "1234");
    f.setText(5, "1000");
    QVERIFY(!shown.differs(f));
    f.setText(5, "1000.01");
    QVERIFY(shown.differs(f));
    f.setText(5, "1 000.00");
    f.setText(3, "Rilievo ");
    QVERIFY(shown.differs(f));
    f.setText(3, "Rilievo");

    // A key being typed counts as what it replaces.
    f.setText(1, "7");
    QVERIFY(shown.differs(f));
    QVERIFY(!shown.differs(f, {{1, "1234"}}));
}
