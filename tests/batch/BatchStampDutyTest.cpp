// The stamp duty from the command line: the demo charges it where due, and
// the year's report by quarter.
#include "BatchTest.h"

#include "BatchTestSupport.h"

#include <QtTest>

void BatchTest::stampDutyCommands()
{
    const QString home = dataHome(m_dir, QStringLiteral("bollo"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "40"}).status, 0);
    const auto invoice = lastInvoice(home);
    QVERIFY(invoice);
    const QString year = QString::number(invoice->key.year());
    // Every invoice of the demo's last year passes the stamp duty check (its
    // first year is flat-rate, which the settings do not say).
    Outcome outcome =
        run({"fatturapa", "--dir", home, "--dal", "01/01/" + year, "--al", "31/12/" + year});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    QVERIFY2(!outcome.err.contains("bollo"), qPrintable(outcome.err));

    outcome = run({"report", "bollo", "--dir", home, "--anno", year, "--output", "-"});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    const QString text = QString::fromUtf8(outcome.data);
    QVERIFY2(text.startsWith("Imposta di bollo virtuale sulle fatture elettroniche del " + year),
             qPrintable(text));
    for (const char* code : {"codice tributo 2521", "codice tributo 2524", "Totale dell'anno"})
        QVERIFY2(text.contains(code), qPrintable(text));

    // The year is the report's own option, and it wants one.
    outcome = run({"report", "bollo", "--dir", home, "--output", "-"});
    QVERIFY(outcome.status == 2 && outcome.err.contains("manca --anno"));
    outcome = run({"report", "fatturato", "--dir", home, "--anno", year, "--output", "-"});
    QVERIFY(outcome.status == 2 && outcome.err.contains("--anno vale solo per il report bollo"));
}
