#include "StampDutyCheckTest.h"

#include "FatturaPAChecks.h"
#include "FatturaPAFile.h"

#include <QFile>
#include <QtTest>

namespace {

std::optional<Money> amount(const char* text)
{
    return *text ? Money::fromText(QString::fromLatin1(text)) : std::nullopt;
}

// A complete invoice without VAT's complications: a fee, its VAT and what
// the case adds.
FatturaPAInvoice invoiceOf(const QString& regime, const char* fee, const char* contribution,
                           const char* expenses, const char* stamp)
{
    FatturaPAInvoice e;
    e.invoice.key = *DocumentKey::of(QDate(2026, 3, 15), 7);
    e.invoice.date = QDate(2026, 3, 15);
    e.invoice.clientCode = "C1";
    e.invoice.subject = "Accatastamento";
    e.invoice.fee = amount(fee);
    e.invoice.contribution = amount(contribution);
    e.invoice.contributionRate = e.invoice.contribution ? std::optional<int>(4) : std::nullopt;
    const bool flatRate = regime == "RF19";
    e.invoice.vatRate = flatRate ? std::nullopt : std::optional<int>(22);
    if (!flatRate)
        e.invoice.vat = *e.invoice.fee->times(22, 100);
    e.invoice.expenses = amount(expenses);
    e.invoice.stamp = amount(stamp);
    e.client = {"C1", "Bianchi Srl", "Via Roma 1", "Forlì", "47121", "01234567897", "", "",
                "",   "b@pec.it",    "",           "IT",    "FC"};
    e.datiUtente = {"Geom. Mario Rossi", "Via Appia 10",    "Roma", "00179",
                    "09876543217",       "RSSMRA80A01H501U"};
    e.settings.regimeFiscale = regime;
    e.settings.provincia = "RM";
    return e;
}

} // namespace

void StampDutyCheckTest::missingRefusedNeedlessWarned_data()
{
    QTest::addColumn<QString>("regime");
    QTest::addColumn<QString>("fee");
    QTest::addColumn<QString>("contribution");
    QTest::addColumn<QString>("expenses");
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("warning");

    QTest::newRow("VAT, expenses at the threshold") << "RF01"
                                                    << "1000"
                                                    << ""
                                                    << "77.47"
                                                    << ""
                                                    << ""
                                                    << "";
    QTest::newRow("VAT, expenses a cent above, no stamp")
        << "RF01"
        << "1000"
        << ""
        << "77.48"
        << ""
        << "manca il bollo di 2,00 €: gli importi senza IVA (77,48 €) superano 77,47 €"
        << "";
    QTest::newRow("VAT, expenses a cent above, stamp") << "RF01"
                                                       << "1000"
                                                       << ""
                                                       << "77.48"
                                                       << "2"
                                                       << ""
                                                       << "";
    QTest::newRow("VAT, stamp not due") << "RF01"
                                        << "1000"
                                        << ""
                                        << "50"
                                        << "2"
                                        << ""
                                        << "il bollo di 2,00 € non è dovuto: gli importi senza IVA "
                                           "(50,00 €) non superano 77,47 €";
    QTest::newRow("flat rate, fee and contribution above") << "RF19"
                                                           << "75"
                                                           << "3"
                                                           << ""
                                                           << ""
                                                           << "manca il bollo"
                                                           << "";
    QTest::newRow("flat rate, stamp due and charged") << "RF19"
                                                      << "1000"
                                                      << "40"
                                                      << ""
                                                      << "2"
                                                      << ""
                                                      << "";
    QTest::newRow("flat rate, small fee with a stamp") << "RF19"
                                                       << "70"
                                                       << ""
                                                       << ""
                                                       << "2"
                                                       << ""
                                                       << "non è dovuto";
}

void StampDutyCheckTest::missingRefusedNeedlessWarned()
{
    QFETCH(QString, regime);
    QFETCH(QString, fee);
    QFETCH(QString, contribution);
    QFETCH(QString, expenses);
    QFETCH(QString, stamp);
    QFETCH(QString, problem);
    QFETCH(QString, warning);
    const FatturaPAInvoice e = invoiceOf(regime, qPrintable(fee), qPrintable(contribution),
                                         qPrintable(expenses), qPrintable(stamp));
    const QStringList problems = fatturaPAProblems(e);
    const QStringList warnings = fatturaPAWarnings(e);
    QCOMPARE(problems.size(), problem.isEmpty() ? 0 : 1);
    QCOMPARE(warnings.size(), warning.isEmpty() ? 0 : 1);
    if (!problem.isEmpty())
        QVERIFY2(problems.first().startsWith(problem), qPrintable(problems.first()));
    if (!warning.isEmpty())
        QVERIFY2(warnings.first().contains(warning), qPrintable(warnings.first()));

    // A warning leaves the file to be written; a problem writes none.
    const QString file = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".xml");
    QString message;
    QCOMPARE(writeFatturaPA(e, file, &message), problem.isEmpty());
    QCOMPARE(QFile::exists(file), problem.isEmpty());
}
