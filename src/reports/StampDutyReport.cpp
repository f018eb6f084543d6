#include "StampDutyReport.h"

#include "TableWalk.h"

namespace {

QDate lastDayOf(int year, int month)
{
    const QDate first(year, month, 1);
    return first.addDays(first.daysInMonth() - 1);
}

QString euro(const Money& amount)
{
    return amount.localeText(QStringLiteral("."), QStringLiteral(",")) + QStringLiteral(" €");
}

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

} // namespace

StampDutyYear stampDutyYear(int year, const QList<FeeDocument>& invoices)
{
    StampDutyYear result;
    result.year = year;
    for (int q = 0; q < 4; ++q) {
        StampDutyQuarter& quarter = result.quarters.at(q);
        quarter.quarter = q + 1;
        quarter.taxCode = QString::number(2521 + q);
        // Two months after the quarter's end; the second quarter has three.
        quarter.deadline = q == 3   ? lastDayOf(year + 1, 2)
                           : q == 1 ? lastDayOf(year, 9)
                                    : lastDayOf(year, 3 * q + 5);
        quarter.payableBy = quarter.deadline;
    }
    for (const FeeDocument& d : invoices) {
        if (d.date.year() != year || !d.stamp || d.stamp->isZero())
            continue;
        StampDutyQuarter& quarter = result.quarters.at((d.date.month() - 1) / 3);
        quarter.invoices << d;
        quarter.amount += *d.stamp;
    }
    auto& [first, second, third, fourth] = result.quarters;
    if (first.amount <= kCarriedAmount)
        first.payableBy = second.deadline;
    if (first.amount + second.amount <= kCarriedAmount) {
        first.payableBy = third.deadline;
        second.payableBy = third.deadline;
    }
    return result;
}

std::optional<StampDutyYear> readStampDutyYear(Database& db, int year, QString* error)
{
    QList<FeeDocument> invoices;
    const QString from = QString::number(year);
    const bool read = walkTable(
        db, Table::Fatture, from,
        [&](const QVariantList& row) {
            FeeDocument d = FeeDocument::fromColumns(row);
            // Keys run by year: the next year's first ends the walk.
            if (d.key.year() > year)
                return false;
            invoices << d;
            return true;
        },
        error);
    if (!read)
        return std::nullopt;
    return stampDutyYear(year, invoices);
}

QStringList stampDutyReportLines(const StampDutyYear& year,
                                 const std::function<QString(const QString&)>& clientName)
{
    QStringList lines;
    lines << QStringLiteral("Imposta di bollo virtuale sulle fatture elettroniche del %1")
                 .arg(year.year);
    Money total;
    for (const StampDutyQuarter& q : year.quarters) {
        const QString count = q.invoices.size() == 1
                                  ? QStringLiteral("1 fattura")
                                  : QStringLiteral("%1 fatture").arg(q.invoices.size());
        lines << QStringLiteral("%1° trimestre: %2, %3; codice tributo %4, scadenza %5")
                     .arg(QString::number(q.quarter), count, euro(q.amount), q.taxCode,
                          dateText(q.deadline));
        if (q.payableBy != q.deadline && !q.amount.isZero())
            lines << QStringLiteral("  non oltre %1: si può versare entro il %2")
                         .arg(euro(kCarriedAmount), dateText(q.payableBy));
        for (const FeeDocument& d : q.invoices)
            lines << QStringLiteral("  %1  %2  %3  %4")
                         .arg(dateText(d.date), QString::number(d.key.number()).rightJustified(6),
                              (d.clientCode + QLatin1Char(' ') + clientName(d.clientCode))
                                  .leftJustified(40),
                              euro(*d.stamp).rightJustified(10));
        total += q.amount;
    }
    lines << QStringLiteral("Totale dell'anno: %1").arg(euro(total));
    return lines;
}
