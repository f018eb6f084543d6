#include "PeriodSelection.h"

#include "CreditNotes.h"
#include "Database.h"
#include "FeeAmounts.h"
#include "FeeDocument.h"
#include "KeyText.h"
#include "Purchase.h"
#include "Schema.h"
#include "TableWalk.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// The names of the client or supplier codes, all read before the documents
// are: a connection to a server streams the rows of one query at a time, so
// nothing else may be asked while the documents are walked. A studio has a
// few thousand codes at most; a report over a hundred thousand invoices
// names a few hundred of them.
class MasterNames
{
public:
    MasterNames(Database& db, Table table)
    {
        const TableDef& def = tableDef(table);
        m_keyWidth = def.columns.front().size;
        QSqlQuery q(db.connection());
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT %1, %2 FROM %3")
                        .arg(db.quoted(def.columns.front().name),
                             db.quoted(def.columns.at(std::size_t(AddressColumn::Name)).name),
                             db.quoted(def.name)))) {
            m_error = q.lastError().text();
            return;
        }
        while (q.next())
            m_names.insert(q.value(0).toString(), q.value(1).toString());
        if (q.lastError().isValid())
            m_error = q.lastError().text();
    }

    QString name(const QString& code) const
    {
        if (code.isEmpty() || !m_error.isEmpty())
            return {};
        return m_names.value(normalizeKey(code, m_keyWidth));
    }

    const QString& error() const { return m_error; }

private:
    int m_keyWidth = 0;
    QHash<QString, QString> m_names;
    QString m_error;
};

QString yearText(const QDate& date)
{
    return QString::number(date.year()).rightJustified(4, QLatin1Char('0'));
}

// A code as the selections compare it.
QString comparedCode(const QString& code)
{
    return keyUpper(code.trimmed());
}

} // namespace

Money ReportDocument::amount(ReportAmount which) const
{
    switch (which) {
    case ReportAmount::Fee:
        return fee;
    case ReportAmount::Contribution:
        return contribution;
    case ReportAmount::Vat:
        return vat;
    case ReportAmount::Withholding:
        return withholding;
    case ReportAmount::Expenses:
        return expenses;
    case ReportAmount::Total:
        return total;
    case ReportAmount::TotalWithExpenses:
        return totalWithExpenses;
    case ReportAmount::Taxable:
        return taxable;
    case ReportAmount::Deductible:
        return deductible;
    case ReportAmount::Exempt:
        return exempt;
    }
    return {};
}

ReportDocument readInvoiceRow(const QVariantList& row)
{
    const FeeDocument d = FeeDocument::fromColumns(row);
    // Stored amounts, of 64 bits each: their totals always add up. A credit
    // note takes its amounts off the period's.
    const FeeAmounts a = countedAmounts(d, FeeDocumentKind::Invoice);
    ReportDocument document;
    document.date = d.date;
    document.number = d.key.number();
    document.code = comparedCode(d.clientCode);
    document.paymentDate = d.paymentDate;
    document.paid = !row.value(int(FeeColumn::PaymentDate)).isNull();
    document.fee = a.fee;
    document.contribution = a.contribution;
    document.vat = a.vat;
    document.withholding = a.withholding;
    document.expenses = a.expenses;
    document.total = a.netOfOutsideVat().value();
    document.totalWithExpenses = a.netOfStamp().value();
    return document;
}

ReportDocument readPurchaseRow(const QVariantList& row)
{
    const Purchase p = Purchase::fromColumns(row);
    ReportDocument document;
    document.date = p.date;
    document.number = p.key.number();
    document.code = comparedCode(p.supplierCode);
    document.taxable = orZero(p.taxable);
    document.vat = p.vat();
    document.deductible = p.deductible();
    document.exempt = orZero(p.exempt);
    return document;
}

QString checkPeriod(const ParametriLista& selection)
{
    if (!selection.first.isValid() || !selection.last.isValid() || selection.first > selection.last)
        return QStringLiteral("Indicazione date non corretto");
    return {};
}

QString emptySelectionMessage()
{
    return QStringLiteral("Nessun documento nel periodo indicato");
}

QString checkSelection(Database& db, PeriodReport report, const ParametriLista& selection)
{
    if (QString message = checkPeriod(selection); !message.isEmpty())
        return message;
    const ReportSource& source = *kindOf(report).source;
    QString error;
    const auto noDocuments = tableIsEmpty(db, source.documents, &error);
    if (!noDocuments)
        return error;
    if (*noDocuments)
        return QString::fromUtf8(source.noDocuments);
    const auto noMasters = tableIsEmpty(db, source.masters, &error);
    if (!noMasters)
        return error;
    if (*noMasters)
        return QString::fromUtf8(source.noMasters);
    return {};
}

QString selectLines(Database& db, PeriodReport report, Reader reader,
                    const ParametriLista& selection,
                    const std::function<void(const ReportLine&)>& take)
{
    if (QString message = checkSelection(db, report, selection); !message.isEmpty())
        return message;
    const PeriodReportKind& kind = kindOf(report);
    const bool seekYear = reader == Reader::Printout ? kind.printoutSeeksYear : kind.listSeeksYear;
    const QString lastYear = yearText(selection.last);
    auto inPeriod = [&selection](const QDate& date) {
        return date.isValid() && selection.first <= date && date <= selection.last;
    };
    const QString client = kind.byClient ? comparedCode(selection.clientCode) : QString();
    const bool unpaidOnly = kind.byClient && selection.unpaidOnly;
    MasterNames names(db, kind.source->masters);
    ReportLine line;

    auto visit = [&](const QVariantList& row) {
        if (seekYear && row.value(0).toString().left(4) > lastYear)
            return false;
        const ReportDocument d = kind.source->read(row);
        if (!inPeriod(kind.period == PeriodDate::Paid ? d.paymentDate : d.date) ||
            (!client.isEmpty() && client != d.code) || (d.paid && unpaidOnly) ||
            (kind.withheldOnly && d.withholding.isZero()))
            return true;
        line.date = d.date;
        line.number = d.number;
        line.name = names.name(d.code);
        line.amounts.clear();
        for (const ReportAmount amount : kind.amounts)
            line.amounts << d.amount(amount);
        line.paymentDate = d.paymentDate;
        take(line);
        return true;
    };

    QString error;
    const QString from = seekYear ? yearText(selection.first) : QString();
    if (!walkTable(db, kind.source->documents, from, kind.source->columns, visit, &error))
        return error;
    return names.error();
}
