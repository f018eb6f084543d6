#include "ContactCsvTest.h"

#include "ContactCsv.h"

#include <QtTest>

void ContactCsvTest::readsWhatSpreadsheetsWrite()
{
    QString error;
    // UTF-8 with its mark, ";" between fields, a quoted field holding the
    // separator, a doubled quote and a line break; a blank line left out.
    const auto utf8 = readCsvTable("\xEF\xBB\xBF"
                                   "Codice;Ragione sociale;Città;P. IVA\r\n"
                                   "R1;\"Rossi; \"\"Mario\"\"\nS.r.l.\";Forlì;01234567897\r\n"
                                   "\r\n"
                                   "B2;Bianchi;;\r\n",
                                   &error);
    QVERIFY2(utf8, qPrintable(error));
    QVERIFY(!utf8->latin1);
    QCOMPARE(utf8->separator, QChar(';'));
    QCOMPARE(utf8->header, (QStringList{"Codice", "Ragione sociale", "Città", "P. IVA"}));
    QCOMPARE(utf8->rows.size(), 2);
    QCOMPARE(utf8->rows[0],
             (QStringList{"R1", "Rossi; \"Mario\"\nS.r.l.", "Forlì", "01234567897"}));
    QCOMPARE(utf8->rows[1], (QStringList{"B2", "Bianchi", "", ""}));
    QCOMPARE(utf8->lines, (QVector<int>{2, 5})); // the quoted line break counts

    // Latin-1 from an older spreadsheet, "," between fields, no final line break.
    const auto latin1 = readCsvTable("cod. cliente,Denominazione,CAP,Localit\xE0,C.F.,SDI,Pec\n"
                                     "V1,Verdi,47121,Forl\xEC,VRDLGU80A01D704X,ABC1234,v@pec.it",
                                     &error);
    QVERIFY2(latin1, qPrintable(error));
    QVERIFY(latin1->latin1);
    QCOMPARE(latin1->separator, QChar(','));
    QCOMPARE(latin1->rows.value(0).value(3), QStringLiteral("Forlì"));

    const auto columns = recognisedColumns(latin1->header);
    QCOMPARE(columns.value(ContactField::Code, -1), 0);
    QCOMPARE(columns.value(ContactField::Name, -1), 1);
    QCOMPARE(columns.value(ContactField::Postcode, -1), 2);
    QCOMPARE(columns.value(ContactField::Town, -1), 3);
    QCOMPARE(columns.value(ContactField::TaxCode, -1), 4);
    QCOMPARE(columns.value(ContactField::RecipientCode, -1), 5);
    QCOMPARE(columns.value(ContactField::Pec, -1), 6);
    QCOMPARE(recognisedColumns(utf8->header).value(ContactField::VatNumber, -1), 3);
    QVERIFY(!recognisedColumns({"Note", "Telefono"}).contains(ContactField::Name));

    QVERIFY(!readCsvTable("Codice;Nome\nR1;\"Rossi\n", &error));
    QCOMPARE(error, QStringLiteral("Il file finisce dentro un campo tra virgolette"));
    QVERIFY(!readCsvTable("\r\n\r\n", &error));
    QCOMPARE(error, QStringLiteral("Il file non ha la riga delle intestazioni"));
}
