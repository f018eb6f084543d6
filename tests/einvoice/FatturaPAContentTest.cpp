#include "FatturaPAContentTest.h"

#include "FatturaPACodes.h"
#include "FatturaPAContent.h"
#include "FatturaPAXml.h"
#include "SignedContent.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

namespace {

const QString kSupplierFile =
    QStringLiteral(FALMIDE_SUPPLIERS) + QStringLiteral("/IT01234567897_00042.xml");

Money euro(const char* text)
{
    return *Money::fromText(QString::fromLatin1(text));
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool put(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

std::pair<int, QString> run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForFinished(60000))
        return {-1, program + ": " + p.errorString()};
    return {p.exitCode(), QString::fromUtf8(p.readAll())};
}

// An invoice of the program's own: a professional in Rome to a company in
// Forlì.
FatturaPAInvoice ownInvoice()
{
    FatturaPAInvoice e;
    e.invoice.key = *DocumentKey::of(QDate(2026, 3, 15), 7);
    e.invoice.date = QDate(2026, 3, 15);
    e.invoice.subject = "Accatastamento";
    e.invoice.description = "Pratica DOCFA";
    e.invoice.fee = euro("1000");
    e.invoice.vatRate = 22;
    e.invoice.vat = euro("228.80");
    e.invoice.contributionRate = 4;
    e.invoice.contribution = euro("40");
    e.invoice.withholdingRate = 20;
    e.invoice.withholding = euro("200");
    e.invoice.expenses = euro("50");
    e.invoice.stamp = euro("2");
    e.profile = FeeProfile::Geometra;
    e.client = {"C1",         "D'Angelo & Figli Srl",
                "Via Roma 1", "Forlì",
                "47121",      "01234567897",
                "",           "",
                "",           "",
                "",           "IT",
                "FC"};
    e.datiUtente = {"Geom. Mario Rossi", "Via Appia 10",    "Roma", "00179",
                    "09876543217",       "RSSMRA80A01H501U"};
    e.settings.provincia = "RM";
    e.settings.iban = "IT60X0542811101000000123456";
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
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("net");
    QTest::newRow("invoice") << "invoice"
                             << "TD01"
                             << "1320.80"
                             << "1120.80";
    QTest::newRow("flat rate") << "flat rate"
                               << "TD01"
                               << "1092.00"
                               << "1092.00";
    QTest::newRow("credit note") << "credit note"
                                 << "TD04"
                                 << "1320.80"
                                 << "1120.80";
    QTest::newRow("with its PDF") << "attachment"
                                  << "TD01"
                                  << "1320.80"
                                  << "1120.80";
}

void FatturaPAContentTest::ownFilesReadBack()
{
    QFETCH(QString, kind);
    QFETCH(QString, type);
    QFETCH(QString, total);
    QFETCH(QString, net);
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
    QCOMPARE(c->fileName, "IT09876543217_A0007.xml");
    QVERIFY(!c->isSigned);
    QCOMPARE(c->progressive, "A0007");
    QCOMPARE(c->format, "FPR12");
    QCOMPARE(c->recipientCode, "0000000");
    QCOMPARE(c->supplier.name, "Geom. Mario Rossi");
    QCOMPARE(c->supplier.vatCountry + c->supplier.vatNumber, "IT09876543217");
    QCOMPARE(c->supplier.taxCode, "RSSMRA80A01H501U");
    QCOMPARE(c->supplier.regime, e.settings.regimeFiscale);
    QCOMPARE(c->supplier.province, "RM");
    QCOMPARE(c->client.name, "D'Angelo & Figli Srl");
    QCOMPARE(c->client.town, "Forlì");
    QCOMPARE(c->client.province, "FC");
    QCOMPARE(c->bodies.size(), 1);
    const FatturaPABody& b = c->bodies.first();
    QCOMPARE(b.documentType, type);
    QCOMPARE(b.number, "7");
    QCOMPARE(b.date, QDate(2026, 3, 15));
    QCOMPARE(b.currency, "EUR");
    QCOMPARE(b.total, total);
    QCOMPARE(b.stampDuty, "2.00");
    // What the summaries hold adds up to the document's total.
    QCOMPARE(sum(b.summaries, &FatturaPASummary::taxable) +
                 sum(b.summaries, &FatturaPASummary::tax),
             *Money::fromText(total));
    QCOMPARE(b.lines.size(), 3);
    QCOMPARE(b.lines.first().description, "Accatastamento - Pratica DOCFA");
    QCOMPARE(b.lines.last().nature, "N1");
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
    QCOMPARE(b.payments.first().instalments.first().iban, "IT60X0542811101000000123456");
    QCOMPARE(b.attachments.size(), kind == "attachment" ? 1 : 0);
    if (kind == "attachment")
        QCOMPARE(b.attachments.first().name, "Fattura_2026_7.pdf");
}

void FatturaPAContentTest::supplierFile()
{
    QString message;
    const auto c = readFatturaPAFile(kSupplierFile, &message);
    QVERIFY2(c, qPrintable(message));
    QCOMPARE(c->transmitter, "IT01879020517");
    QCOMPARE(c->recipientPec, "studio.rossi@pec.it");
    QCOMPARE(c->supplier.name, "Cartoleria Tecnica Bianchi S.r.l.");
    QCOMPARE(c->supplier.address, "Via dei Mille, 24");
    QCOMPARE(c->supplier.phone, "051 234567");
    QCOMPARE(c->supplier.email, "amministrazione@bianchi.example");
    // A person's name from its parts, the title first.
    QCOMPARE(c->client.name, "Geom. Mario Rossi");
    const FatturaPABody& b = c->bodies.first();
    QCOMPARE(b.number, "FT/2026/1187");
    QCOMPARE(b.reasons.size(), 1);
    QCOMPARE(b.lines.size(), 3);
    QCOMPARE(b.lines[0].quantity, "1.00");
    QCOMPARE(b.lines[0].unit, "pz");
    QCOMPARE(b.lines[1].unitPrice, "25.12345");
    QCOMPARE(b.lines[2].quantity, "");
    QCOMPARE(b.lines[2].nature, "N1");
    QCOMPARE(b.summaries.size(), 3);
    QCOMPARE(b.summaries[0].vatRate, "22.00");
    QCOMPARE(b.summaries[1].tax, "7.54");
    QCOMPARE(b.summaries[2].nature, "N1");
    QCOMPARE(b.summaries[2].reference, "Escluse ex art. 15 DPR 633/72");
    QCOMPARE(sum(b.summaries, &FatturaPASummary::taxable) +
                 sum(b.summaries, &FatturaPASummary::tax),
             *Money::fromText(b.total));
    const FatturaPAInstalment& pay = b.payments.first().instalments.first();
    QCOMPARE(b.payments.first().conditions, "TP02");
    QCOMPARE(pay.mode, "MP05");
    QCOMPARE(pay.due, QDate(2026, 12, 20));
    QCOMPARE(pay.amount, "1304.91");
    QCOMPARE(pay.bank, "Banca di Bologna");
    QCOMPARE(pay.beneficiary, "Cartoleria Tecnica Bianchi S.r.l.");
    QCOMPARE(b.attachments.size(), 1);
    QCOMPARE(b.attachments.first().name, "FT_2026_1187.pdf");
    QCOMPARE(b.attachments.first().format, "PDF");
    QCOMPARE(b.attachments.first().description, "Copia di cortesia");
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
    const QString key = m_dir.filePath("firma.key");
    const QString certificate = m_dir.filePath("firma.crt");
    auto [status, output] = run("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes",
                                            "-subj", "/CN=Fornitore di prova", "-days", "1",
                                            "-keyout", key, "-out", certificate});
    QVERIFY2(status == 0, qPrintable(output));
    const QString p7m = m_dir.filePath("IT01234567897_00042.xml.p7m");
    const QStringList sign{"cms",         "-sign",   "-binary",   "-outform", "DER", "-in",
                           kSupplierFile, "-signer", certificate, "-inkey",   key};
    std::tie(status, output) = run("openssl", sign + QStringList{"-nodetach", "-out", p7m});
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
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("percent");
    // The supplier's page in the documents' golden files shows a rate,
    // a quantity of eight decimals and a unit price of five as read.
    QTest::newRow("negative, thousands") << "-1234567.5"
                                         << "-1.234.567,50"
                                         << "-1.234.567,5%";
    QTest::newRow("half rate") << "5.50"
                               << "5,50"
                               << "5,5%";
    QTest::newRow("leading zero") << "0100"
                                  << "100,00"
                                  << "100%";
    QTest::newRow("no minus zero") << "-0.00"
                                   << "0,00"
                                   << "0%";
    QTest::newRow("not a number") << "1,5"
                                  << "1,5"
                                  << "1,5";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
}

void FatturaPAContentTest::italianNumbers()
{
    QFETCH(QString, text);
    QFETCH(QString, decimal);
    QFETCH(QString, percent);
    QCOMPARE(italianDecimal(text), decimal);
    QCOMPARE(italianPercent(text), percent);
}
