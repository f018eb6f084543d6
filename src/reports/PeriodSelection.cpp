#include "PeriodSelection.h"

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

// The names of client or supplier codes, each looked up once: a report over
// a hundred thousand invoices names a few hundred clients.
class MasterNames
{
public:
    MasterNames(Database& db, Table table) : m_query(db.connection())
    {
        const TableDef& def = tableDef(table);
        m_keyWidth = def.columns.front().size;
        m_query.setForwardOnly(true);
        if (!m_query.prepare(QStringLiteral("SELECT \"%1\" FROM \"%2\" WHERE \"%3\" = ?")
                                 .arg(def.columns.at(std::size_t(AddressColumn::Name)).name,
                                      def.name, def.columns.front().name)))
            m_error = m_query.lastError().text();
    }

    QString name(const QString& code)
    {
        if (code.isEmpty() || !m_error.isEmpty())
            return {};
        const auto known = m_names.constFind(code);
        if (known != m_names.constEnd())
            return *known;
        m_query.addBindValue(normalizeKey(code, m_keyWidth));
        QString name;
        if (!m_query.exec())
            m_error = m_query.lastError().text();
        else if (m_query.next())
            name = m_query.value(0).toString();
        m_query.finish();
        m_names.insert(code, name);
        return name;
    }

    const QString& error() const { return m_error; }

private:
    QSqlQuery m_query;
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

int amountCount(PeriodReport report)
{
    switch (report) {
    case PeriodReport::Fatturato:
        return 6;
    case PeriodReport::Ritenuta:
        return 5;
    case PeriodReport::Movimenti:
        return 4;
    }
    return 0;
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
    const bool purchases = report == PeriodReport::Movimenti;
    QString error;
    const auto noDocuments =
        tableIsEmpty(db, purchases ? Table::Movimenti : Table::Fatture, &error);
    if (!noDocuments)
        return error;
    if (*noDocuments)
        return purchases ? QStringLiteral("Non sono stati immessi movimenti")
                         : QStringLiteral("Non sono state immesse fatture");
    const auto noMasters = tableIsEmpty(db, purchases ? Table::Fornitori : Table::Clienti, &error);
    if (!noMasters)
        return error;
    if (*noMasters)
        return purchases ? QStringLiteral("Non sono stati codificati i fornitori")
                         : QStringLiteral("Non sono stati codificati i clienti");
    return {};
}

QString selectLines(Database& db, PeriodReport report, Reader reader,
                    const ParametriLista& selection,
                    const std::function<void(const ReportLine&)>& take)
{
    if (QString message = checkSelection(db, report, selection); !message.isEmpty())
        return message;
    const bool purchases = report == PeriodReport::Movimenti;
    const bool seekYear =
        purchases || (reader == Reader::Printout && report == PeriodReport::Fatturato);
    const QString lastYear = yearText(selection.last);
    auto inPeriod = [&selection](const QDate& date) {
        return date.isValid() && selection.first <= date && date <= selection.last;
    };
    const QString client = comparedCode(selection.clientCode);
    MasterNames names(db, purchases ? Table::Fornitori : Table::Clienti);
    ReportLine line;

    auto visit = [&](const QVariantList& row) {
        if (seekYear && row.value(0).toString().left(4) > lastYear)
            return false;
        if (purchases) {
            const Purchase p = Purchase::fromColumns(row);
            if (!inPeriod(p.date))
                return true;
            line = {p.date,
                    p.key.number(),
                    names.name(comparedCode(p.supplierCode)),
                    {orZero(p.taxable), p.vat(), p.deductible(), orZero(p.exempt)},
                    {}};
            take(line);
            return true;
        }
        const FeeDocument d = FeeDocument::fromColumns(row);
        // Stored amounts, of 64 bits each: their totals always add up.
        const FeeAmounts a = FeeAmounts::of(d, FeeDocumentKind::Invoice);
        const QString code = comparedCode(d.clientCode);
        if (report == PeriodReport::Ritenuta) {
            if (!inPeriod(d.paymentDate) || a.withholding.isZero())
                return true;
            line.amounts = {a.fee, a.contribution, a.vat, a.withholding,
                            a.netOfOutsideVat().value()};
        } else {
            const bool paid = !row.value(int(FeeColumn::PaymentDate)).isNull();
            if (!inPeriod(d.date) || (!client.isEmpty() && client != code) ||
                (paid && selection.unpaidOnly))
                return true;
            line.amounts = {a.fee,         a.contribution, a.vat,
                            a.withholding, a.expenses,     a.netOfStamp().value()};
        }
        line.date = d.date;
        line.number = d.key.number();
        line.name = names.name(code);
        line.paymentDate = d.paymentDate;
        take(line);
        return true;
    };

    QString error;
    const QString from = seekYear ? yearText(selection.first) : QString();
    if (!walkTable(db, purchases ? Table::Movimenti : Table::Fatture, from, visit, &error))
        return error;
    return names.error();
}
