// Credit notes from the command line: where the commands take an invoice.
#include "BatchTest.h"

#include "BatchTestSupport.h"
#include "CreditNotes.h"
#include "Database.h"
#include "PdfTestSupport.h"
#include "TestDatabase.h"

#include <QtTest>

void BatchTest::creditNoteCommands()
{
    const QString home = dataHome(m_dir, QStringLiteral("credit"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "6"}).status, 0);
    const auto invoice = lastInvoice(home);
    QVERIFY(invoice);
    const QString year = QString::number(invoice->key.year());
    const QString number = QString::number(invoice->key.number() + 1);
    {
        Database db;
        QString error;
        QVERIFY2(openTestDatabase(db, home + "/falmide.db", &error), qPrintable(error));
        const auto left = creditableRemainder(db, *invoice, {}, &error);
        FeeDocument note = creditNoteFor(
            *invoice, *left, *DocumentKey::of(invoice->date, invoice->key.number() + 1));
        note.date = invoice->date;
        QCOMPARE(FeeDocuments(db, FeeDocumentKind::Invoice).save(note, SaveMode::AddOnly, &error),
                 SaveResult::StoredNew);
    }

    // Its PDF under its own name in the archive, titled as a note.
    Outcome outcome = run({"fattura-pdf", year, number, "--dir", home});
    QCOMPARE(outcome.err, QString());
    const QString pdf = home + "/Fatture/" + year + "/NotaCredito_" + year + "_" + number + ".pdf";
    QCOMPARE(outcome.out.trimmed(), pdf);
    CHECK_PDF(pdf, {"NOTA DI CREDITO N. " + number + " / " + year,
                    "a storno della fattura n. " + QString::number(invoice->key.number()) +
                        " del " + invoice->date.toString("dd/MM/yyyy")});

    // Its electronic invoice, valid against the schema.
    outcome = run({"fatturapa", year, number, "--dir", home});
    QCOMPARE(outcome.err, QString());
    const QString xml = outcome.out.trimmed();
    QCOMPARE(schemaProblems(xml), QString());
    QVERIFY(pdftest::readFile(xml).contains("<TipoDocumento>TD04</TipoDocumento>"));

    // The turnover of the year: the note takes its invoice off.
    const QString report = m_dir.filePath("fatturato.pdf");
    outcome = run({"report", "fatturato", "--dir", home, "--dal", "01/01/" + year, "--al",
                   "31/12/" + year, "--output", report});
    QCOMPARE(outcome.status, 0);
    const QString text = pdftest::output("pdftotext", {"-layout", report, "-"});
    QVERIFY2(text.contains("-" + invoice->fee->localeText(" ", ",")), qPrintable(text));
}
