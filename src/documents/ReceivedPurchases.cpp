#include "ReceivedPurchases.h"

#include "Database.h"
#include "ProposedCode.h"
#include "Rate.h"
#include "ReceivedInvoice.h"
#include "Schema.h"
#include "Snapshot.h"

#include <algorithm>

namespace {

// Wide enough for the invoice's number and date and a useful part of its
// first line in the purchase list and the period report.
constexpr int kDescriptionWidth = 120;

QString column(const Database& db, Table table, int position)
{
    return db.quoted(tableDef(table).columns.at(std::size_t(position)).name);
}

int width(Table table, AddressColumn c)
{
    return tableDef(table).columns.at(std::size_t(c)).size;
}

QString day(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

// The same rate however written: "22", "22.0" and "22.00" are one.
QString rateKey(const QString& rate)
{
    return QString::number(rate.toDouble(), 'f', 2);
}

struct RateGroup
{
    QString rate;
    Money taxable;
    Money tax;
};

QString fitted(const QString& text, int size)
{
    if (text.size() <= size)
        return text;
    QString cut = text.left(size - 1);
    const qsizetype blank = cut.lastIndexOf(QLatin1Char(' '));
    if (blank > size / 2)
        cut.truncate(blank);
    return cut + QChar(0x2026);
}

} // namespace

bool isKnownDocumentType(const QString& type)
{
    static const QStringList known = {QStringLiteral("TD01"), QStringLiteral("TD02"),
                                      QStringLiteral("TD03"), QStringLiteral("TD04"),
                                      QStringLiteral("TD05"), QStringLiteral("TD06"),
                                      QStringLiteral("TD24"), QStringLiteral("TD25"),
                                      QStringLiteral("TD26"), QStringLiteral("TD27")};
    return known.contains(type);
}

QString documentNoun(const QString& type)
{
    return type == QLatin1String("TD04") ? QStringLiteral("nota di credito")
                                         : QStringLiteral("fattura");
}

QList<PlannedPurchase> plannedPurchases(const InvoiceBody& body, const QString& keptFile, int index,
                                        int count)
{
    const bool creditNote = body.documentType == QLatin1String("TD04");
    auto signed_ = [creditNote](const Money& m) { return creditNote ? -m : m; };

    QList<RateGroup> groups;
    Money exempt;
    QStringList natures;
    for (const InvoiceSummary& s : body.summaries) {
        // A nature, or a rate of 0 without one (which the SdI would refuse),
        // is an amount outside VAT.
        if (!s.nature.isEmpty() || s.rate.toDouble() == 0) {
            exempt += s.taxable;
            natures << QStringLiteral("natura %1: %2")
                           .arg(s.nature.isEmpty() ? QStringLiteral("-") : s.nature,
                                signed_(s.taxable).printText());
            continue;
        }
        const auto group = std::find_if(groups.begin(), groups.end(), [&s](const RateGroup& g) {
            return rateKey(g.rate) == rateKey(s.rate);
        });
        if (group == groups.end()) {
            groups << RateGroup{rateKey(s.rate), s.taxable, s.tax};
        } else {
            group->taxable += s.taxable;
            group->tax += s.tax;
        }
    }

    const QString heading =
        QStringLiteral("%1 %2 del %3")
            .arg(creditNote ? QStringLiteral("Nota di credito") : QStringLiteral("Fatt."),
                 body.number, day(body.date));
    const QString description = fitted(
        body.firstLine.isEmpty() ? heading : heading + QStringLiteral(" – ") + body.firstLine,
        kDescriptionWidth);
    QStringList common{QStringLiteral("Fattura elettronica del fornitore: %1").arg(keptFile)};
    if (count > 1)
        common << QStringLiteral("Fattura %1 di %2 del lotto").arg(index + 1).arg(count);
    if (!isKnownDocumentType(body.documentType))
        common << QStringLiteral("Tipo documento %1, registrato come fattura")
                      .arg(body.documentType.isEmpty() ? QStringLiteral("mancante")
                                                       : body.documentType);

    QList<PlannedPurchase> purchases;
    for (const RateGroup& g : groups) {
        PlannedPurchase p;
        p.taxable = signed_(g.taxable);
        p.vatRate = g.rate;
        p.description = description;
        QStringList notes = common;
        // The purchase computes its VAT from the rate; say so when the
        // supplier's own sum differs by its roundings.
        const auto vat = percentOf(g.taxable, Rate::fromLeadingText(g.rate));
        if (vat && *vat != g.tax)
            notes << QStringLiteral("IVA ") + g.rate +
                         QStringLiteral("% indicata nella fattura: ") + signed_(g.tax).printText();
        p.notes = notes.join(QLatin1Char('\n'));
        purchases << p;
    }
    if (purchases.isEmpty()) {
        PlannedPurchase p;
        p.description = description;
        p.notes = common.join(QLatin1Char('\n'));
        purchases << p;
    }
    if (!natures.isEmpty()) {
        purchases.first().exempt = signed_(exempt);
        purchases.first().notes +=
            QStringLiteral("\nFuori IVA (") + natures.join(QStringLiteral("; ")) + QLatin1Char(')');
    }
    return purchases;
}

std::optional<QString> matchingSupplier(Database& db, const InvoiceParty& party, QString* error)
{
    const QString suppliers = db.quoted(nameOf(Table::Fornitori));
    const QString code = column(db, Table::Fornitori, int(AddressColumn::Code));
    auto first = [&](const QString& where, const QString& value) -> std::optional<QString> {
        const auto found = Snapshot::Open(
            db,
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4 LIMIT 1")
                .arg(code, suppliers, where, column(db, Table::Fornitori, int(AddressColumn::Key))),
            {value}, error);
        if (!found || found->RecordCount() == 0)
            return std::nullopt;
        return found->rows().constFirst().value(0).toString().trimmed();
    };
    const QString vatNumber = party.vatNumber();
    if (!vatNumber.isEmpty()) {
        if (auto c = first(QStringLiteral("UPPER(REPLACE(%1, ' ', '')) = ?")
                               .arg(column(db, Table::Fornitori, int(AddressColumn::VatNumber))),
                           vatNumber))
            return c;
        if (!error->isEmpty())
            return std::nullopt;
        const TableDef& received = receivedInvoicesTableDef();
        auto receivedColumn = [&](ReceivedInvoiceColumn c) {
            return db.quoted(received.columns.at(std::size_t(c)).name);
        };
        if (auto c = first(QStringLiteral("%1 IN (SELECT %2 FROM %3 WHERE %4 = ?)")
                               .arg(code, receivedColumn(ReceivedInvoiceColumn::Supplier),
                                    db.quoted(received.name),
                                    receivedColumn(ReceivedInvoiceColumn::VatNumber)),
                           vatNumber))
            return c;
        if (!error->isEmpty())
            return std::nullopt;
    }
    if (!party.taxCode.isEmpty())
        return first(QStringLiteral("UPPER(REPLACE(%1, ' ', '')) = ?")
                         .arg(column(db, Table::Fornitori, int(AddressColumn::TaxCode))),
                     party.taxCode);
    return std::nullopt;
}

std::optional<QString> proposedSupplierCode(Database& db, const QString& name, QString* error)
{
    const Suppliers suppliers(db);
    return proposedCode(name, width(Table::Fornitori, AddressColumn::Code),
                        QStringLiteral("FORNITORE"),
                        [&](const QString& code) -> std::optional<bool> {
                            if (suppliers.find(code, error))
                                return true;
                            if (!error->isEmpty())
                                return std::nullopt;
                            return false;
                        });
}

Supplier supplierFromParty(const InvoiceParty& party, const QString& code, const QString& fileName)
{
    auto fit = [](AddressColumn c) { return width(Table::Fornitori, c); };
    Supplier s;
    s.code = code;
    s.name = party.name.left(fit(AddressColumn::Name));
    s.address = party.address.left(fit(AddressColumn::Address));
    const QString town = party.province.isEmpty()
                             ? party.town
                             : QStringLiteral("%1 (%2)").arg(party.town, party.province);
    s.town = (town.size() <= fit(AddressColumn::Town) ? town : party.town)
                 .left(fit(AddressColumn::Town));
    if (party.postcode.size() <= fit(AddressColumn::Postcode))
        s.postcode = party.postcode;
    if (party.vatNumber().size() <= fit(AddressColumn::VatNumber))
        s.vatNumber = party.vatNumber();
    if (party.taxCode.size() <= fit(AddressColumn::TaxCode))
        s.taxCode = party.taxCode;
    QStringList notes{QStringLiteral("Creato dalla fattura elettronica %1").arg(fileName)};
    if (s.name != party.name)
        notes << QStringLiteral("Denominazione: %1").arg(party.name);
    if (s.address != party.address)
        notes << QStringLiteral("Indirizzo: %1").arg(party.address);
    if (!party.vatNumber().isEmpty() && s.vatNumber.isEmpty())
        notes << QStringLiteral("Partita IVA: %1").arg(party.vatNumber());
    if (!party.country.isEmpty() && party.country != QLatin1String("IT"))
        notes << QStringLiteral("Nazione: %1").arg(party.country);
    s.notes = notes.join(QLatin1Char('\n'));
    return s;
}

std::optional<double> lastDeductibility(Database& db, const QString& supplierCode, QString* error)
{
    auto purchase = [&db](PurchaseColumn c) { return column(db, Table::Movimenti, int(c)); };
    const auto found = Snapshot::Open(
        db,
        QStringLiteral("SELECT %1 FROM %2 WHERE UPPER(TRIM(%3)) = ? ORDER BY %4 DESC, %5 DESC "
                       "LIMIT 1")
            .arg(purchase(PurchaseColumn::Deductibility), db.quoted(nameOf(Table::Movimenti)),
                 purchase(PurchaseColumn::Supplier), purchase(PurchaseColumn::Date),
                 purchase(PurchaseColumn::Key)),
        {supplierCode.trimmed().toUpper()}, error);
    if (!found)
        return std::nullopt;
    const QVariant last = found->rows().value(0).value(0);
    return last.isNull() ? 1.0 : last.toDouble();
}
