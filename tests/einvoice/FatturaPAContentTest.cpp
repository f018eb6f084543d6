#include "FatturaPAContentTest.h"

#include "FatturaPACodes.h"
#include "FatturaPAContent.h"
#include "FatturaPAXml.h"
#include "SignedContent.h"

#include "InvoiceSamples.h"

#include <QFileInfo>
#include <QtTest>

using namespace samples;

namespace {

const QString kSupplierFile =
    QStringLiteral(FALMIDE_SUPPLIERS) + QStringLiteral("/IT01234567897_00042.xml");

// One of the program's own, with everything a fee document may carry.
FatturaPAInvoice ownInvoice()
{
    FatturaPAInvoice e = sampleInvoice();
    FeeDocument& d = e.invoice;
    d.vat = euro("228.80");
    std::tie(d.contributionRate, d.contribution) = std::pair(4, euro("40"));
    std::tie(d.withholdingRate, d.withholding) = std::pair(20, euro("200"));
    std::tie(d.expenses, d.stamp) = std::pair(euro("50"), euro("2"));
    e.profile = FeeProfile::Geometra;
    e.client.provincia = "FC";
    e.progressive = "A0007";
    return e;
}

Money sum(const QList<FatturaPASummary>& summaries, QString FatturaPASummary::*field)
{
    Money total;
    for (const FatturaPASummary& s : summaries)
        total += *Money::fromText(s.*field);
    return total;
}

} // namespace

void FatturaPAContentTest::ownFilesReadBack_data()
{
    QTest::addColumn<QStringList>("row"); // the case, its type, total and net
    QTest::newRow("invoice") << QStringList{"invoice", "TD01", "1320.80", "1120.80"};
    QTest::newRow("flat rate") << QStringList{"flat rate", "TD01", "1092.00", "1092.00"};
    QTest::newRow("credit note") << QStringList{"credit note", "TD04", "1320.80", "1120.80"};
    QTest::newRow("with its PDF") << QStringList{"attachment", "TD01", "1320.80", "1120.80"};
}

void FatturaPAContentTest::ownFilesReadBack()
{
    QFETCH(QStringList, row);
    const QString kind = row[0], type = row[1], total = row[2], net = row[3];
    FatturaPAInvoice e = ownInvoice();
    if (kind == "flat rate") {
        e.settings.regimeFiscale = "RF19";
        e.invoice.vatRate = 0;
        e.invoice.vat = std::nullopt;
        e.invoice.withholdingRate = 0;
        e.invoice.withholding = std::nullopt;
    } else if (kind == "credit note") {
        e.invoice.type = DocumentType::CreditNote;
        e.invoice.linkedInvoice = *DocumentKey::of(QDate(2026, 2, 3), 5);
        e.invoice.linkedInvoiceDate = QDate(2026, 2, 3);
    } else if (kind == "attachment") {
        e.attachment = FatturaPAAttachment{"Fattura_2026_7.pdf", QByteArray(300000, 'x')};
    }
    const QString name = m_dir.filePath(QString("IT09876543217_%1.xml").arg(e.progressive));
    QVERIFY(put(name, fatturaPAXml(e)));

    QString message;
    const auto c = readFatturaPAFile(name, &message);
    QVERIFY2(c, qPrintable(message));
    // Each part as the supplier's file shows it on its page (the golden
    // fatturapa_fornitore of the documents' tests); here what that file lacks.
    QCOMPARE(c->supplier.regime, e.settings.regimeFiscale);
    QCOMPARE(c->bodies.size(), 1);
    const FatturaPABody& b = c->bodies.first();
    QCOMPARE(b.documentType, type);
    QCOMPARE(b.total, total);
    // What the summaries hold adds up to the document's total.
    QCOMPARE(sum(b.summaries, &FatturaPASummary::taxable) +
                 sum(b.summaries, &FatturaPASummary::tax),
             *Money::fromText(total));
    QCOMPARE(b.lines.size(), 3);
    QCOMPARE(b.funds.size(), 1);
    QCOMPARE(b.funds.first().type, "TC03");
    QCOMPARE(b.funds.first().amount, "40.00");
    QCOMPARE(b.withholdings.size(), kind == "flat rate" ? 0 : 1);
    QCOMPARE(b.linkedInvoices.size(), kind == "credit note" ? 1 : 0);
    if (kind == "credit note") {
        QCOMPARE(b.linkedInvoices.first().number, "5");
        QCOMPARE(b.linkedInvoices.first().date, QDate(2026, 2, 3));
    }
    QCOMPARE(b.payments.size(), 1);
    QCOMPARE(b.payments.first().instalments.first().amount, net);
    QCOMPARE(b.attachments.size(), kind == "attachment" ? 1 : 0);
    if (kind == "attachment")
        QCOMPARE(b.attachments.first().name, "Fattura_2026_7.pdf");
}

void FatturaPAContentTest::namespacesAndUnknownElements_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("supplier");
    const QByteArray body = "<FatturaElettronicaBody><DatiGenerali><DatiGeneraliDocumento>"
                            "<TipoDocumento>TD01</TipoDocumento><Numero>12</Numero>"
                            "</DatiGeneraliDocumento></DatiGenerali></FatturaElettronicaBody>";
    const QByteArray header = "<FatturaElettronicaHeader><CedentePrestatore><DatiAnagrafici>"
                              "<Anagrafica><Denominazione>Alfa</Denominazione></Anagrafica>"
                              "</DatiAnagrafici></CedentePrestatore></FatturaElettronicaHeader>";
    const QByteArray v12 = "http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2";
    QTest::newRow("prefixed root") << "<p:FatturaElettronica xmlns:p=\"" + v12 + "\">" + header +
                                          body + "</p:FatturaElettronica>"
                                   << "12"
                                   << "Alfa";
    // Some writers put every element in the invoice's namespace.
    QTest::newRow("default namespace")
        << "<FatturaElettronica xmlns=\"" + v12 + "\">" + header + body + "</FatturaElettronica>"
        << "12"
        << "Alfa";
    QTest::newRow("files before 2017")
        << "<p:FatturaElettronica xmlns:p=\"http://www.fatturapa.gov.it/sdi/fatturapa/v1.1\">" +
               header + body + "</p:FatturaElettronica>"
        << "12"
        << "Alfa";
    // A signature of the XML holds elements of the same local names: they
    // are not the invoice's.
    QTest::newRow("foreign elements skipped")
        << "<p:FatturaElettronica xmlns:p=\"" + v12 +
               "\" xmlns:x=\"urn:altro\"><x:FatturaElettronicaHeader><CedentePrestatore>"
               "<DatiAnagrafici><Anagrafica><Denominazione>Beta</Denominazione></Anagrafica>"
               "</DatiAnagrafici></CedentePrestatore></x:FatturaElettronicaHeader>" +
               header + body + "<x:Firma><Numero>99</Numero></x:Firma></p:FatturaElettronica>"
        << "12"
        << "Alfa";
    QTest::newRow("unknown elements skipped")
        << "<p:FatturaElettronica xmlns:p=\"" + v12 + "\"><Nuovo><Numero>98</Numero></Nuovo>" +
               header +
               "<FatturaElettronicaBody><DatiGenerali><DatiGeneraliDocumento><Altro><Numero>97"
               "</Numero></Altro><Numero>12</Numero></DatiGeneraliDocumento></DatiGenerali>"
               "</FatturaElettronicaBody></p:FatturaElettronica>"
        << "12"
        << "Alfa";
}

void FatturaPAContentTest::namespacesAndUnknownElements()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, number);
    QFETCH(QString, supplier);
    QString message;
    const auto c = readFatturaPA(xml, &message);
    QVERIFY2(c, qPrintable(message));
    QCOMPARE(c->bodies.size(), 1);
    QCOMPARE(c->bodies.first().number, number);
    QCOMPARE(c->supplier.name, supplier);
}

void FatturaPAContentTest::signedFiles()
{
    QString problem;
    const QStringList sign =
        signerOf(m_dir.path(), "Fornitore di prova", &problem) + QStringList{"-in", kSupplierFile};
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const QString p7m = m_dir.filePath("IT01234567897_00042.xml.p7m");
    auto [status, output] = run("openssl", sign + QStringList{"-nodetach", "-out", p7m});
    QVERIFY2(status == 0, qPrintable(output));

    QString message;
    auto c = readFatturaPAFile(p7m, &message);
    QVERIFY2(c, qPrintable(message));
    QCOMPARE(c->fileName, "IT01234567897_00042.xml.p7m");
    QVERIFY(c->isSigned && c->signatureVerified);
    QCOMPARE(c->bodies.first().number, "FT/2026/1187");

    // Saved as base64 text, as some mail programs do.
    const QString base64 = m_dir.filePath("base64.xml.p7m");
    QVERIFY(put(base64, contents(p7m).toBase64()));
    c = readFatturaPAFile(base64, &message);
    QVERIFY2(c && c->signatureVerified, qPrintable(message));

    // A changed byte: still shown, and said not to be verified.
    QByteArray tampered = contents(p7m);
    const qsizetype at = tampered.indexOf("Banca di Bologna");
    QVERIFY(at > 0);
    tampered[at] = 'P';
    const QString changed = m_dir.filePath("cambiata.xml.p7m");
    QVERIFY(put(changed, tampered));
    c = readFatturaPAFile(changed, &message);
    QVERIFY2(c, qPrintable(message));
    QVERIFY(c->isSigned && !c->signatureVerified);
    QVERIFY2(c->signatureProblem.contains("non corrisponde"), qPrintable(c->signatureProblem));
    QCOMPARE(c->bodies.first().payments.first().instalments.first().bank, "Panca di Bologna");
    // Where content must be trusted the same envelope is refused.
    QVERIFY(!cadesContent(tampered, &message));

    // A detached signature holds no invoice.
    const QString detached = m_dir.filePath("staccata.xml.p7m");
    std::tie(status, output) = run("openssl", sign + QStringList{"-out", detached});
    QVERIFY2(status == 0, qPrintable(output));
    QVERIFY(!readFatturaPAFile(detached, &message));
    QVERIFY2(message.startsWith("staccata.xml.p7m: non è una fattura elettronica FatturaPA"),
             qPrintable(message));
    QVERIFY2(message.contains("non contiene il documento"), qPrintable(message));
}

void FatturaPAContentTest::notFatturaPARefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("expected");
    const QString refused = "non è una fattura elettronica FatturaPA";
    QTest::newRow("an SdI receipt")
        << "IT09876543217_26007_RC_001.xml"
        << contents(QStringLiteral(FALMIDE_RECEIPTS) + "/IT09876543217_26007_RC_001.xml")
        << refused + " (contiene RicevutaConsegna)";
    QTest::newRow("right name, no namespace")
        << "senza.xml"
        << QByteArray("<FatturaElettronica><FatturaElettronicaBody/>"
                      "</FatturaElettronica>")
        << refused + " (contiene FatturaElettronica)";
    QTest::newRow("a web page") << "pagina.xml" << QByteArray("<html><body>Fattura</body></html>")
                                << refused + " (contiene html)";
    QTest::newRow("a PDF") << "fattura.xml" << QByteArray("%PDF-1.4\n") << refused + " (non è né";
    QTest::newRow("empty") << "vuota.xml" << QByteArray() << refused + " (non è né";
    QTest::newRow("blank XML") << "bianca.xml" << QByteArray("<?xml version=\"1.0\"?>\n")
                               << refused;
    QTest::newRow("without a document")
        << "vuota.xml"
        << QByteArray("<p:FatturaElettronica xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/"
                      "docs/xsd/fatture/v1.2\"><FatturaElettronicaHeader/></p:FatturaElettronica>")
        << "fattura elettronica senza alcun documento";
    QTest::newRow("cut short") << "tagliata.xml" << contents(kSupplierFile).left(3000)
                               << "fattura elettronica non leggibile alla riga";
}

void FatturaPAContentTest::notFatturaPARefused()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, data);
    QFETCH(QString, expected);
    const QString path = m_dir.filePath(name);
    QVERIFY(put(path, data));
    QString message;
    QVERIFY(!readFatturaPAFile(path, &message));
    // The file is named first.
    QVERIFY2(message.startsWith(name + ": " + expected), qPrintable(message));
}

void FatturaPAContentTest::italianNumbers_data()
{
    QTest::addColumn<QStringList>("texts"); // as read, as a decimal, as a percent
    // The supplier's page in the documents' golden files shows a rate,
    // a quantity of eight decimals and a unit price of five as read.
    QTest::newRow("negative, thousands")
        << QStringList{"-1234567.5", "-1.234.567,50", "-1.234.567,5%"};
    QTest::newRow("half rate") << QStringList{"5.50", "5,50", "5,5%"};
    QTest::newRow("leading zero") << QStringList{"0100", "100,00", "100%"};
    QTest::newRow("no minus zero") << QStringList{"-0.00", "0,00", "0%"};
    QTest::newRow("not a number") << QStringList{"1,5", "1,5", "1,5"};
    QTest::newRow("empty") << QStringList{"", "", ""};
}

void FatturaPAContentTest::italianNumbers()
{
    QFETCH(QStringList, texts);
    QCOMPARE(italianDecimal(texts[0]), texts[1]);
    QCOMPARE(italianPercent(texts[0]), texts[2]);
}
