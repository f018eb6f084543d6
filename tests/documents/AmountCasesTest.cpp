#include "AmountCasesTest.h"

#include "AmountCaseGenerator.h"

#include "Database.h"
#include "DocumentAmounts.h"
#include "DocumentFields.h"
#include "FatturaPAChecks.h"
#include "FatturaPAXml.h"
#include "FeeAmounts.h"
#include "FeeDocumentLayout.h"
#include "PageDump.h"
#include "PeriodSelection.h"
#include "PlainFields.h"
#include "PrintRun.h"
#include "TestDatabase.h"
#include "TextForms.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>
#include <cmath>
#include <map>

namespace {

constexpr int kCases = 20000;
// The golden file shows these cases in full; every other only as a hash.
constexpr int kSampleEvery = 500;
constexpr int kHashesPerLine = 40;
const QDate kDate(2026, 3, 5);
const QDate kPaid(2026, 4, 1);

FeeProfile profileOf(const AmountCase& a)
{
    return a.geometra ? FeeProfile::Geometra : FeeProfile::General;
}

FeeDocumentKind kindOf(const AmountCase& a)
{
    return a.invoice ? FeeDocumentKind::Invoice : FeeDocumentKind::ProForma;
}

// A euro field as the save stores it: cents, an empty field as 0; nothing
// when the text is no amount the save accepts.
std::optional<QVariant> storedAmount(const QString& text, bool nullZero)
{
    if (TogliFormato(text).isEmpty())
        return nullZero ? QVariant() : QVariant(qint64(0));
    const auto amount = Money::fromText(text);
    const auto cents = amount ? amount->cents() : std::nullopt;
    if (!cents)
        return std::nullopt;
    return *cents == 0 && nullZero ? QVariant() : QVariant(*cents);
}

// A rate as the save stores it: a whole number, Null when empty.
std::optional<QVariant> storedRate(const QString& text)
{
    QString t = text;
    t.remove(QLatin1Char(' '));
    if (t.isEmpty())
        return QVariant();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > 32767)
        return std::nullopt;
    return QVariant(qint64(std::llround(d)));
}

// The stored row of an invoice or pro-forma computed as `fields` show it;
// nothing when the save would refuse a value.
std::optional<QVariantList> storedRow(int i, const AmountCase& a, const PlainFields& fields)
{
    QVariantList row(int(FeeColumn::XmlWritten) + 1);
    const DocumentKey key = *DocumentKey::of(kDate, qint64(i) + 1);
    row[int(FeeColumn::Key)] = key.stored();
    row[int(FeeColumn::Date)] = kDate.toString(Qt::ISODate);
    row[int(FeeColumn::Number)] = i + 1;
    row[int(FeeColumn::Client)] = QStringLiteral("R1");
    row[int(FeeColumn::Subject)] = QStringLiteral("Frazionamento del mappale 12");
    row[int(FeeColumn::PaymentDate)] = kPaid.toString(Qt::ISODate);
    for (const FeeColumn c :
         {FeeColumn::VatRate, FeeColumn::ContributionRate, FeeColumn::WithholdingRate}) {
        const auto rate = storedRate(fields.text(feeField(c)));
        if (!rate)
            return std::nullopt;
        row[int(c)] = *rate;
    }
    std::vector<FeeColumn> amounts = {FeeColumn::Fee, FeeColumn::Vat, FeeColumn::Contribution,
                                      FeeColumn::Withholding, FeeColumn::Expenses};
    if (a.invoice)
        amounts.push_back(FeeColumn::Stamp);
    for (const FeeColumn c : amounts) {
        const auto amount = storedAmount(fields.text(feeField(c)), a.nullZeros);
        if (!amount)
            return std::nullopt;
        row[int(c)] = *amount;
    }
    return row;
}

QString storedText(const QVariantList& row)
{
    QStringList values;
    for (const FeeColumn c : {FeeColumn::Fee, FeeColumn::VatRate, FeeColumn::ContributionRate,
                              FeeColumn::WithholdingRate, FeeColumn::Vat, FeeColumn::Contribution,
                              FeeColumn::Withholding, FeeColumn::Expenses, FeeColumn::Stamp}) {
        const QVariant v = row.value(int(c));
        values << (v.isNull() ? QStringLiteral("null") : v.toString());
    }
    return values.join(QLatin1Char(' '));
}

// The page's text from the fee's line on: the amounts block and what
// follows it (the flat-rate statement, the withholding explained).
QString layoutText(PrintRun& run, const DocumentToPrint& printed, bool invoice,
                   const Settings& settings)
{
    QString error;
    if (!run.recorder().BeginDocument(&error))
        return error;
    if (invoice)
        StampaFattura(run.recorder(), printed, settings, {});
    else
        StampaParcella(run.recorder(), printed, settings);
    if (!run.recorder().EndDocument(&error))
        return error;
    QStringList kept;
    bool amounts = false;
    for (const QString& line : dumpPageFile(run.pageFilePath(0))) {
        const QStringList parts = line.split(QStringLiteral(" | "));
        amounts = amounts || parts.value(2) == QLatin1String("ONORARIO");
        if (!amounts || parts.size() < 3)
            continue;
        const QString style = parts.value(1).section(QLatin1Char(' '), 2);
        kept << parts.value(0) + (style.isEmpty() ? QString() : QLatin1Char(' ') + style) +
                    QLatin1Char(' ') + parts.value(2);
    }
    return kept.join(QStringLiteral("; "));
}

// The electronic invoice's amounts, what its checks refuse and the amounts
// its file carries.
QString fatturaPAText(const FatturaPAInvoice& e)
{
    static const QStringList kept =
        QStringLiteral("ImportoRitenuta AliquotaRitenuta ImportoBollo AlCassa "
                       "ImportoContributoCassa ImponibileCassa Ritenuta ImportoTotaleDocumento "
                       "PrezzoTotale AliquotaIVA Natura ImponibileImporto Imposta ImportoPagamento")
            .split(QLatin1Char(' '));
    const FeeAmounts a = FeeAmounts::of(e.invoice, FeeDocumentKind::Invoice);
    QStringList xml;
    QXmlStreamReader reader(fatturaPAXml(e));
    QString element;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement())
            element = reader.name().toString();
        else if (reader.isCharacters() && !reader.isWhitespace() && kept.contains(element))
            xml << element + QLatin1Char('=') + reader.text().toString();
    }
    return QStringLiteral("taxable %1 outside %2 total %3 net %4 problems %5 xml %6")
        .arg(a.taxable()->plainText(), a.outsideVat()->plainText(), a.total()->plainText(),
             a.net()->plainText(), bracketed(fatturaPAProblems(e).join(QStringLiteral("; "))),
             bracketed(xml.join(QLatin1Char(' '))));
}

QString reportText(const ReportLine& line)
{
    QStringList amounts;
    for (const Money& m : line.amounts)
        amounts << m.plainText();
    return amounts.join(QLatin1Char(' '));
}

QByteArray shortHash(const QString& line)
{
    return QCryptographicHash::hash(line.toUtf8(), QCryptographicHash::Sha256).toHex().left(6);
}

struct Golden
{
    int cases = 0;
    QByteArray digest;
    std::map<int, QString> samples;
    QList<QByteArray> hashes;
};

Golden readGolden(const QString& path)
{
    Golden g;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return g;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const QString word = line.section(QLatin1Char(' '), 0, 0);
        if (word == QLatin1String("cases"))
            g.cases = line.section(QLatin1Char(' '), 1, 1).toInt();
        else if (word == QLatin1String("digest"))
            g.digest = line.section(QLatin1Char(' '), 1, 1).toLatin1();
        else if (word == QLatin1String("sample"))
            g.samples[line.section(QLatin1Char(' '), 1, 1).toInt()] =
                line.section(QLatin1Char(' '), 2);
        else if (word == QLatin1String("hashes"))
            for (const QString& h : line.section(QLatin1Char(' '), 2).split(QLatin1Char(' ')))
                g.hashes << h.toLatin1();
    }
    return g;
}

bool writeGolden(const QString& path, const QStringList& lines, const QByteArray& digest)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray out = "# Generated by test_amount_cases (FALMIDE_UPDATE_GOLDEN=1 rewrites it).\n"
                     "# Each case: its inputs | the window's fields and total | the stored row |\n"
                     "# the page's amounts | the electronic invoice | the period reports.\n"
                     "# The samples show a case in full; every case has a hash of its line.\n";
    out += "cases " + QByteArray::number(lines.size()) + '\n';
    out += "digest " + digest + '\n';
    for (int i = 0; i < lines.size(); ++i)
        if (i < namedCaseCount() || i % kSampleEvery == 0)
            out += "sample " + QByteArray::number(i) + ' ' + lines.at(i).toUtf8() + '\n';
    for (int i = 0; i < lines.size(); i += kHashesPerLine) {
        out += "hashes " + QByteArray::number(i);
        for (int j = i; j < std::min(int(lines.size()), i + kHashesPerLine); ++j)
            out += ' ' + shortHash(lines.at(j));
        out += '\n';
    }
    return file.write(out) == out.size();
}

} // namespace

void AmountCasesTest::everyUserShowsTheGoldenAmounts()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Database db;
    QString error;
    QVERIFY2(openTestDatabase(db, dir.filePath(QStringLiteral("falmide.db")), &error),
             qPrintable(error));
    QVERIFY2(db.execute(QStringLiteral("INSERT INTO Clienti (Chiave, CodCliente, Denominazione) "
                                       "VALUES ('R1        ', 'R1', 'Rossi Mario')"),
                        {}, &error),
             qPrintable(error));

    auto settingsFile = [&dir](const char* name, const char* profile) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray("[Generale]\nCalcolo=") + profile +
                       "\nNota_RA=(art. 25 DPR 600/73)\nMinimi_1=Operazione in franchigia\n"
                       "Minimi_2=Non soggetta a ritenuta\n");
        return Settings(path);
    };
    const Settings geometra = settingsFile("geometra.ini", "GEOMETRA");
    const Settings general = settingsFile("generale.ini", "Ingegnere");

    Client client;
    std::tie(client.code, client.name, client.address, client.town, client.postcode) =
        std::tuple("R1", "Rossi Mario", "Via Verdi 3", "Alba", "12051");
    std::tie(client.vatNumber, client.taxCode, client.definiz, client.codiceDestinatario) =
        std::tuple("01234567897", "RSSMRA80A01H501U", "Egr. Sig.", "ABC1234");
    const QStringList heading = {"Geom. Bianchi Luca", "Corso Alfieri 10", "Asti", "14100",
                                 "09876543217",        "BNCLCU70B02A479J"};

    QBuffer unused;
    unused.open(QIODevice::WriteOnly);
    QPdfWriter device(&unused);
    device.setResolution(1200);
    device.setPageSize(QPageSize(QPageSize::A4));
    // One run records every page in turn, each as a document of its own.
    PrintRun run(device);

    const std::vector<AmountCase> cases = amountCases(kCases);
    QStringList lines;
    std::map<qint64, int> caseOfNumber;
    QVERIFY(db.begin(&error));
    for (int i = 0; i < int(cases.size()); ++i) {
        const AmountCase& a = cases[std::size_t(i)];
        PlainFields fields(feeDocumentFields(kindOf(a)));
        fields.setText(FeeField::Fee, a.fee);
        fields.setText(FeeField::VatRate, a.vatRate);
        fields.setText(FeeField::ContributionRate, a.contributionRate);
        fields.setText(FeeField::WithholdingRate, a.withholdingRate);
        fields.setText(FeeField::Vat, a.vat);
        fields.setText(FeeField::Contribution, a.contribution);
        fields.setText(FeeField::Withholding, a.withholding);
        fields.setText(FeeField::Expenses, a.expenses);
        if (a.invoice)
            fields.setText(FeeField::Stamp, a.stamp);
        if (a.changed)
            clearDerivedAmounts(fields, a.index);
        const auto total = CalcolaImporti(fields, a.index, kindOf(a), profileOf(a));
        QString line =
            describeCase(i, a) + QStringLiteral(" | window V%1 C%2 R%3 total %4")
                                     .arg(bracketed(fields.text(FeeField::Vat)),
                                          bracketed(fields.text(FeeField::Contribution)),
                                          bracketed(fields.text(FeeField::Withholding)),
                                          total ? total->plainText() : QStringLiteral("none"));

        const auto row = storedRow(i, a, fields);
        if (!row) {
            lines << line + QStringLiteral(" | not stored");
            continue;
        }
        const FeeDocument document = FeeDocument::fromColumns(*row);
        const Settings& settings = a.geometra ? geometra : general;
        line += QStringLiteral(" | stored ") + storedText(*row) + QStringLiteral(" | page ") +
                layoutText(run, {document, client, heading, QString()}, a.invoice, settings);
        if (a.invoice) {
            FatturaPAInvoice e{document, client, heading, {}, profileOf(a), {}, {}, {}};
            e.settings.regimeFiscale = document.vatRate.value_or(0) == 0
                                           ? QString::fromLatin1(kFlatRateRegime)
                                           : QStringLiteral("RF01");
            line += QStringLiteral(" | fatturapa ") + fatturaPAText(e);
            // The columns appended later (the document type...) stay Null.
            const QVariantList stored =
                *row +
                QVariantList(qsizetype(tableDef(Table::Fatture).columns.size()) - row->size());
            const QStringList marks(stored.size(), QStringLiteral("?"));
            QVERIFY2(db.execute(QStringLiteral("INSERT INTO Fatture VALUES (%1)")
                                    .arg(marks.join(QLatin1Char(','))),
                                stored, &error),
                     qPrintable(error));
            caseOfNumber[i + 1] = i;
        }
        lines << line;
    }
    QVERIFY2(db.commit(&error), qPrintable(error));

    const ParametriLista everything{defaultFirstDate(), defaultLastDate(), QString(), false};
    for (const PeriodReport report : {PeriodReport::Fatturato, PeriodReport::Ritenuta}) {
        std::map<int, QString> shown;
        const QString message =
            selectLines(db, report, Reader::Printout, everything, [&](const ReportLine& l) {
                shown[caseOfNumber.at(l.number)] = reportText(l);
            });
        QVERIFY2(message.isEmpty(), qPrintable(message));
        for (const auto& [number, i] : caseOfNumber) {
            Q_UNUSED(number);
            const auto found = shown.find(i);
            lines[i] += (report == PeriodReport::Fatturato ? QStringLiteral(" | fatturato ")
                                                           : QStringLiteral(" | ritenute ")) +
                        (found == shown.end() ? QStringLiteral("none") : found->second);
        }
    }

    const QByteArray digest =
        QCryptographicHash::hash(lines.join(QLatin1Char('\n')).toUtf8(), QCryptographicHash::Sha256)
            .toHex();
    const QString path = QStringLiteral(FALMIDE_GOLDEN_DIR "/amount_cases.txt");
    if (qEnvironmentVariableIntValue("FALMIDE_UPDATE_GOLDEN")) {
        QVERIFY2(writeGolden(path, lines, digest), qPrintable(path));
        return;
    }
    const Golden golden = readGolden(path);
    QCOMPARE(golden.cases, int(lines.size()));
    QCOMPARE(golden.hashes.size(), lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        if (golden.hashes.at(i) == shortHash(lines.at(i)))
            continue;
        const auto sample = golden.samples.find(i);
        QFAIL(qPrintable(QStringLiteral("case %1 differs from %2\n  now:      %3%4")
                             .arg(i)
                             .arg(path, lines.at(i),
                                  sample == golden.samples.end()
                                      ? QString()
                                      : QStringLiteral("\n  expected: ") + sample->second)));
    }
    QCOMPARE(digest, golden.digest);
}
