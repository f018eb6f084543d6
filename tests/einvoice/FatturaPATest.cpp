#include "FatturaPATest.h"

#include "Clock.h"
#include "FatturaPAChecks.h"
#include "FatturaPAFile.h"

#include "InvoiceSamples.h"

#include <QDir>
#include <QMultiHash>
#include <QXmlStreamReader>
#include <QtTest>
#include <functional>

using namespace samples;

using Change = std::function<void(FatturaPAInvoice&)>;
Q_DECLARE_METATYPE(Change)

namespace {

// The sample's client as a business in Lyon, the fee without VAT.
void makeForeign(FatturaPAInvoice* e)
{
    e->client.nazione = "FR";
    e->client.town = "Lyon";
    e->client.postcode = "69002";
    e->client.provincia.clear();
    e->client.vatNumber = "FR40303265045";
    e->client.taxCode.clear();
    e->client.codiceDestinatario = "ABC1234";
    e->invoice.vatRate = 0;
    e->invoice.vat = std::nullopt;
}

// Leaf elements by parent and name ("DatiRitenuta/ImportoRitenuta").
QMultiHash<QString, QString> leaves(const QByteArray& xml)
{
    QMultiHash<QString, QString> found;
    QXmlStreamReader reader(xml);
    QStringList path;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            path << reader.name().toString();
        } else if (reader.isEndElement()) {
            path.removeLast();
        } else if (reader.isCharacters() && !reader.isWhitespace() && path.size() >= 2) {
            found.insert(path.at(path.size() - 2) + '/' + path.last(), reader.text().toString());
        }
    }
    if (reader.hasError())
        qWarning("%s", qPrintable(reader.errorString()));
    return found;
}

Money sumOf(const QMultiHash<QString, QString>& x, const QString& key)
{
    Money sum;
    for (const QString& v : x.values(key))
        sum += *Money::fromText(v);
    return sum;
}

// xmllint's verdict against the official schema; empty when valid.
QString schemaErrors(const QString& file)
{
    const auto [status, output] =
        run("xmllint", {"--noout", "--nonet", "--schema", FALMIDE_FATTURAPA_SCHEMA, file});
    return status == 0 ? QString() : output;
}

} // namespace

void FatturaPATest::validAndAddingUp_data()
{
    QTest::addColumn<bool>("geometra");
    QTest::addColumn<QString>("regime");
    // VAT, contribution and withholding; fee, VAT, contribution, withholding,
    // expenses and stamp duty as stored
    QTest::addColumn<QList<int>>("rates");
    QTest::addColumn<QStringList>("amounts");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("net");

    QTest::newRow("fee and VAT") << false << "RF01" << QList<int>{22, 0, 0}
                                 << QStringList{"500", "110", "", "", "", ""} << "610.00"
                                 << "610.00";
    QTest::newRow("general profile, everything")
        << false << "RF01" << QList<int>{22, 4, 20}
        << QStringList{"1000", "228.80", "40", "208", "50", "2"} << "1320.80"
        << "1112.80";
    QTest::newRow("geometra, everything")
        << true << "RF01" << QList<int>{22, 4, 20}
        << QStringList{"1000", "228.80", "40", "200", "50", "2"} << "1320.80"
        << "1120.80";
    QTest::newRow("contribution rounded, VAT from its rate")
        << false << "RF01" << QList<int>{22, 4, 0}
        << QStringList{"333.33", "76.27", "13.33", "", "", ""} << "422.93"
        << "422.93";
    QTest::newRow("flat rate") << false << "RF19" << QList<int>{0, 4, 0}
                               << QStringList{"1000", "", "40", "", "30", "2"} << "1072.00"
                               << "1072.00";
}

void FatturaPATest::validAndAddingUp()
{
    QFETCH(bool, geometra);
    QFETCH(QString, regime);
    QFETCH(QList<int>, rates);
    QFETCH(QStringList, amounts);
    QFETCH(QString, total);
    QFETCH(QString, net);

    FatturaPAInvoice e = sampleInvoice();
    e.profile = geometra ? FeeProfile::Geometra : FeeProfile::General;
    e.settings.regimeFiscale = regime;
    FeeDocument& d = e.invoice;
    d.vatRate = rates[0];
    d.contributionRate = rates[1];
    d.withholdingRate = rates[2];
    const auto a = [&amounts](int i) { return amountOrNone(qPrintable(amounts[i])); };
    std::tie(d.fee, d.vat, d.contribution, d.withholding, d.expenses, d.stamp) =
        std::tuple(a(0), a(1), a(2), a(3), a(4), a(5));

    const QString file = m_dir.filePath(QString("%1.xml").arg(QTest::currentDataTag()));
    QString message;
    QVERIFY2(writeFatturaPA(e, file, &message), qPrintable(message));
    const QString errors = schemaErrors(file);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));

    const QByteArray xml = contents(file);
    QVERIFY(xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    QVERIFY(xml.contains("<Denominazione>D'Angelo &amp; Figli &lt;Srl&gt;</Denominazione>"));
    QVERIFY(xml.contains("<Comune>Forl\xc3\xac</Comune>"));
    const auto x = leaves(xml);
    QVERIFY(x.values("Anagrafica/Denominazione").contains(e.client.name));
    QVERIFY(x.values("DatiAnagrafici/CodiceFiscale").contains("DNGMRA70A01D704Y"));
    QCOMPARE(x.value("DatiTrasmissione/CodiceDestinatario"), "0000000");
    QCOMPARE(x.value("DatiTrasmissione/PECDestinatario"), "d'angelo@pec.it");
    QCOMPARE(x.value("DatiGeneraliDocumento/ImportoTotaleDocumento"), total);
    // The summaries hold everything: taxable amounts and taxes add up to the total.
    QCOMPARE((sumOf(x, "DatiRiepilogo/ImponibileImporto") + sumOf(x, "DatiRiepilogo/Imposta"))
                 .plainText(),
             total);
    QCOMPARE(sumOf(x, "DettaglioLinee/PrezzoTotale") +
                 sumOf(x, "DatiCassaPrevidenziale/ImportoContributoCassa"),
             sumOf(x, "DatiRiepilogo/ImponibileImporto"));
    QCOMPARE(x.value("DettaglioPagamento/ImportoPagamento"), net);
    QCOMPARE(x.value("DettaglioPagamento/IBAN"), "IT60X0542811101000000123456");
    QCOMPARE(euro(qPrintable(total)) - sumOf(x, "DatiRitenuta/ImportoRitenuta"),
             euro(qPrintable(net)));
    // The contribution is subject to withholding outside the geometra profile.
    const bool withheld = !amounts[3].isEmpty();
    QCOMPARE(x.contains("DatiCassaPrevidenziale/Ritenuta"),
             withheld && !geometra && !amounts[2].isEmpty());
    QCOMPARE(x.count("DettaglioLinee/Ritenuta"), withheld ? 1 : 0);
    QCOMPARE(x.contains("DatiBollo/ImportoBollo"), !amounts[5].isEmpty());
    QCOMPARE(x.values("DatiRiepilogo/Natura").contains("N2.2"), regime == "RF19");
    QCOMPARE(x.values("DatiRiepilogo/Natura").contains("N1"),
             !amounts[4].isEmpty() || !amounts[5].isEmpty());
    QVERIFY(
        x.values("DettaglioLinee/Descrizione").contains("Accatastamento - Pratica DOCFA visura"));
    QCOMPARE(x.value("DatiTrasmissione/ProgressivoInvio"), "26007");
}

void FatturaPATest::missingDataRefusedWithoutFile_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("expected");
    const auto row = [](const char* name, const Change& change, const QStringList& expected) {
        QTest::newRow(name) << change << expected;
    };
    using E = FatturaPAInvoice;
    row("professional's VAT number", [](E& e) { e.datiUtente[4].clear(); },
        {"Manca la partita IVA del professionista."});
    row("professional's tax code", [](E& e) { e.datiUtente[5].clear(); },
        {"Manca il codice fiscale del professionista."});
    row("professional's postcode and town", [](E& e) { e.datiUtente[3] = e.datiUtente[2] = ""; },
        {"Manca il CAP del professionista.", "Manca la città del professionista."});
    row("client's VAT number and tax code",
        [](E& e) { e.client.vatNumber = e.client.taxCode = ""; },
        {"Mancano la partita IVA e il codice fiscale del cliente C1."});
    row("client's postcode and town",
        [](E& e) { std::tie(e.client.postcode, e.client.town) = std::tuple(" ", ""); },
        {"Manca il CAP del cliente C1.", "Manca la città del cliente C1."});
    row("outside Latin-1", [](E& e) { e.invoice.subject = "Rilievo € 100"; },
        {"contiene caratteri non ammessi (solo Latin-1): €"});
    row("VAT not adding up", [](E& e) { e.invoice.vat = euro("210"); },
        {"L'IVA di 210.00 euro non è il 22% di 1000.00 euro (220.00 euro)."});
    row("no VAT outside the flat rate",
        [](E& e) { std::tie(e.invoice.vatRate, e.invoice.vat) = std::pair(0, std::nullopt); },
        {"Manca l'aliquota IVA"});
    row("recipient code and certified mail",
        [](E& e) {
            std::tie(e.client.codiceDestinatario, e.client.pec) =
                std::tuple("ABC", "rossi..m@pec.it");
        },
        {"codice destinatario", "La PEC del cliente C1 non è un indirizzo valido."});
    row("names, addresses and towns too long",
        [](E& e) {
            std::tie(e.client.name, e.datiUtente[0]) =
                std::tuple(QString(81, 'n'), QString(80, 'n'));
            std::tie(e.client.address, e.datiUtente[1]) =
                std::tuple(QString(61, 'a'), QString(60, 'a'));
            std::tie(e.datiUtente[2], e.client.town) =
                std::tuple(QString(61, 't'), QString(60, 't'));
        },
        {"La denominazione del cliente C1 supera il limite di 80 caratteri.",
         "L'indirizzo del cliente C1 supera il limite di 60 caratteri.",
         "La città del professionista supera il limite di 60 caratteri."});
    row("check characters of both parties",
        [](E& e) {
            std::tie(e.client.vatNumber, e.client.taxCode) =
                std::tuple("01234567890", "RSSMRA80A01H501X");
            std::tie(e.datiUtente[4], e.datiUtente[5]) =
                std::tuple("09876543210", "RSSMRA80A01H501Z");
        },
        {"La partita IVA del cliente C1 (01234567890) non è valida: la cifra di controllo "
         "dovrebbe essere 7.",
         "Il codice fiscale del cliente C1 (RSSMRA80A01H501X) non è valido: il carattere di "
         "controllo dovrebbe essere U.",
         "La partita IVA del professionista (09876543210) non è valida",
         "Il codice fiscale del professionista (RSSMRA80A01H501Z) non è valido"});
    row("IBAN check digits", [](E& e) { e.settings.iban = "IT61 X054 2811 1010 0000 0123 456"; },
        {"le sue cifre di controllo non tornano"});
    row("date in the future", [](E& e) { e.invoice.date = Clock::today().addDays(1); },
        {"è futura."});
    row("public administration", [](E& e) { e.client.codiceDestinatario = "UFABCD"; },
        {"è di un ufficio pubblico: fatture alla Pubblica Amministrazione non gestite."});
    row("client's province not Italian", [](E& e) { e.client.provincia = "XY"; },
        {"La provincia \"XY\" del cliente C1 non è una sigla"});
    row("professional's province not Italian", [](E& e) { e.settings.provincia = "ZZ"; },
        {"La provincia \"ZZ\" delle impostazioni non è una"});
    const auto abroad = [](const Change& then) {
        return Change([then](E& e) {
            makeForeign(&e);
            then(e);
        });
    };
    row("foreign private client", abroad([](E& e) { e.client.vatNumber.clear(); }),
        {"Fatture a clienti esteri senza partita IVA (privati) non gestite"});
    row("foreign client charged VAT", abroad([](E& e) {
            std::tie(e.invoice.vatRate, e.invoice.vat) = std::pair(22, euro("220"));
        }),
        {"Fatture con IVA a clienti esteri non gestite"});
    row("foreign client withholding", abroad([](E& e) {
            std::tie(e.invoice.withholdingRate, e.invoice.withholding) = std::pair(20, euro("200"));
        }),
        {"Ritenuta d'acconto a un cliente estero non gestita"});
    row("foreign country not a code", abroad([](E& e) { e.client.nazione = "Francia"; }),
        {"La nazione \"Francia\" del cliente C1 non è"});
    row("attached PDF too large",
        [](E& e) {
            e.attachment = {"Fattura_2026_7.pdf", QByteArray(4000000, 'x')};
        },
        {"PDF allegato (3906 kB) renderebbe il file più grande dei 5 MB"});
}

void FatturaPATest::missingDataRefusedWithoutFile()
{
    QFETCH(Change, change);
    QFETCH(QStringList, expected);
    FatturaPAInvoice e = sampleInvoice();
    change(e);
    const QString folder = m_dir.filePath("refused");
    QString message;
    QVERIFY(!writeFatturaPA(e, folder + "/IT.xml", &message));
    QVERIFY(message.startsWith("La fattura elettronica non è stata scritta:\n- "));
    for (const QString& part : expected)
        QVERIFY2(message.contains(part), qPrintable(message));
    // Only the problems of this case are named.
    QCOMPARE(message.count('\n'), expected.size());
    QVERIFY(!QDir(folder).exists());
}

void FatturaPATest::pdfAttached()
{
    FatturaPAInvoice e = sampleInvoice();
    QByteArray pdf("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    for (int i = 0; i < 256; ++i)
        pdf += char(i);
    e.attachment = FatturaPAAttachment{"Fattura_2026_7.pdf", pdf};
    const QString file = m_dir.filePath("attached.xml");
    QString message;
    QVERIFY2(writeFatturaPA(e, file, &message), qPrintable(message));
    const QString errors = schemaErrors(file);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));

    const QByteArray xml = contents(file);
    const auto x = leaves(xml);
    QCOMPARE(x.value("Allegati/NomeAttachment"), "Fattura_2026_7.pdf");
    QCOMPARE(x.value("Allegati/FormatoAttachment"), "PDF");
    QCOMPARE(QByteArray::fromBase64(x.value("Allegati/Attachment").toLatin1()), pdf);
    // The body's last block, after the payment.
    QVERIFY(xml.indexOf("</DatiPagamento>") < xml.indexOf("<Allegati>"));
    QVERIFY(xml.indexOf("</Allegati>") < xml.indexOf("</FatturaElettronicaBody>"));
    // The PDF is only carried: the amounts stay those of the invoice.
    e.attachment.reset();
    QVERIFY(writeFatturaPA(e, file, &message));
    QVERIFY(!contents(file).contains("Allegati"));
}

void FatturaPATest::progressivoInvio_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<qint64>("number");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first") << 2026 << qint64(1) << "26001";
    QTest::newRow("last in digits") << 2026 << qint64(999) << "26999";
    QTest::newRow("first lettered") << 2026 << qint64(1000) << "26A00";
    QTest::newRow("base 36") << 2027 << qint64(1000 + 36 + 35) << "27A1Z";
    QTest::newRow("last") << 2026 << qint64(34695) << "26ZZZ";
    QTest::newRow("beyond") << 2026 << qint64(34696) << "";
    QTest::newRow("next century") << 2100 << qint64(5) << "00005";
}

void FatturaPATest::progressivoInvio()
{
    QFETCH(int, year);
    QFETCH(qint64, number);
    QFETCH(QString, expected);
    const auto key = DocumentKey::of(QDate(year, 1, 1), number);
    QCOMPARE(::progressivoInvio(*key).value_or(QString()), expected);
}

void FatturaPATest::foreignAndProvince()
{
    // An Italian client's province goes into its seat.
    FatturaPAInvoice e = sampleInvoice();
    e.client.provincia = "fc";
    const QString italian = m_dir.filePath("italian.xml");
    QString message;
    QVERIFY2(writeFatturaPA(e, italian, &message), qPrintable(message));
    QCOMPARE(leaves(contents(italian)).values("Sede/Provincia").count("FC"), 1);

    // A business abroad, with the integrative contribution and expenses:
    // its own country, the fixed postcode and recipient code, no province,
    // and the fee not subject to Italian VAT.
    makeForeign(&e);
    e.invoice.contributionRate = 4;
    e.invoice.contribution = euro("40");
    e.invoice.expenses = euro("30");
    const QString file = m_dir.filePath("foreign.xml");
    QVERIFY2(writeFatturaPA(e, file, &message), qPrintable(message));
    const QString errors = schemaErrors(file);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
    const QByteArray xml = contents(file);
    const auto x = leaves(xml);
    QCOMPARE(x.value("DatiTrasmissione/CodiceDestinatario"), "XXXXXXX");
    QVERIFY(!x.contains("DatiTrasmissione/PECDestinatario"));
    const qsizetype client = xml.indexOf("<CessionarioCommittente>");
    const QByteArray committente =
        xml.mid(client, xml.indexOf("</CessionarioCommittente>") - client);
    QVERIFY(committente.contains("<IdPaese>FR</IdPaese>"));
    QVERIFY(committente.contains("<IdCodice>FR40303265045</IdCodice>"));
    QVERIFY(committente.contains("<CAP>00000</CAP>"));
    QVERIFY(committente.contains("<Nazione>FR</Nazione>"));
    QVERIFY(!committente.contains("Provincia") && !committente.contains("CodiceFiscale"));
    QVERIFY(x.values("DatiRiepilogo/Natura").contains("N2.1"));
    QCOMPARE(x.value("DatiCassaPrevidenziale/Natura"), "N2.1");
    QVERIFY(x.values("DatiRiepilogo/RiferimentoNormativo")
                .contains("Operazione non soggetta ad IVA ai sensi dell'art. 7-ter DPR 633/72"));
    QCOMPARE(x.value("DatiGeneraliDocumento/ImportoTotaleDocumento"), "1070.00");
}

void FatturaPATest::stampDutyMissingRefusedNeedlessWarned_data()
{
    QTest::addColumn<QString>("regime");
    QTest::addColumn<QStringList>("amounts"); // fee, contribution, expenses, stamp
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("warning");

    QTest::newRow("VAT, expenses at the threshold")
        << "RF01" << QStringList{"1000", "", "77.47", ""} << QString() << QString();
    QTest::newRow("VAT, expenses a cent above, no stamp")
        << "RF01" << QStringList{"1000", "", "77.48", ""}
        << "manca il bollo di 2,00 €: gli importi senza IVA (77,48 €) superano 77,47 €"
        << QString();
    QTest::newRow("VAT, expenses a cent above, stamp")
        << "RF01" << QStringList{"1000", "", "77.48", "2"} << QString() << QString();
    QTest::newRow("VAT, stamp not due")
        << "RF01" << QStringList{"1000", "", "50", "2"} << QString()
        << "il bollo di 2,00 € non è dovuto: gli importi senza IVA (50,00 €) non superano 77,47 €";
    QTest::newRow("flat rate, fee and contribution above")
        << "RF19" << QStringList{"75", "3", "", ""} << "manca il bollo" << QString();
    QTest::newRow("flat rate, stamp due and charged")
        << "RF19" << QStringList{"1000", "40", "", "2"} << QString() << QString();
    QTest::newRow("flat rate, small fee with a stamp")
        << "RF19" << QStringList{"70", "", "", "2"} << QString() << "non è dovuto";
}

void FatturaPATest::stampDutyMissingRefusedNeedlessWarned()
{
    QFETCH(QString, regime);
    QFETCH(QStringList, amounts);
    QFETCH(QString, problem);
    QFETCH(QString, warning);
    FatturaPAInvoice e = sampleInvoice();
    e.settings.regimeFiscale = regime;
    FeeDocument& d = e.invoice;
    const auto a = [&amounts](int i) { return amountOrNone(qPrintable(amounts[i])); };
    std::tie(d.fee, d.contribution, d.expenses, d.stamp) = std::tuple(a(0), a(1), a(2), a(3));
    d.contributionRate = d.contribution ? std::optional<int>(4) : std::nullopt;
    const bool flatRate = regime == "RF19";
    d.vatRate = flatRate ? std::nullopt : std::optional<int>(22);
    d.vat = flatRate ? std::nullopt : d.fee->times(22, 100);

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
