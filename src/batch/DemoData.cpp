#include "DemoData.h"

#include "Client.h"
#include "Database.h"
#include "DemoNames.h"
#include "DocumentAmounts.h"
#include "DocumentFields.h"
#include "FeeAmounts.h"
#include "HeadingData.h"
#include "InvoiceRegime.h"
#include "PlainFields.h"
#include "Recordset.h"
#include "StampDuty.h"
#include "Supplier.h"
#include "TableWalk.h"
#include "TaxCodes.h"

#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <algorithm>
#include <memory>

namespace {

constexpr int kCodeLength = 10;

// A failed store ends the whole fill.
struct StoreFailed
{
    QString message;
};

struct DemoParty
{
    QString code;
    bool withholds = false; // a company or a condominium: it withholds tax on fees
};

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

class DemoFiller
{
public:
    DemoFiller(Database& db, quint32 seed, int lastYear, FeeProfile profile)
        : m_db(db), m_random(seed), m_first(lastYear - 3, 1, 1), m_last(lastYear, 12, 31),
          m_profile(profile)
    {
    }

    void clients(int count);
    void suppliers(int count);
    void feeDocuments(FeeDocumentKind kind, int count);
    void purchases(int count);
    QStringList heading();

private:
    int pick(qsizetype size) { return int(m_random.bounded(quint32(size))); }
    int between(int low, int high) { return low + pick(high - low + 1); }
    bool chance(int percent) { return pick(100) < percent; }
    template <typename List> const auto& any(const List& list)
    {
        return list.at(pick(list.size()));
    }
    QDate dateBetween(const QDate& from, const QDate& to)
    {
        return from.addDays(pick(from.daysTo(to) + 1));
    }
    QList<QDate> sortedDates(int count, const QDate& from);
    QString uniqueCode(const QString& word);
    QString digits(int count);
    QString street()
    {
        return any(demoStreets()) + QStringLiteral(", ") + QString::number(between(1, 180));
    }
    // Each record is new: a key stored already is a failure, never replaced.
    void check(SaveResult result, const QString& why);
    // A purchase has no record type: it is stored as its window stores it.
    void storePurchase(PlainFields& fields);

    Database& m_db;
    QRandomGenerator m_random;
    QDate m_first;
    QDate m_last;
    FeeProfile m_profile;
    QSet<QString> m_codes;
    QHash<QString, int> m_lastSuffix;
    std::vector<DemoParty> m_clients;
    std::vector<QString> m_suppliers;
    std::unique_ptr<Recordset> m_purchases;
};

QList<QDate> DemoFiller::sortedDates(int count, const QDate& from)
{
    QList<QDate> dates;
    for (int i = 0; i < count; ++i) {
        // Documents are dated on working days.
        QDate date = dateBetween(from, m_last);
        while (date.dayOfWeek() > 5)
            date = date.addDays(date.daysTo(m_last) > 2 ? 1 : -1);
        dates << date;
    }
    std::sort(dates.begin(), dates.end());
    return dates;
}

QString DemoFiller::uniqueCode(const QString& word)
{
    QString base;
    for (const QChar c : word.toUpper())
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            base += c;
    base = base.left(7);
    // The second of a name gets "2", and so on; the letters give way to the
    // digits so that the code keeps to its ten characters.
    QString code = base;
    while (m_codes.contains(code)) {
        const QString suffix = QString::number(++m_lastSuffix[base] + 1);
        code = base.left(kCodeLength - suffix.size()) + suffix;
    }
    m_codes.insert(code);
    return code;
}

QString DemoFiller::digits(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QChar(QLatin1Char(static_cast<char>('0' + pick(10))));
    return text;
}

void DemoFiller::check(SaveResult result, const QString& why)
{
    if (result != SaveResult::StoredNew)
        throw StoreFailed{why};
}

void DemoFiller::storePurchase(PlainFields& fields)
{
    QString error;
    if (!m_purchases)
        m_purchases = Recordset::OpenTable(m_db, nameOf(Table::Movimenti), &error);
    if (!m_purchases)
        throw StoreFailed{error};
    // Fixed separators: the stored values must not depend on the locale.
    const SaveOutcome outcome =
        MemorizzaRecord(*m_purchases, fields.fieldCount() - 1, kDateAndNumberTabIndex, fields,
                        QStringLiteral("."), QStringLiteral(","), &error, SaveMode::AddOnly);
    if (outcome == SaveOutcome::KeyTaken)
        error = QStringLiteral("Il movimento %1 è già in archivio")
                    .arg(recordName(kDateAndNumberTabIndex, fields));
    if (outcome != SaveOutcome::StoredNew)
        throw StoreFailed{QStringLiteral("%1: %2").arg(nameOf(Table::Movimenti), error)};
}

void DemoFiller::clients(int count)
{
    for (int i = 0; i < count; ++i) {
        const DemoTown& town = any(demoTowns());
        Client client;
        DemoParty party;
        const int kind = pick(100);
        if (kind < 55) {
            const bool female = chance(45);
            const QString name = any(female ? demoFemaleNames() : demoMaleNames());
            const QString surname = any(demoSurnames());
            const QDate birth = dateBetween(QDate(1940, 1, 1), QDate(1998, 12, 31));
            party.code = uniqueCode(surname);
            client.name = surname + QLatin1Char(' ') + name;
            client.taxCode = codiceFiscale(surname, name, birth, female,
                                           QString::fromUtf8(any(demoTowns()).cadastralCode));
            client.definiz = female ? QStringLiteral("Gent.ma") : QStringLiteral("Egr. Sig.");
        } else if (kind < 88) {
            const QString surname = any(demoSurnames());
            const QString vat = partitaIva(
                digits(7) + QString::number(between(1, 99)).rightJustified(3, QLatin1Char('0')));
            party.code = uniqueCode(surname);
            party.withholds = true;
            client.name = any(demoTrades()) + QLatin1Char(' ') + surname + QLatin1Char(' ') +
                          any(demoLegalForms());
            client.vatNumber = vat;
            client.taxCode = vat;
            client.definiz = QStringLiteral("Spett.le");
        } else {
            const QString streetName = any(demoStreets());
            party.code =
                uniqueCode(QStringLiteral("COND") + streetName.section(QLatin1Char(' '), -1));
            party.withholds = true;
            client.name = QStringLiteral("Condominio ") + streetName;
            // A condominium has a numeric tax code and no VAT number.
            client.taxCode = partitaIva(QStringLiteral("9") + digits(6) + QStringLiteral("001"));
            client.definiz = QStringLiteral("Spett.le");
        }
        client.code = party.code;
        client.address = street();
        client.town = QString::fromUtf8(town.name);
        client.provincia = QString::fromUtf8(town.province);
        client.postcode = QString::fromUtf8(town.postcode);
        if (chance(15))
            client.notes = QStringLiteral("Pagamento a 30 giorni data fattura");
        QString why;
        check(Clients(m_db).save(client, SaveMode::AddOnly, &why), why);
        m_clients.push_back(party);
    }
}

void DemoFiller::suppliers(int count)
{
    for (int i = 0; i < count; ++i) {
        const DemoTown& town = any(demoTowns());
        const QString trade = any(demoSupplierTrades());
        const QString surname = any(demoSurnames());
        const QString vat = partitaIva(
            digits(7) + QString::number(between(1, 99)).rightJustified(3, QLatin1Char('0')));
        Supplier supplier;
        supplier.code = uniqueCode(trade.section(QLatin1Char(' '), 0, 0).left(4) + surname);
        supplier.name =
            (trade + QLatin1Char(' ') + surname + QLatin1Char(' ') + any(demoLegalForms()))
                .left(40);
        supplier.address = street();
        supplier.town = QStringLiteral("%1 (%2)").arg(QString::fromUtf8(town.name),
                                                      QString::fromUtf8(town.province));
        supplier.postcode = QString::fromUtf8(town.postcode);
        supplier.vatNumber = vat;
        supplier.taxCode = vat;
        QString why;
        check(Suppliers(m_db).save(supplier, SaveMode::AddOnly, &why), why);
        m_suppliers.push_back(supplier.code);
    }
}

void DemoFiller::feeDocuments(FeeDocumentKind kind, int count)
{
    if (m_clients.empty())
        return;
    const bool invoice = kind == FeeDocumentKind::Invoice;
    // Pro-formas are the recent ones, awaiting their invoice.
    const QDate from = invoice ? m_first : QDate(m_last.year(), 1, 1);
    const QList<QDate> dates = sortedDates(count, from);
    const int contributionRate = m_profile == FeeProfile::Geometra ? 5 : 4;
    for (int i = 0; i < count; ++i) {
        const QDate date = dates.at(i);
        const DemoParty& client = any(m_clients);
        const DemoService& service = any(demoServices());
        // The first year under the flat-rate scheme: no VAT and no withholding.
        const bool flatRate = date.year() == m_first.year();
        const Money fee = Money::fromCents(
            qint64(between(service.minimumFee / 10, service.maximumFee / 10)) * 1000);
        const Money expenses = chance(30) ? Money::fromCents(between(1500, 30000)) : Money();
        FeeAmounts amounts;
        amounts.fee = fee;
        amounts.contribution = amounts.contributionAt(Rate::whole(contributionRate)).value();
        amounts.expenses = expenses;
        const bool stamp = invoice && StampDutyRule().isDue(amounts, !flatRate);

        PlainFields fields(feeDocumentFields(kind));
        fields.setText(FeeField::Date, dateText(date));
        // Numbers run on from year to year, as the windows propose them.
        fields.setText(FeeField::Number, QString::number(i + 1));
        fields.setText(FeeField::Client, client.code);
        fields.setText(FeeField::Subject, QString::fromUtf8(service.subject));
        fields.setText(FeeField::Description, QString::fromUtf8(service.description));
        fields.setText(FeeField::Fee, fee.fieldText());
        fields.setText(FeeField::VatRate, flatRate ? QString() : QStringLiteral("22"));
        fields.setText(FeeField::ContributionRate, QString::number(contributionRate));
        fields.setText(FeeField::WithholdingRate,
                       client.withholds && !flatRate ? QStringLiteral("20") : QString());
        fields.setText(FeeField::Expenses, expenses.fieldText());
        if (invoice) {
            fields.setText(FeeField::Stamp, stamp ? Money::fromCents(200).fieldText() : QString());
            // The latest invoices are partly still unpaid, and a few older ones.
            const bool unpaid = date.daysTo(m_last) < 90 ? chance(50) : chance(4);
            const QDate paid = date.addDays(between(10, 120));
            if (!unpaid && paid <= m_last)
                fields.setText(FeeField::PaymentDate, dateText(paid));
        }
        if (flatRate)
            fields.setText(
                FeeField::Notes,
                QStringLiteral("Operazione senza applicazione dell'IVA, regime forfettario"));
        CalcolaImporti(fields, FeeField::Fee, kind, m_profile);
        QString why;
        auto document = feeDocumentFromFields(fields, kind, &why);
        if (!document)
            throw StoreFailed{why};
        // That year is exported under its own regime whatever the settings
        // say now.
        if (invoice && flatRate) {
            document->regimeFiscale = QLatin1String(kFlatRateRegime);
            document->profile = m_profile;
        }
        check(FeeDocuments(m_db, kind).save(*document, SaveMode::AddOnly, &why), why);
    }
}

void DemoFiller::purchases(int count)
{
    if (m_suppliers.empty())
        return;
    const QList<QDate> dates = sortedDates(count, m_first);
    int number = 0;
    for (int i = 0; i < count; ++i) {
        const QDate date = dates.at(i);
        // Purchases are numbered afresh each year.
        number = i > 0 && dates.at(i - 1).year() == date.year() ? number + 1 : 1;
        const DemoPurchase& purchase = any(demoPurchases());
        const Money amount = Money::fromCents(
            qint64(between(purchase.minimumAmount, purchase.maximumAmount)) * 100 + between(0, 99));
        const bool exempt =
            QString::fromUtf8(purchase.description).startsWith(QLatin1String("Assicurazione"));
        PlainFields fields(purchaseFields());
        fields.setText(PurchaseField::Date, dateText(date));
        fields.setText(PurchaseField::Number, QString::number(number));
        fields.setText(PurchaseField::Supplier, any(m_suppliers));
        fields.setText(PurchaseField::Description, QString::fromUtf8(purchase.description));
        fields.setText(PurchaseField::Taxable, exempt ? QString() : amount.fieldText());
        fields.setText(PurchaseField::VatRate, exempt ? QString() : QStringLiteral("22"));
        fields.setText(PurchaseField::Deductibility, QString::fromUtf8(purchase.deductibility));
        fields.setText(PurchaseField::Exempt, exempt ? amount.fieldText() : QString());
        storePurchase(fields);
    }
}

QStringList DemoFiller::heading()
{
    const DemoTown& town = any(demoTowns());
    const bool female = chance(40);
    const QString name = any(female ? demoFemaleNames() : demoMaleNames());
    const QString surname = any(demoSurnames());
    const QDate birth = dateBetween(QDate(1965, 1, 1), QDate(1990, 12, 31));
    return {
        QStringLiteral("Geom. %1 %2").arg(name, surname),
        street(),
        QStringLiteral("%1 (%2)").arg(QString::fromUtf8(town.name),
                                      QString::fromUtf8(town.province)),
        QString::fromUtf8(town.postcode),
        partitaIva(digits(7) + QString::number(between(1, 99)).rightJustified(3, QLatin1Char('0'))),
        codiceFiscale(surname, name, birth, female, QString::fromUtf8(town.cadastralCode))};
}

} // namespace

bool archivesEmpty(Database& db, QString* error)
{
    error->clear();
    for (const Table table : kTables) {
        const std::optional<bool> empty = tableIsEmpty(db, table, error);
        if (!empty || !*empty)
            return false;
    }
    return true;
}

bool fillDemoDatabase(Database& db, const DemoCounts& counts, quint32 seed, int lastYear,
                      FeeProfile profile, QStringList* datiUtente, QString* error)
{
    if (!db.begin(error))
        return false;
    try {
        DemoFiller filler(db, seed, lastYear, profile);
        // The heading is drawn first so that it does not depend on the counts.
        const QStringList heading = filler.heading();
        if (datiUtente->join(QString()).trimmed().isEmpty()) {
            const auto table = Recordset::OpenTable(db, QStringLiteral("datipers"), error);
            if (!table || !saveHeadingData(*table, heading, datiUtente, error))
                throw StoreFailed{*error};
        }
        filler.clients(counts.clients);
        filler.suppliers(counts.suppliers);
        filler.feeDocuments(FeeDocumentKind::Invoice, counts.invoices);
        filler.feeDocuments(FeeDocumentKind::ProForma, counts.proFormas);
        filler.purchases(counts.purchases);
    } catch (const StoreFailed& failure) {
        db.rollback();
        *error = failure.message;
        return false;
    }
    return db.commit(error);
}
