#include "AccountantExport.h"

#include "Client.h"
#include "CreditNotes.h"
#include "FeeAmounts.h"
#include "FeeDocument.h"
#include "Purchase.h"
#include "Sendings.h"
#include "Supplier.h"
#include "TableWalk.h"

#include <QHash>

namespace {

// A stored rate as a spreadsheet reads it: "22", "0,5".
QString rateText(const Rate& rate)
{
    qint64 denominator = qint64(rate.denominator);
    const qint64 numerator = qint64(rate.numerator);
    int decimals = 0;
    while (denominator > 1) {
        denominator /= 10;
        ++decimals;
    }
    QString digits = QString::number(numerator < 0 ? -numerator : numerator)
                         .rightJustified(decimals + 1, QLatin1Char('0'));
    if (decimals > 0)
        digits.insert(digits.size() - decimals, QLatin1Char(','));
    return numerator < 0 ? QLatin1Char('-') + digits : digits;
}

// The documents of the table dated in the period; the keys begin with the
// year, so the walk starts at the first year and stops after the last.
template <typename Document>
bool readPeriod(Database& db, Table table, const QDate& first, const QDate& last,
                QVector<Document>* out, QString* error)
{
    const QString lastYear = QString::number(last.year());
    return walkTable(
        db, table, QString::number(first.year()),
        [&](const QVariantList& row) {
            if (row.value(0).toString().left(4) > lastYear)
                return false;
            const Document d = Document::fromColumns(row);
            if (d.date.isValid() && first <= d.date && d.date <= last)
                *out << d;
            return true;
        },
        error);
}

// The totals row closes the sheet even when the period is empty: the
// accountant sees the columns and that they add up to nothing.
void addTotals(ExportSheet* sheet, std::initializer_list<int> amountColumns)
{
    QVector<ExportCell> totals(sheet->headers.size());
    totals[0] = QStringLiteral("Totale");
    for (const int column : amountColumns)
        totals[column] = Money();
    for (const QVector<ExportCell>& row : std::as_const(sheet->rows))
        for (int i = 1; i < row.size(); ++i)
            if (const auto* amount = std::get_if<Money>(&row[i])) {
                const auto* sum = std::get_if<Money>(&totals[i]);
                totals[i] = (sum ? *sum : Money()) + *amount;
            }
    sheet->rows << totals;
}

} // namespace

std::optional<AccountantSheets> accountantSheets(Database& db, const QDate& first,
                                                 const QDate& last, QString* error)
{
    QVector<FeeDocument> invoices;
    QVector<Purchase> purchases;
    if (!readPeriod(db, Table::Fatture, first, last, &invoices, error) ||
        !readPeriod(db, Table::Movimenti, first, last, &purchases, error))
        return std::nullopt;

    AccountantSheets sheets;
    sheets.invoices.name = QStringLiteral("Fatture");
    sheets.invoices.headers = {"Data",
                               "Numero",
                               "Tipo",
                               "Cliente",
                               "Codice fiscale / Partita IVA",
                               "Onorario",
                               "Contributo integrativo",
                               "Imponibile",
                               "Aliquota IVA",
                               "IVA",
                               "Spese escluse IVA",
                               "Bollo",
                               "Totale",
                               "Ritenuta",
                               "Netto a pagare",
                               "Data pagamento",
                               "Fattura elettronica"};
    QHash<QString, Client> clients;
    const Clients clientTable(db);
    const Sendings sendings(db);
    for (const FeeDocument& d : std::as_const(invoices)) {
        if (!clients.contains(d.clientCode)) {
            const auto client = clientTable.find(d.clientCode, error);
            if (!client && !error->isEmpty())
                return std::nullopt;
            clients.insert(d.clientCode, client.value_or(Client()));
        }
        const Client& client = clients[d.clientCode];
        const auto live = sendings.live(d.key, error);
        if (!live && !error->isEmpty())
            return std::nullopt;
        const FeeAmounts a = countedAmounts(d, FeeDocumentKind::Invoice);
        sheets.invoiceKeys << d.key;
        sheets.invoices.rows << QVector<ExportCell>{
            d.date,
            d.key.number(),
            d.isCreditNote() ? QStringLiteral("Nota di credito") : QStringLiteral("Fattura"),
            client.name.isEmpty() ? d.clientCode : client.name,
            client.vatNumber.isEmpty() ? client.taxCode : client.vatNumber,
            a.fee,
            a.contribution,
            a.taxable().value_or(Money()),
            d.vatRate ? ExportCell(qint64(*d.vatRate)) : ExportCell(),
            a.vat,
            a.expenses,
            a.stamp,
            a.total().value_or(Money()),
            a.withholding,
            a.net().value_or(Money()),
            d.paymentDate,
            live ? sendingStateCell(*live) : QString()};
    }
    addTotals(&sheets.invoices, {5, 6, 7, 9, 10, 11, 12, 13, 14});

    sheets.purchases.name = QStringLiteral("Acquisti");
    sheets.purchases.headers = {"Data",     "Numero", "Fornitore",  "Partita IVA", "Imponibile",
                                "Aliquota", "IVA",    "Detraibile", "Esente"};
    QHash<QString, Supplier> suppliers;
    const Suppliers supplierTable(db);
    for (const Purchase& p : std::as_const(purchases)) {
        if (!suppliers.contains(p.supplierCode)) {
            const auto supplier = supplierTable.find(p.supplierCode, error);
            if (!supplier && !error->isEmpty())
                return std::nullopt;
            suppliers.insert(p.supplierCode, supplier.value_or(Supplier()));
        }
        const Supplier& supplier = suppliers[p.supplierCode];
        sheets.purchases.rows << QVector<ExportCell>{
            p.date,
            p.key.number(),
            supplier.name.isEmpty() ? p.supplierCode : supplier.name,
            supplier.vatNumber,
            p.taxable.value_or(Money()),
            p.vatRate ? ExportCell(rateText(*p.vatRate)) : ExportCell(),
            p.vat(),
            p.deductible(),
            p.exempt.value_or(Money())};
    }
    addTotals(&sheets.purchases, {4, 6, 7, 8});
    return sheets;
}
