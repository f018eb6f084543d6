// Clients from a spreadsheet on the command line.
#include "BatchTest.h"

#include "BatchTestSupport.h"
#include "Client.h"
#include "Database.h"
#include "PdfTestSupport.h"
#include "TestDatabase.h"

#include <QtTest>

namespace {

int clientCount(const QString& home)
{
    Database db;
    QString error;
    if (!openTestDatabase(db, home + "/falmide.db", &error))
        return -1;
    return Clients(db).count(&error).value_or(-1);
}

} // namespace

void BatchTest::importa()
{
    const QString home = dataHome(m_dir, QStringLiteral("import"));
    QVERIFY(QDir().mkpath(home));
    QCOMPARE(clientCount(home), 0);
    const QString csv = home + "/clienti.csv";
    QVERIFY(pdftest::writeFile(csv, "Ragione sociale;Citt\xE0;P.IVA;Telefono\n"
                                    "Rossi Mario;Forl\xEC;01234567897;0543 1\n"
                                    "Bianchi;Pisa;01234567890;\n"
                                    "Verdi Srl;Lucca;;\n"));

    // The plan and the refused row; nothing written, with or without --prova.
    Outcome outcome = run({"importa", "clienti", csv, "--prova", "--dir", home});
    QCOMPARE(outcome.status, 1);
    QCOMPARE(outcome.out, QStringLiteral("clienti.csv: 3 righe: 2 da creare, 0 già in archivio, 1 "
                                         "rifiutata\ncolonne non lette: Telefono\n"
                                         "riga 2: da creare ROSSIMARIO - Rossi Mario\n"
                                         "riga 4: da creare VERDISRL - Verdi Srl\n"
                                         "Prova: nulla è stato scritto.\n"));
    QVERIFY2(outcome.err.startsWith("riga 3: Partita IVA: "), qPrintable(outcome.err));
    outcome = run({"importa", "clienti", csv, "--dir", home});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.endsWith("falmide: Nessun cliente è stato importato: correggere nel "
                                  "file la riga 3 e importarlo di nuovo.\n"),
             qPrintable(outcome.err));
    QCOMPARE(clientCount(home), 0);

    // Mended, it is written; given again, it changes nothing.
    QVERIFY(pdftest::writeFile(csv, "Ragione sociale;Citt\xE0;P.IVA\n"
                                    "Rossi Mario;Forl\xEC;01234567897\n"
                                    "Verdi Srl;Lucca;\n"));
    QCOMPARE(run({"importa", "clienti", csv, "--prova", "--dir", home}).status, 0);
    QCOMPARE(clientCount(home), 0);
    outcome = run({"importa", "clienti", csv, "--dir", home});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    QVERIFY(outcome.out.endsWith("\n2 clienti importati.\n"));
    QCOMPARE(clientCount(home), 2);
    outcome = run({"importa", "clienti", csv, "--dir", home});
    QCOMPARE(outcome.status, 0);
    QCOMPARE(outcome.out, QStringLiteral("clienti.csv: 2 righe: 0 da creare, 2 già in archivio, 0 "
                                         "rifiutate\nNessun cliente da importare.\n"));
    QCOMPARE(clientCount(home), 2);

    QCOMPARE(run({"importa", "articoli", csv, "--dir", home}).status, 2);
    outcome = run({"importa", "fornitori", home + "/nessuno.csv", "--dir", home});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("nessuno.csv non può essere letto"), qPrintable(outcome.err));
}
